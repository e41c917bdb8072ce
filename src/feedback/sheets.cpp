#include "feedback/sheets.h"

#include "feedback/childwindow.h"

#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QPushButton>
#include <QSpacerItem>
#include <QTreeView>

namespace velko {

namespace {

// An alert wide enough for the window manager to show its whole title,
// centred over its window. A message box sizes itself to its texts at each
// layout: a strut as wide as the title lets it size itself to the title
// too, in one step, instead of being widened after each of its own.
class AlertBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            fitTitle();
        const bool handled = QMessageBox::event(event);
        // It was placed before it laid itself out, at the size it had then.
        if (event->type() == QEvent::Show && parentWidget())
            centreOver(this, parentWidget()->window());
        return handled;
    }

private:
    void fitTitle()
    {
        auto* grid = qobject_cast<QGridLayout*>(layout());
        if (!grid)
            return;
        const QMargins margins = grid->contentsMargins();
        const int wanted = titleFittingWidth(this) - margins.left() - margins.right();
        if (!m_strut) {
            m_strut = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
            grid->addItem(m_strut, grid->rowCount(), 0, 1, grid->columnCount());
        }
        m_strut->changeSize(wanted, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
        grid->invalidate();
    }

    QSpacerItem* m_strut = nullptr;
};

} // namespace

QMessageBox* createNotice(QWidget* window, QMessageBox::Icon icon, const QString& title)
{
    auto* notice = new AlertBox(icon, title, title, QMessageBox::Ok, window);
    notice->setWindowModality(Qt::WindowModal);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    return notice;
}

QMessageBox* createAlertSheet(QWidget* window, const AlertSpec& spec)
{
    auto* alert = new AlertBox(window);
    alert->setIcon(QMessageBox::Warning);
    alert->setWindowModality(Qt::WindowModal);
    alert->setText(spec.messageText);
    alert->setInformativeText(spec.informativeText);
    alert->setWindowTitle(spec.messageText);
    for (int i = 0; i < spec.buttons.size(); ++i) {
        const bool last = i == spec.buttons.size() - 1;
        const auto role = i == 0 ? QMessageBox::AcceptRole
                                 : (last ? QMessageBox::RejectRole : QMessageBox::ActionRole);
        QPushButton* button = alert->addButton(spec.buttons.at(i), role);
        button->setAccessibleName(spec.buttons.at(i));
        button->setProperty("velkoOrder", i);
        if (i == 0)
            alert->setDefaultButton(button);
        if (last)
            alert->setEscapeButton(button);
    }
    return alert;
}

int alertReturnCode(QMessageBox* alert)
{
    QAbstractButton* clicked = alert->clickedButton();
    // Closing the alert any other way counts as its last button.
    if (!clicked)
        return kAlertFirstButtonReturn + int(alert->buttons().size()) - 1;
    return kAlertFirstButtonReturn + clicked->property("velkoOrder").toInt();
}

QFileDialog* createPanel(QWidget* parent, const PanelSpec& spec)
{
    auto* panel = new QFileDialog(parent);
    centreWhenShown(panel);
    QString filter = QObject::tr("Rich Text documents (*.%1)").arg(spec.fileType);
    if (spec.fileType == QLatin1String("srtf"))
        filter = QObject::tr("Secure documents (*.srtf)");
    else if (spec.fileType == QLatin1String("pdf"))
        filter = QObject::tr("PDF documents (*.pdf)");
    if (spec.fileType == kPictureFileType) {
        QStringList patterns;
        for (const QByteArray& suffix : QImageReader::supportedImageFormats())
            patterns << QStringLiteral("*.") + QString::fromLatin1(suffix);
        filter = QObject::tr("Pictures (%1)").arg(patterns.join(QLatin1Char(' ')));
    }
    if (spec.fileType == kAnyDocumentType)
        panel->setNameFilters({QObject::tr("Documents (*.rtf *.srtf)"),
                               QObject::tr("Rich Text documents (*.rtf)"),
                               QObject::tr("Secure documents (*.srtf)")});
    else
        panel->setNameFilter(filter);
    if (!spec.directory.isEmpty())
        panel->setDirectory(spec.directory);
    if (spec.kind == PanelKind::Save) {
        panel->setAcceptMode(QFileDialog::AcceptSave);
        panel->setFileMode(QFileDialog::AnyFile);
        panel->setDefaultSuffix(spec.fileType);
        if (!spec.fileName.isEmpty())
            panel->selectFile(spec.fileName);
        panel->setWindowTitle(QObject::tr("Save"));
    } else {
        panel->setAcceptMode(QFileDialog::AcceptOpen);
        panel->setFileMode(QFileDialog::ExistingFile);
        panel->setWindowTitle(spec.fileType == kPictureFileType ? QObject::tr("Insert Picture")
                                                                : QObject::tr("Open"));
    }
    // The list's size, kind and date columns as wide as what they show.
    if (auto* list = panel->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        for (int column = 1; column < list->header()->count(); ++column)
            list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    panel->setProperty("velkoFileType", spec.fileType);
    panel->setProperty("velkoSave", spec.kind == PanelKind::Save);
    return panel;
}

QString chosenPath(QFileDialog* panel)
{
    const QStringList files = panel->selectedFiles();
    if (files.isEmpty())
        return {};
    QString path = files.first();
    const QString fileType = panel->property("velkoFileType").toString();
    if (panel->property("velkoSave").toBool() && !fileType.isEmpty() &&
        QFileInfo(path).suffix().compare(fileType, Qt::CaseInsensitive) != 0)
        path += QLatin1Char('.') + fileType;
    return path;
}

int runModalPanel(QWidget* parent, const PanelSpec& spec, QString* path)
{
    QFileDialog* panel = createPanel(parent, spec);
    panel->setWindowModality(Qt::ApplicationModal);
    const int result = panel->exec();
    const QString chosen = chosenPath(panel);
    delete panel;
    if (result != QDialog::Accepted || chosen.isEmpty())
        return kPanelCancel;
    *path = chosen;
    return kPanelOK;
}

} // namespace velko
