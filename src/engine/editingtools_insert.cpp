// Tables and pictures put into the text.

#include "engine/editingtools.h"

#include "core/documentfile.h"
#include "engine/engine.h"
#include "feedback/sheets.h"
#include "feedback/tablesizedialog.h"
#include "feedback/velkotextview.h"

#include <QFileDialog>
#include <QMainWindow>

namespace velko {

void EditingTools::chooseTableSize()
{
    if (m_tableSizeDialog)
        return;
    m_tableSizeDialog =
        new TableSizeDialog(m_window, textinsert::kMaxTableRows, textinsert::kMaxTableColumns);
    m_tableSizeDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_tableSizeDialog->setWindowModality(Qt::WindowModal);
    connect(m_tableSizeDialog, &QDialog::finished, this, &EditingTools::tableSizeAnswered);
    m_tableSizeDialog->open();
}

void EditingTools::tableSizeAnswered(int result)
{
    if (result != QDialog::Accepted || !m_tableSizeDialog || m_view->isReadOnly())
        return;
    QTextCursor cursor = m_view->textCursor();
    textinsert::insertTable(cursor, m_tableSizeDialog->rows(), m_tableSizeDialog->columns());
    m_view->setTextCursor(cursor);
    m_view->setFocus();
}

void EditingTools::choosePicture()
{
    // 1. Ask for a picture file, in the document's folder.
    const QString document = m_engine && m_engine->state ? m_engine->state->fileName : QString();
    PanelSpec spec{PanelKind::Open, kPictureFileType, {}, {}};
    if (QFileInfo(document).isAbsolute())
        spec.directory = QFileInfo(document).absolutePath();
    beginPanelSheet(m_window, spec, this, &EditingTools::pictureAnswered);
}

void EditingTools::pictureAnswered(QFileDialog* panel, int returnCode, void*)
{
    // 2. Insert the chosen picture; tell when it cannot be.
    if (returnCode != kPanelOK || m_view->isReadOnly())
        return;
    const Status inserted = insertPictureFile(chosenPath(panel));
    if (!inserted && m_engine)
        m_engine->showFailure(Operation::InsertPicture, inserted.error());
}

Status EditingTools::insertPictureFile(const QString& path)
{
    const Result<QByteArray> bytes = readDocumentFile(path);
    if (!bytes)
        return bytes.error();
    QTextCursor cursor = m_view->textCursor();
    if (!textinsert::insertPicture(cursor, bytes.value()))
        return Error{ErrorCode::NotPicture, path};
    m_view->setTextCursor(cursor);
    return {};
}

void EditingTools::changeTable(textinsert::TableChange change)
{
    QTextCursor cursor = m_view->textCursor();
    if (textinsert::changeTable(cursor, change))
        m_view->setTextCursor(cursor);
    updateEnabled();
}

} // namespace velko
