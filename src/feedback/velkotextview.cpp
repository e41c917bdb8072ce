#include "feedback/velkotextview.h"

#include "rtf/rtf.h"

#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>

namespace velko {

VelkoTextView::VelkoTextView(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
    adoptDocument(document());
}

void VelkoTextView::adoptDocument(QTextDocument* doc)
{
    connect(doc, &QTextDocument::contentsChange, this, &VelkoTextView::onContentsChange);
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
    document()->setModified(false);
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
    CodeChange change(this);
    QTextDocument* previous = document();
    // setDocument() deletes the view's initial document itself; only the
    // ones made here are ours to delete.
    const bool ownPrevious = previous->parent() == this;
    replacement->setModified(false);
    setDocument(replacement);
    adoptDocument(replacement);
    if (ownPrevious)
        previous->deleteLater();
    moveCursor(QTextCursor::Start);
    emit documentReplaced(replacement);
    return {};
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

bool VelkoTextView::isEmpty() const
{
    return document()->characterCount() <= 1;
}

} // namespace velko
