#include "app/layout_util.h"

#include "feedback/actionicons.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QDialogButtonBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>

namespace velko {

namespace {

const char* const kDialogProperty = "velkoDialog";

// Secondary windows are plain tool windows for their behaviour (Return,
// Escape and closing are theirs to handle), but dialogs to assistive tools.
QAccessibleInterface* dialogAccessible(const QString& key, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (key != QLatin1String("QWidget") || !widget || !widget->property(kDialogProperty).toBool())
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Dialog);
}

} // namespace

QWidget* createToolWindow(QWidget* parent, const QString& objectName, const QString& title)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(dialogAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    auto* window = new QWidget(parent, Qt::Tool);
    window->setProperty(kDialogProperty, true);
    window->setObjectName(objectName);
    window->setWindowTitle(title);
    window->setAccessibleName(title);
    window->hide();
    return window;
}

namespace {

// Escape presses `button`, as in a dialog.
void pressOnEscape(QWidget* window, QPushButton* button)
{
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, button, &QPushButton::click);
}

} // namespace

ButtonRow createButtonRow(QWidget* window, const QString& okText, const QString& cancelText)
{
    auto* box = new QDialogButtonBox(window);
    QPushButton* ok = box->addButton(okText, QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton(cancelText, QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    pressOnEscape(window, cancel);
    // Default buttons act on Return only inside dialogs: these are plain
    // windows, so Return in any of their fields presses OK itself.
    for (QLineEdit* field : window->findChildren<QLineEdit*>())
        QObject::connect(field, &QLineEdit::returnPressed, ok, &QPushButton::click);
    return {box, ok, cancel};
}

QPushButton* createCloseButton(QWidget* window, const QString& objectName)
{
    auto* box = new QDialogButtonBox(window);
    QPushButton* close = box->addButton(QObject::tr("Close"), QDialogButtonBox::AcceptRole);
    close->setObjectName(objectName);
    close->setDefault(true);
    pressOnEscape(window, close);
    window->layout()->addWidget(box);
    return close;
}

QLineEdit* createKeywordField(QWidget* parent, const QString& objectName,
                              const QString& accessibleName)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setAccessibleName(accessibleName);
    field->setEchoMode(QLineEdit::Password);
    auto* toggle =
        field->addAction(actionIcon(QStringLiteral("showKeyword")), QLineEdit::TrailingPosition);
    toggle->setObjectName(objectName + QStringLiteral("ShowToggle"));
    toggle->setCheckable(true);
    toggle->setText(QObject::tr("Show keyword"));
    toggle->setToolTip(QObject::tr("Show or hide the keyword"));
    QObject::connect(toggle, &QAction::toggled, field, [field, toggle](bool shown) {
        field->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
        toggle->setText(shown ? QObject::tr("Hide keyword") : QObject::tr("Show keyword"));
    });
    return field;
}

} // namespace velko
