#include "feedback/spellcheckview.h"

#include "engine/spell/spellchecker.h"
#include "engine/spell/spellhighlighter.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextCursor>

namespace velko {

SpellCheckView::SpellCheckView(VelkoTextView* view, std::unique_ptr<SpellChecker> checker,
                               std::function<bool()> secureDocumentOpen, QObject* parent)
    : QObject(parent), m_view(view), m_secureDocumentOpen(std::move(secureDocumentOpen))
{
    m_toggle = new QAction(tr("Check &Spelling While Typing"), this);
    m_toggle->setObjectName(QStringLiteral("editCheckSpelling"));
    m_toggle->setCheckable(true);
    connect(m_toggle, &QAction::toggled, this, &SpellCheckView::updateMarks);
    useChecker(std::move(checker));
}

void SpellCheckView::useChecker(std::unique_ptr<SpellChecker> checker)
{
    m_checker = std::move(checker);
    m_toggle->setChecked(m_checker != nullptr);
    m_toggle->setEnabled(m_checker != nullptr);
    m_toggle->setToolTip(m_checker ? QString() : tr("No spelling dictionary is installed."));
    if (!m_checker || !m_view)
        return;
    m_highlighter = new SpellHighlighter(m_checker.get(), m_view->document());
    connect(m_view, &VelkoTextView::documentReplaced, this, &SpellCheckView::followDocument);
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    updateMarks();
}

void SpellCheckView::openDesktopDictionaryLater()
{
    QMetaObject::invokeMethod(this, &SpellCheckView::openDesktopDictionary, Qt::QueuedConnection);
    // A document built before then opens it at once, to be marked as it is built.
    if (m_view)
        connect(m_view, &VelkoTextView::documentBuildStarting, this,
                &SpellCheckView::openDesktopDictionary, Qt::SingleShotConnection);
}

void SpellCheckView::openDesktopDictionary()
{
    if (m_checker)
        return;
    Result<std::unique_ptr<SpellChecker>> checker = SpellChecker::openForDesktop();
    if (checker)
        useChecker(std::move(checker).value());
}

SpellCheckView::~SpellCheckView()
{
    // The highlighter points to the checker: it goes first, unless the
    // document took it along already.
    delete m_highlighter.data();
}

void SpellCheckView::followDocument(QTextDocument* document)
{
    // The highlighter belongs to the document it marks: a new one for each,
    // unless the document came with its own, made while it was built.
    delete m_highlighter.data();
    m_highlighter = document->findChild<SpellHighlighter*>(QString(), Qt::FindDirectChildrenOnly);
    if (!m_highlighter)
        m_highlighter = new SpellHighlighter(m_checker.get(), document);
    updateMarks();
}

// Marks while checking is on and the text is the user's to edit: the
// read-only view shows a secure document's enciphered text, no words.
void SpellCheckView::updateMarks()
{
    if (m_highlighter && m_view)
        m_highlighter->setEnabled(m_toggle->isChecked() && !m_view->isReadOnly());
    if (!m_view)
        return;
    // A document built on another thread gets its highlighter there while
    // still empty: its marks follow as its text goes in, before the view
    // lays it out, where marking a large text block by block takes long.
    // It is shown editable, so it is marked when checking is on.
    if (!m_checker || !m_toggle->isChecked()) {
        m_view->setDocumentPreparer({});
        return;
    }
    m_view->setDocumentPreparer([checker = m_checker](QTextDocument* document) {
        new SpellHighlighter(checker.get(), document);
    });
}

bool SpellCheckView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ReadOnlyChange && watched == m_view)
        updateMarks();
    if (event->type() != QEvent::ContextMenu || !m_view || watched != m_view->viewport())
        return QObject::eventFilter(watched, event);
    auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    // The view's own menu (it takes document coordinates, for the link
    // under the pointer), with the spelling items in front.
    const QPoint scrolled(m_view->horizontalScrollBar()->value(),
                          m_view->verticalScrollBar()->value());
    std::unique_ptr<QMenu> menu(m_view->createStandardContextMenu(menuEvent->pos() + scrolled));
    addSpellingItems(menu.get(), menuEvent->pos());
    menu->exec(menuEvent->globalPos());
    return true;
}

void SpellCheckView::addSpellingItems(QMenu* menu, const QPoint& viewportPosition)
{
    if (!m_view || !m_highlighter || !m_highlighter->isEnabled())
        return;
    const int position = m_view->cursorForPosition(viewportPosition).position();
    const QTextCursor word = wordAt(m_view->document(), position);
    const QString text = word.selectedText();
    if (text.isEmpty() || m_checker->isCorrect(text))
        return;

    QAction* first = menu->actions().value(0);
    const auto add = [menu, first](QAction* action) {
        menu->insertAction(first, action);
    };
    const QStringList suggestions = m_checker->suggestions(text);
    const bool editable = !m_view->isReadOnly();
    for (const QString& suggestion : suggestions) {
        auto* action = new QAction(suggestion, menu);
        action->setEnabled(editable);
        QFont font = action->font();
        font.setBold(true);
        action->setFont(font);
        // Replacing the word is an edit of the user's, undone in one step.
        connect(action, &QAction::triggered, this, [this, word, suggestion] {
            QTextCursor replace = word;
            if (m_view)
                m_view->setTextCursor(replace);
            replace.insertText(suggestion);
        });
        add(action);
    }
    if (suggestions.isEmpty()) {
        auto* none = new QAction(tr("(No Suggestions)"), menu);
        none->setEnabled(false);
        add(none);
    }
    const auto addSeparator = [menu, &add] {
        auto* separator = new QAction(menu);
        separator->setSeparator(true);
        add(separator);
    };
    addSeparator();
    const bool secure = m_secureDocumentOpen && m_secureDocumentOpen();
    auto* addAction = new QAction(
        secure ? tr("Add to Dictionary for This Session") : tr("Add to Dictionary"), menu);
    addAction->setObjectName(QStringLiteral("spellAddWord"));
    connect(addAction, &QAction::triggered, this, [this, text, secure] { addWord(text, !secure); });
    add(addAction);
    if (secure) {
        // Written to the personal list, where any program can read it.
        auto* toFile = new QAction(tr("Add to Dictionary File"), menu);
        toFile->setObjectName(QStringLiteral("spellAddWordToFile"));
        connect(toFile, &QAction::triggered, this, [this, text] { addWord(text, true); });
        add(toFile);
    }
    auto* ignore = new QAction(tr("Ignore"), menu);
    ignore->setObjectName(QStringLiteral("spellIgnoreWord"));
    connect(ignore, &QAction::triggered, this, [this, text] { addWord(text, false); });
    add(ignore);
    if (first)
        addSeparator();
}

void SpellCheckView::addWord(const QString& word, bool toFile)
{
    // A list that cannot be written still leaves the word accepted for now.
    (void)m_checker->addWord(word,
                             toFile ? SpellChecker::Keep::InFile : SpellChecker::Keep::InMemory);
    m_highlighter->rehighlight();
}

} // namespace velko
