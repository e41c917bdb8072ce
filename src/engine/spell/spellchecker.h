#pragma once

#include "core/result.h"

#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class Hunspell;

namespace velko {

// Folders that hold Hunspell dictionaries (name.aff beside name.dic): the
// "hunspell" folder of each XDG data folder, /usr/share/hunspell last.
QStringList dictionaryFolders();

// The dictionary for `localeName` ("de_DE", "pt-BR"): the exact one, else
// one of the same language, else en_US. Gives the path without ".aff" or
// ".dic", or nothing when no dictionary is there.
QString findDictionary(const QString& localeName, const QStringList& folders);

// The personal word list in the user's data folder.
QString personalDictionaryPath();

// Checks words against one Hunspell dictionary and the user's own words.
// Checking may run on another thread than the window's (a document being
// built there): Hunspell is used under a lock.
// Words added to the personal list are written to its file; words added
// with Keep::InMemory (those met in a secure document) are accepted for this
// run only and never reach a file.
class SpellChecker
{
public:
    enum class Keep { InFile, InMemory };

    // Loads `dictionary` (a findDictionary() path) and the words of the
    // personal list at `personalPath`, which need not exist yet.
    static Result<std::unique_ptr<SpellChecker>> open(const QString& dictionary,
                                                      const QString& personalPath);
    // The desktop's language, the default folders, the user's list.
    static Result<std::unique_ptr<SpellChecker>> openForDesktop();
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    // "en_US": the dictionary's name.
    QString language() const { return m_language; }
    QString personalPath() const { return m_personalPath; }

    bool isCorrect(const QString& word) const;
    // The dictionary's guesses, best first, at most `limit` of them.
    QStringList suggestions(const QString& word, int limit = 8) const;

    // Accepts `word` from now on. Keep::InFile rewrites the personal list
    // with it; the word is accepted even when the file cannot be written.
    Status addWord(const QString& word, Keep keep);
    // The words of the personal list, sorted.
    QStringList personalWords() const;

private:
    SpellChecker() = default;
    std::string encode(const QString& word) const;
    QString decode(const std::string& word) const;
    Status writePersonalList() const;

    mutable QMutex m_lock; // around m_hunspell
    std::unique_ptr<Hunspell> m_hunspell;
    QString m_language;
    QString m_personalPath;
    QByteArray m_encoding;
    bool m_utf8 = true;
    QSet<QString> m_personalWords;
};

} // namespace velko
