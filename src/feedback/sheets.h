#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace velko {

// Return codes of alerts and panels: an alert answers 1000 for its first
// button, 1001 for its second; a panel answers 1 for OK and 0 for Cancel.
inline constexpr int kAlertFirstButtonReturn = 1000;
inline constexpr int kPanelOK = 1;
inline constexpr int kPanelCancel = 0;

struct AlertSpec
{
    QString messageText;
    QString informativeText;
    QStringList buttons; // in order; the first is the default button
};

// A message box with `title` as its message text and window title, one OK
// button, window-modal on `window` and deleted once closed; kept wide enough
// for the window manager to show the whole title.
QMessageBox* createNotice(QWidget* window, QMessageBox::Icon icon, const QString& title);

// A warning alert, window-modal on `window`, opened without blocking.
QMessageBox* createAlertSheet(QWidget* window, const AlertSpec& spec);
// The return code of an answered alert.
int alertReturnCode(QMessageBox* alert);

// Shows the alert and, once answered, calls (receiver->*answer)(alert,
// returnCode, nullptr). The alert is deleted after the answer has run.
template <typename Receiver>
QMessageBox* beginAlertSheet(QWidget* window, const AlertSpec& spec, Receiver* receiver,
                             void (Receiver::*answer)(QMessageBox*, int, void*))
{
    QMessageBox* alert = createAlertSheet(window, spec);
    QObject::connect(alert, &QMessageBox::finished, receiver, [alert, receiver, answer](int) {
        (receiver->*answer)(alert, alertReturnCode(alert), nullptr);
        alert->deleteLater();
    });
    alert->open();
    return alert;
}

enum class PanelKind { Save, Open };

// The file type of an open panel that offers every kind of document.
inline const QString kAnyDocumentType = QStringLiteral("rtf+srtf");
// The file type of an open panel that offers the pictures Qt can read.
inline const QString kPictureFileType = QStringLiteral("picture");

struct PanelSpec
{
    PanelKind kind = PanelKind::Save;
    QString fileType;  // "rtf" or "srtf": the extension required of the chosen file
    QString directory; // empty: the panel's own default
    QString fileName;  // proposed name for save panels
};

QFileDialog* createPanel(QWidget* parent, const PanelSpec& spec);
// The chosen path, with the required extension ensured for save panels.
QString chosenPath(QFileDialog* panel);

// A panel as a window-modal sheet; calls (receiver->*answer)(panel,
// returnCode, nullptr) with 1 for OK and 0 for Cancel.
template <typename Receiver>
QFileDialog* beginPanelSheet(QWidget* window, const PanelSpec& spec, Receiver* receiver,
                             void (Receiver::*answer)(QFileDialog*, int, void*))
{
    QFileDialog* panel = createPanel(window, spec);
    panel->setWindowModality(Qt::WindowModal);
    QObject::connect(panel, &QFileDialog::finished, receiver,
                     [panel, receiver, answer](int result) {
                         (receiver->*answer)(
                             panel, result == QDialog::Accepted ? kPanelOK : kPanelCancel, nullptr);
                         panel->deleteLater();
                     });
    panel->open();
    return panel;
}

// A panel run application-modal; blocks until answered. Returns 1 for OK
// (with *path set) and 0 for Cancel.
int runModalPanel(QWidget* parent, const PanelSpec& spec, QString* path);

} // namespace velko
