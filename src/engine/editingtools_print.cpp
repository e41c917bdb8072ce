// Print and Export as PDF.

#include "engine/editingtools.h"

#include "core/atomicfile.h"
#include "core/documentstate.h"
#include "core/paths.h"
#include "engine/engine.h"
#include "feedback/sheets.h"
#include "feedback/velkotextview.h"

#include <QFileInfo>
#include <QMainWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

namespace velko {

void EditingTools::printDocument()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, m_window);
    dialog.setWindowTitle(tr("Print Document"));
    if (m_view->textCursor().hasSelection())
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_view->print(&printer);
}

void EditingTools::exportAsPdf()
{
    // 1. Propose the document's name with the PDF extension, in its folder.
    const PanelStart start =
        savePanelStart(m_engine && m_engine->state ? m_engine->state->fileName : kDefaultFileName,
                       QStringLiteral("pdf"));
    const PanelSpec spec{PanelKind::Save, QStringLiteral("pdf"), start.folder, start.fileName};
    // 2. Ask where to write it.
    QString path;
    if (runModalPanel(m_window, spec, &path) != kPanelOK)
        return;
    // 3. Write it; tell when that fails.
    const Status written = exportPdfTo(path);
    if (!written && m_engine)
        m_engine->showFailure(Operation::ExportPdf, written.error());
}

Status EditingTools::exportPdfTo(const QString& path)
{
    // The printer writes through the descriptor of a file with no name yet,
    // which replaces the target once it is a complete PDF.
    AtomicFile file(path);
    if (const Status created = file.create(); !created)
        return created;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file.descriptorPath());
    printer.setDocName(QFileInfo(path).completeBaseName());
    printer.setCreator(QStringLiteral("Velko"));
    m_view->document()->print(&printer);

    const Result<QByteArray> written = file.readBack();
    if (!written)
        return written.error();
    if (!written.value().startsWith("%PDF-"))
        return file.childWriteFailure(makeError(
            ErrorCode::FileWrite, QStringLiteral("%1: the PDF was not written.").arg(path)));
    return file.commit();
}

} // namespace velko
