// Print and Export as PDF.

#include "engine/editingtools.h"

#include "core/documentstate.h"
#include "engine/engine.h"
#include "feedback/sheets.h"
#include "feedback/velkotextview.h"

#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryFile>
#include <QTextDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    PanelSpec spec;
    spec.kind = PanelKind::Save;
    spec.fileType = QStringLiteral("pdf");
    const QFileInfo document(m_engine && m_engine->state ? m_engine->state->fileName
                                                         : kDefaultFileName);
    spec.fileName = document.completeBaseName() + QStringLiteral(".pdf");
    if (document.isAbsolute())
        spec.directory = document.absolutePath();
    // 2. Ask where to write it.
    QString path;
    if (runModalPanel(m_window, spec, &path) != kPanelOK)
        return;
    // 3. Write it; tell when that fails.
    const Status written = exportPdfTo(path);
    if (!written && m_engine)
        m_engine->showFailure(tr("The PDF could not be exported."), written.error());
}

Status EditingTools::exportPdfTo(const QString& path)
{
    const QFileInfo target(path);
    // The printer writes to a named file: a hidden one beside the target,
    // renamed over it once complete.
    QTemporaryFile scratch(target.absoluteDir().filePath(
        QStringLiteral(".%1.XXXXXX.pdf").arg(target.completeBaseName())));
    if (!scratch.open())
        return makeError(ErrorCode::FileWrite, path + QStringLiteral(": ") + scratch.errorString());
    scratch.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(scratch.fileName());
    printer.setDocName(target.completeBaseName());
    printer.setCreator(QStringLiteral("Velko"));
    m_view->document()->print(&printer);

    // A new file gets the usual permissions of a document, a replaced one keeps its own.
    scratch.setPermissions(target.exists() ? target.permissions()
                                           : QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ReadGroup | QFile::ReadOther);
    QFile written(scratch.fileName());
    if (!written.open(QIODevice::ReadOnly) || written.read(5) != "%PDF-")
        return makeError(ErrorCode::FileWrite, path);
    written.close();
    if (std::rename(QFile::encodeName(scratch.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        return makeError(ErrorCode::FileWrite, path + QStringLiteral(": ") +
                                                   QString::fromLocal8Bit(std::strerror(errno)));
    scratch.setAutoRemove(false);
    return {};
}

} // namespace velko
