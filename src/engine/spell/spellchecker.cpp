#include "engine/spell/spellchecker.h"

#include <hunspell.hxx>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringConverter>

#include <algorithm>

namespace velko {

namespace {

const QString kFallbackLanguage = QStringLiteral("en_US");

bool hasDictionary(const QString& base)
{
    return QFileInfo(base + QStringLiteral(".aff")).isFile() &&
           QFileInfo(base + QStringLiteral(".dic")).isFile();
}

// The names of the dictionaries in `folder` ("en_US", "de_DE"...), sorted.
QStringList dictionariesIn(const QString& folder)
{
    QStringList names;
    const QStringList files =
        QDir(folder).entryList({QStringLiteral("*.dic")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString name = file.chopped(4);
        if (hasDictionary(folder + u'/' + name))
            names.append(name);
    }
    return names;
}

} // namespace

QStringList dictionaryFolders()
{
    QStringList folders;
    const QStringList data = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& folder : data)
        folders.append(folder + QStringLiteral("/hunspell"));
    const QString system = QStringLiteral("/usr/share/hunspell");
    if (!folders.contains(system))
        folders.append(system);
    return folders;
}

QString findDictionary(const QString& localeName, const QStringList& folders)
{
    // "pt-BR.UTF-8" and "pt_BR" name the same dictionary, pt_BR.
    QString exact = localeName.section(u'.', 0, 0).section(u'@', 0, 0);
    exact.replace(u'-', u'_');
    const QString language = exact.section(u'_', 0, 0);
    for (const QString& wanted : {exact, kFallbackLanguage}) {
        for (const QString& folder : folders) {
            if (!wanted.isEmpty() && hasDictionary(folder + u'/' + wanted))
                return folder + u'/' + wanted;
        }
        if (wanted != exact || language.isEmpty())
            continue;
        // Another country's dictionary of the same language.
        for (const QString& folder : folders) {
            const QStringList names = dictionariesIn(folder);
            for (const QString& name : names) {
                if (name == language || name.startsWith(language + u'_'))
                    return folder + u'/' + name;
            }
        }
    }
    return {};
}

QString personalDictionaryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/personal-dictionary.txt");
}

Result<std::unique_ptr<SpellChecker>> SpellChecker::open(const QString& dictionary,
                                                         const QString& personalPath)
{
    if (dictionary.isEmpty() || !hasDictionary(dictionary))
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("No spelling dictionary at %1.").arg(dictionary));
    std::unique_ptr<SpellChecker> checker(new SpellChecker);
    const QByteArray aff = QFile::encodeName(dictionary + QStringLiteral(".aff"));
    const QByteArray dic = QFile::encodeName(dictionary + QStringLiteral(".dic"));
    checker->m_hunspell = std::make_unique<Hunspell>(aff.constData(), dic.constData());
    checker->m_language = QFileInfo(dictionary).fileName();
    checker->m_personalPath = personalPath;
    checker->m_encoding = QByteArray::fromStdString(checker->m_hunspell->get_dict_encoding());
    checker->m_utf8 = checker->m_encoding.compare("UTF-8", Qt::CaseInsensitive) == 0;

    QFile list(personalPath);
    if (list.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = list.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const QString word = QString::fromUtf8(line).trimmed();
            if (word.isEmpty())
                continue;
            checker->m_personalWords.insert(word);
            checker->m_hunspell->add(checker->encode(word));
        }
    }
    return checker;
}

Result<std::unique_ptr<SpellChecker>> SpellChecker::openForDesktop()
{
    return open(findDictionary(QLocale::system().name(), dictionaryFolders()),
                personalDictionaryPath());
}

SpellChecker::~SpellChecker() = default;

// Dictionaries are in UTF-8 or in an older 8-bit set ("ISO8859-1"); a word
// with letters outside that set is not in the dictionary at all.
std::string SpellChecker::encode(const QString& word) const
{
    if (m_utf8)
        return word.toStdString();
    QStringEncoder encoder(m_encoding.constData());
    if (!encoder.isValid())
        return word.toLatin1().toStdString();
    const QByteArray bytes = encoder.encode(word);
    return encoder.hasError() ? std::string() : bytes.toStdString();
}

QString SpellChecker::decode(const std::string& word) const
{
    const QByteArray bytes = QByteArray::fromStdString(word);
    if (m_utf8)
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(m_encoding.constData());
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

bool SpellChecker::isCorrect(const QString& word) const
{
    const std::string encoded = encode(word);
    const QMutexLocker locked(&m_lock);
    return !encoded.empty() && m_hunspell->spell(encoded);
}

QStringList SpellChecker::suggestions(const QString& word, int limit) const
{
    QStringList result;
    const std::string encoded = encode(word);
    if (encoded.empty())
        return result;
    QMutexLocker locked(&m_lock);
    const std::vector<std::string> guesses = m_hunspell->suggest(encoded);
    locked.unlock();
    for (const std::string& guess : guesses) {
        if (result.size() >= limit)
            break;
        result.append(decode(guess));
    }
    return result;
}

Status SpellChecker::addWord(const QString& word, Keep keep)
{
    const QString trimmed = word.trimmed();
    if (trimmed.isEmpty())
        return {};
    {
        const QMutexLocker locked(&m_lock);
        m_hunspell->add(encode(trimmed));
    }
    if (keep == Keep::InMemory || m_personalWords.contains(trimmed))
        return {};
    m_personalWords.insert(trimmed);
    return writePersonalList();
}

QStringList SpellChecker::personalWords() const
{
    QStringList words(m_personalWords.cbegin(), m_personalWords.cend());
    std::sort(words.begin(), words.end());
    return words;
}

// The whole list, one word a line, replacing the old file only once
// complete. It holds only words the user added from plain documents.
Status SpellChecker::writePersonalList() const
{
    QDir().mkpath(QFileInfo(m_personalPath).absolutePath());
    QSaveFile file(m_personalPath);
    if (!file.open(QIODevice::WriteOnly))
        return makeError(ErrorCode::FileWrite,
                         m_personalPath + QStringLiteral(": ") + file.errorString());
    const QStringList words = personalWords();
    for (const QString& word : words)
        file.write(word.toUtf8() + '\n');
    if (!file.commit())
        return makeError(ErrorCode::FileWrite,
                         m_personalPath + QStringLiteral(": ") + file.errorString());
    return {};
}

} // namespace velko
