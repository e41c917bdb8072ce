#pragma once

#include <QString>

class QDialogButtonBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace velko {

// A secondary window: a tool window of `parent`, hidden until attached.
QWidget* createToolWindow(QWidget* parent, const QString& objectName, const QString& title);

// OK and Cancel (or other texts) for a secondary window; Escape presses
// Cancel, and Return in any line field already in the window presses OK.
struct ButtonRow
{
    QDialogButtonBox* box;
    QPushButton* ok;
    QPushButton* cancel;
};
ButtonRow createButtonRow(QWidget* window, const QString& okText, const QString& cancelText);

// A Close button for a window that only shows something; Escape presses it.
QPushButton* createCloseButton(QWidget* window, const QString& objectName);

// A keyword field: characters hidden, with a show/hide toggle in the field.
QLineEdit* createKeywordField(QWidget* parent, const QString& objectName,
                              const QString& accessibleName);

} // namespace velko
