#pragma once

#include "engine/spell/spellhighlighter.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QPoint;
class QTextDocument;

namespace velko {

class SpellChecker;
class VelkoTextView;

// Spell checking in the text view: misspelled words underlined as the user
// types, and the spelling items at the top of the view's context menu
// (suggestions, Add to Dictionary, Ignore); none while the view is
// read-only. Words added while a secure
// document is open are kept in memory only, unless the user picks "Add to
// Dictionary File".
class SpellCheckView : public QObject
{
    Q_OBJECT
public:
    // `checker` may be null (no dictionary): the view then checks nothing
    // and the toggle is disabled. `secureDocumentOpen` tells whether the
    // view holds a secure document's text.
    SpellCheckView(VelkoTextView* view, std::unique_ptr<SpellChecker> checker,
                   std::function<bool()> secureDocumentOpen, QObject* parent = nullptr);
    ~SpellCheckView() override;

    // Opens the desktop's dictionary once the event loop runs, so that
    // loading it does not hold back the window's first paint.
    void openDesktopDictionaryLater();

    SpellChecker* checker() const { return m_checker.get(); }
    SpellHighlighter* highlighter() const { return m_highlighter; }
    // "Check Spelling While Typing", checkable, on at start when there is
    // a dictionary.
    QAction* toggleAction() const { return m_toggle; }

    // Puts the spelling items for the word at `viewportPosition` in front
    // of the items already in `menu`; nothing when the word is spelled
    // right or checking is off.
    void addSpellingItems(QMenu* menu, const QPoint& viewportPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void useChecker(std::unique_ptr<SpellChecker> checker);
    void openDesktopDictionary();
    void followDocument(QTextDocument* document);
    void updateMarks();
    void addWord(const QString& word, bool toFile);

    QPointer<VelkoTextView> m_view;
    // Shared with the highlighters of documents being built on other threads.
    std::shared_ptr<SpellChecker> m_checker;
    std::function<bool()> m_secureDocumentOpen;
    // Owned by the document it marks.
    QPointer<SpellHighlighter> m_highlighter;
    QAction* m_toggle = nullptr;
};

} // namespace velko
