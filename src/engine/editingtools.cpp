#include "engine/editingtools.h"

#include "engine/textedit/textformat.h"
#include "feedback/findbar.h"
#include "feedback/velkotextview.h"
#include "feedback/viewzoom.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QFontComboBox>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QTextCursor>
#include <QTextList>

namespace velko {

EditingTools::EditingTools(VelkoTextView* view, QMainWindow* window, Engine* engine)
    : QObject(window), m_view(view), m_window(window), m_engine(engine)
{
    setObjectName(QStringLiteral("editingTools"));
    buildActions();
    buildFormatBar();
    m_findBar = new FindBar(view, view->parentWidget());
    m_zoom = new ViewZoom(view, this);
    dropClashingShortcuts();
    connectView();
    showCharFormat(view->currentCharFormat());
    showBlockFormat();
    updateEnabled();
}

EditingTools::~EditingTools() = default;

VelkoTextView* EditingTools::view() const
{
    return m_view;
}

void EditingTools::connectView()
{
    VelkoTextView* view = m_view;
    connect(view, &QTextEdit::currentCharFormatChanged, this, &EditingTools::showCharFormat);
    connect(view, &VelkoTextView::defaultFontChanged, this,
            [this] { showCharFormat(m_view->currentCharFormat()); });
    connect(view, &QTextEdit::cursorPositionChanged, this, &EditingTools::showBlockFormat);
    connect(view, &QTextEdit::cursorPositionChanged, this, &EditingTools::updateEnabled);
    connect(view, &QTextEdit::undoAvailable, this, &EditingTools::updateEnabled);
    connect(view, &QTextEdit::redoAvailable, this, &EditingTools::updateEnabled);
    connect(view, &QTextEdit::copyAvailable, this, &EditingTools::updateEnabled);
    connect(view, &QTextEdit::textChanged, this, &EditingTools::updateEnabled);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            &EditingTools::updateEnabled);
    view->installEventFilter(this);
}

bool EditingTools::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::ReadOnlyChange)
        updateEnabled();
    // Return in the size field is handled here, once: the field passes the
    // key it ignores up to the box, which hands it to the field again.
    if (m_fontSize && watched == m_fontSize->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            applyFontSizeText(m_fontSize->currentText());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// --- What the tools show -----------------------------------------------------

void EditingTools::updateEnabled()
{
    if (!m_view)
        return;
    const bool editable = !m_view->isReadOnly();
    for (QAction* changing : std::as_const(m_changingActions))
        changing->setEnabled(editable);
    m_fontFamily->setEnabled(editable);
    m_fontSize->setEnabled(editable);

    const QTextDocument* document = m_view->document();
    const bool selection = m_view->textCursor().hasSelection();
    action(QStringLiteral("editUndo"))->setEnabled(editable && document->isUndoAvailable());
    action(QStringLiteral("editRedo"))->setEnabled(editable && document->isRedoAvailable());
    action(QStringLiteral("editCut"))->setEnabled(editable && selection);
    action(QStringLiteral("editCopy"))->setEnabled(selection);
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool canPaste = clip && m_view->canPaste();
    action(QStringLiteral("editPaste"))->setEnabled(editable && canPaste);
    action(QStringLiteral("editPastePlainText"))->setEnabled(editable && clip && clip->hasText());
    const bool inTable = m_view->textCursor().currentTable() != nullptr;
    for (QAction* tableAction : std::as_const(m_tableActions))
        tableAction->setEnabled(editable && inTable);
    if (m_findBar)
        m_findBar->updateEditable();
}

void EditingTools::showCharFormat(const QTextCharFormat& format)
{
    // What the format leaves open is the document's default font.
    const QFont font =
        m_view ? format.font().resolve(m_view->document()->defaultFont()) : format.font();
    {
        const QSignalBlocker blocker(m_fontFamily);
        m_fontFamily->setCurrentFont(font);
        // A name longer than the box shows from its start.
        m_fontFamily->lineEdit()->setCursorPosition(0);
    }
    m_fontSize->setCurrentText(QLocale().toString(font.pointSizeF()));
    action(QStringLiteral("formatBold"))->setChecked(font.bold());
    action(QStringLiteral("formatItalic"))->setChecked(font.italic());
    action(QStringLiteral("formatUnderline"))->setChecked(font.underline());
    action(QStringLiteral("formatStrikeOut"))->setChecked(font.strikeOut());
    action(QStringLiteral("formatSuperscript"))
        ->setChecked(format.verticalAlignment() == QTextCharFormat::AlignSuperScript);
    action(QStringLiteral("formatSubscript"))
        ->setChecked(format.verticalAlignment() == QTextCharFormat::AlignSubScript);
}

void EditingTools::showBlockFormat()
{
    const QTextCursor cursor = m_view->textCursor();
    const Qt::Alignment alignment = m_view->alignment() & Qt::AlignHorizontal_Mask;
    const char* name = "formatAlignLeft";
    if (alignment & Qt::AlignHCenter)
        name = "formatAlignCenter";
    else if (alignment & Qt::AlignJustify)
        name = "formatAlignJustify";
    else if (alignment & (Qt::AlignRight | Qt::AlignTrailing))
        name = "formatAlignRight";
    action(QString::fromLatin1(name))->setChecked(true);

    const QTextList* list = cursor.currentList();
    const QTextListFormat::Style style =
        list ? list->format().style() : QTextListFormat::ListStyleUndefined;
    action(QStringLiteral("formatBulletList"))->setChecked(style == QTextListFormat::ListDisc);
    action(QStringLiteral("formatNumberedList"))->setChecked(style == QTextListFormat::ListDecimal);
    updateEnabled();
}

// --- Character formats -------------------------------------------------------

void EditingTools::formatCharacters(const std::function<void(QTextCursor&)>& command)
{
    if (m_view->isReadOnly())
        return;
    QTextCursor cursor = m_view->textCursor();
    command(cursor);
    m_view->setTextCursor(cursor);
    m_view->setFocus();
}

void EditingTools::setFontFamily(const QString& family)
{
    formatCharacters([&](QTextCursor& c) { textformat::setFontFamily(c, family); });
}

void EditingTools::setFontSize(qreal pointSize)
{
    formatCharacters([&](QTextCursor& c) { textformat::setFontSize(c, pointSize); });
}

void EditingTools::applyFontSizeText(const QString& text)
{
    if (const auto size = textformat::fontSizeFromText(text)) {
        setFontSize(*size);
        return;
    }
    // Show the size at the cursor again once the box has handled the key.
    QMetaObject::invokeMethod(
        this, [this] { showCharFormat(m_view->currentCharFormat()); }, Qt::QueuedConnection);
}

void EditingTools::setBold(bool on)
{
    formatCharacters([&](QTextCursor& c) { textformat::setBold(c, on); });
}

void EditingTools::setItalic(bool on)
{
    formatCharacters([&](QTextCursor& c) { textformat::setItalic(c, on); });
}

void EditingTools::setUnderline(bool on)
{
    formatCharacters([&](QTextCursor& c) { textformat::setUnderline(c, on); });
}

void EditingTools::setStrikeOut(bool on)
{
    formatCharacters([&](QTextCursor& c) { textformat::setStrikeOut(c, on); });
}

void EditingTools::setSuperscript(bool on)
{
    formatCharacters([&](QTextCursor& c) { textformat::setSuperscript(c, on); });
}

void EditingTools::setSubscript(bool on)
{
    formatCharacters([&](QTextCursor& c) { textformat::setSubscript(c, on); });
}

void EditingTools::setTextColor(const QColor& color)
{
    formatCharacters([&](QTextCursor& c) { textformat::setTextColor(c, color); });
}

void EditingTools::setHighlightColor(const QColor& color)
{
    formatCharacters([&](QTextCursor& c) { textformat::setHighlightColor(c, color); });
}

void EditingTools::clearFormatting()
{
    if (m_view->isReadOnly())
        return;
    QTextCursor cursor = m_view->textCursor();
    textformat::clearFormatting(cursor);
    m_view->setTextCursor(cursor);
    showCharFormat(m_view->currentCharFormat());
}

void EditingTools::chooseFont()
{
    bool ok = false;
    const QFont font =
        QFontDialog::getFont(&ok, m_view->currentCharFormat().font(), m_window, tr("Font"));
    if (ok)
        formatCharacters([&](QTextCursor& c) { textformat::setFont(c, font); });
}

void EditingTools::chooseTextColor()
{
    const QColor initial = m_view->currentCharFormat().foreground().color();
    const QColor color = QColorDialog::getColor(initial, m_window, tr("Text Colour"));
    if (color.isValid())
        setTextColor(color);
}

void EditingTools::chooseHighlightColor()
{
    const QBrush current = m_view->currentCharFormat().background();
    const QColor initial = current.style() == Qt::NoBrush ? QColor(Qt::yellow) : current.color();
    const QColor color = QColorDialog::getColor(initial, m_window, tr("Highlight Colour"));
    if (color.isValid())
        setHighlightColor(color);
}

// --- Paragraph formats -------------------------------------------------------

void EditingTools::setAlignment(Qt::Alignment alignment)
{
    if (m_view->isReadOnly())
        return;
    QTextCursor cursor = m_view->textCursor();
    textformat::setAlignment(cursor, alignment);
    m_view->setTextCursor(cursor);
    showBlockFormat();
}

void EditingTools::changeIndent(int levels)
{
    if (m_view->isReadOnly())
        return;
    QTextCursor cursor = m_view->textCursor();
    textformat::changeIndent(cursor, levels);
    showBlockFormat();
}

void EditingTools::setList(QTextListFormat::Style style, bool on)
{
    if (m_view->isReadOnly())
        return;
    QTextCursor cursor = m_view->textCursor();
    textformat::setList(cursor, style, on);
    showBlockFormat();
}

void EditingTools::pastePlainText()
{
    if (m_view->isReadOnly())
        return;
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty())
        m_view->insertPlainText(text);
}

} // namespace velko
