#include "feedback/velkotextview.h"

#include "core/documentfile.h"
#include "engine/textedit/textinsert.h"
#include "feedback/clipboardguard.h"
#include "rtf/rtf.h"
#include "rtf/textproperties.h"

#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace velko {

VelkoTextView::VelkoTextView(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
    m_newDocumentFont = document()->defaultFont();
    adoptDocument(document());
    connect(this, &QTextEdit::cursorPositionChanged, this,
            &VelkoTextView::leaveFieldResultAtItsEnd);
}

// Text typed right after a field's result (a page number) is the user's
// own, not part of the result, which the field's next update replaces.
void VelkoTextView::leaveFieldResultAtItsEnd()
{
    const QTextCursor cursor = textCursor();
    const QTextCharFormat before = cursor.charFormat();
    if (cursor.hasSelection() || !before.hasProperty(rtf::kFieldInstruction))
        return;
    QTextCursor next(cursor);
    next.movePosition(QTextCursor::NextCharacter);
    if (next.position() != cursor.position() && next.block() == cursor.block() &&
        next.charFormat().intProperty(rtf::kFieldNumber) == before.intProperty(rtf::kFieldNumber))
        return; // inside the result: typing edits it
    QTextCharFormat own = before;
    own.clearProperty(rtf::kFieldInstruction);
    own.clearProperty(rtf::kFieldNumber);
    setCurrentCharFormat(own); // what is typed next, changing no text
}

void VelkoTextView::adoptDocument(QTextDocument* doc)
{
    connect(doc, &QTextDocument::contentsChange, this, &VelkoTextView::onContentsChange,
            Qt::UniqueConnection);
}

void VelkoTextView::onContentsChange(int, int charsRemoved, int charsAdded)
{
    if (m_codeChangeDepth > 0)
        return;
    if (charsRemoved == 0 && charsAdded == 0)
        return;
    emit userTextChanged();
}

void VelkoTextView::clearFromCode()
{
    CodeChange change(this);
    clear();
    const bool fontChanged = document()->defaultFont() != m_newDocumentFont;
    document()->setDefaultFont(m_newDocumentFont);
    setCurrentCharFormat(QTextCharFormat());
    document()->setModified(false);
    if (fontChanged)
        emit defaultFontChanged();
}

void VelkoTextView::clearUndoably()
{
    CodeChange change(this);
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
}

void VelkoTextView::setPlainTextFromCode(const QString& text)
{
    CodeChange change(this);
    // Plain text keeps nothing of the document before, not even what is
    // kept beside its text (its headers, notes' settings, pictures).
    document()->clear();
    setPlainText(text);
    // Plain text: nothing of the formatting at the cursor carries over. The
    // text is new, so there is nothing to undo afterwards either.
    document()->setUndoRedoEnabled(false);
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.setCharFormat(QTextCharFormat());
    cursor.setBlockFormat(QTextBlockFormat());
    setCurrentCharFormat(QTextCharFormat());
    document()->setUndoRedoEnabled(true);
    document()->setModified(false);
}

Status VelkoTextView::setRtfFromCode(const QByteArray& rtf)
{
    auto* replacement = new QTextDocument(this);
    replacement->setDefaultFont(document()->defaultFont());
    const Status status = rtf::read(rtf, replacement);
    if (!status) {
        delete replacement;
        return status;
    }
    showDocumentFromCode(replacement);
    return {};
}

void VelkoTextView::showDocumentFromCode(QTextDocument* replacement)
{
    CodeChange change(this);
    QTextDocument* previous = document();
    // setDocument() deletes the view's initial document itself; only the
    // ones made here are ours to delete.
    const bool ownPrevious = previous->parent() == this;
    replacement->setParent(this);
    replacement->setModified(false);
    setDocument(replacement);
    adoptDocument(replacement);
    if (ownPrevious)
        previous->deleteLater();
    moveCursor(QTextCursor::Start);
    emit documentReplaced(replacement);
}

void VelkoTextView::setWholeTextColorFromCode(const QColor& color)
{
    CodeChange change(this);
    // The colour is no step of its own for Undo: with nothing to undo it is
    // not recorded, else it joins the step before it.
    const bool recorded = document()->availableUndoSteps() > 0;
    const bool modified = document()->isModified();
    if (!recorded)
        document()->setUndoRedoEnabled(false);
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    QTextCharFormat format;
    format.setForeground(color);
    if (recorded)
        cursor.joinPreviousEditBlock();
    cursor.mergeCharFormat(format);
    if (recorded)
        cursor.endEditBlock();
    document()->setUndoRedoEnabled(true);
    document()->setModified(modified);
    // New typing continues in the same colour.
    QTextCharFormat current = currentCharFormat();
    current.setForeground(color);
    setCurrentCharFormat(current);
}

QByteArray VelkoTextView::rtfOfWholeText() const
{
    return rtf::write(*document());
}

QMimeData* VelkoTextView::createMimeDataFromSelection() const
{
    QMimeData* plain = QTextEdit::createMimeDataFromSelection();
    if (!m_secretClipboard || !plain)
        return plain;
    auto* secret = new SecretMimeData;
    for (const QString& format : plain->formats())
        secret->setData(format, plain->data(format));
    delete plain;
    return secret;
}

QTextDocument* VelkoTextView::takeDocument(QObject* owner)
{
    CodeChange change(this);
    QTextDocument* taken = document();
    // Given a new owner first: the view deletes its initial document when
    // another one replaces it.
    taken->setParent(owner);
    auto* empty = new QTextDocument(this);
    empty->setDefaultFont(taken->defaultFont());
    setDocument(empty);
    adoptDocument(empty);
    return taken;
}

void VelkoTextView::restoreDocument(QTextDocument* restored)
{
    CodeChange change(this);
    QTextDocument* previous = document();
    restored->setParent(this);
    setDocument(restored);
    adoptDocument(restored);
    if (previous->parent() == this && previous != restored)
        previous->deleteLater();
}

namespace {

// An image offered on its own: a text beside it (a copied web page, a
// spreadsheet's cells drawn as a picture) is what the user meant to paste.
bool offersImageOnly(const QMimeData* source)
{
    return source->hasImage() && !source->hasText();
}

// The local files among the data's links whose content is a picture.
QStringList pictureFiles(const QMimeData* source)
{
    QStringList pictures;
    if (!source->hasUrls())
        return pictures;
    for (const QUrl& url : source->urls()) {
        if (url.isLocalFile() && !QImageReader::imageFormat(url.toLocalFile()).isEmpty())
            pictures.append(url.toLocalFile());
    }
    return pictures;
}

} // namespace

bool VelkoTextView::canInsertFromMimeData(const QMimeData* source) const
{
    return offersImageOnly(source) || QTextEdit::canInsertFromMimeData(source) ||
           !pictureFiles(source).isEmpty();
}

void VelkoTextView::insertFromMimeData(const QMimeData* source)
{
    QTextCursor cursor = textCursor();
    if (offersImageOnly(source)) {
        textinsert::insertImage(cursor, qvariant_cast<QImage>(source->imageData()));
        return;
    }
    if (const QStringList pictures = pictureFiles(source); !pictures.isEmpty()) {
        cursor.beginEditBlock();
        for (const QString& path : pictures) {
            if (const Result<QByteArray> bytes = readDocumentFile(path))
                textinsert::insertPicture(cursor, bytes.value());
        }
        cursor.endEditBlock();
        return;
    }
    QTextEdit::insertFromMimeData(source);
}

bool VelkoTextView::isEmpty() const
{
    return document()->characterCount() <= 1;
}

// Tab types a tab (in a table it goes to the next cell), so Ctrl+Tab and F6 (with Shift: backwards)
// leave the text for the window's other controls, as in other editors.
void VelkoTextView::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrlTab =
        (mods & Qt::ControlModifier) && (key == Qt::Key_Tab || key == Qt::Key_Backtab);
    if (ctrlTab || key == Qt::Key_F6) {
        const bool back = key == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
        QWidget::focusNextPrevChild(!back); // QTextEdit keeps the focus while editable
        event->accept();
        return;
    }
    // In a table, Tab and Shift+Tab go from cell to cell.
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !isReadOnly()) {
        QTextCursor cursor = textCursor();
        if (textinsert::moveToNextCell(cursor,
                                       key == Qt::Key_Backtab || (mods & Qt::ShiftModifier))) {
            setTextCursor(cursor);
            event->accept();
            return;
        }
    }
    QTextEdit::keyPressEvent(event);
}

} // namespace velko
