#include "app/layout.h"
#include "app/layout_util.h"

#include "app/appcontroller.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace velko {

void buildUnlockOnOpenWindow(Layout& layout)
{
    AppController* controller = layout.appController;
    QWidget* window =
        createToolWindow(layout.mainWindow.get(), QStringLiteral("windowUnlockFileWithKeyword"),
                         QObject::tr("Unlock Document"));
    auto* column = new QVBoxLayout(window);
    column->addWidget(new QLabel(QObject::tr("Type the keyword and choose the cipher of the "
                                             "secure document."),
                                 window));
    auto* form = new QFormLayout;
    QLineEdit* field =
        createKeywordField(window, QStringLiteral("fieldKeyWord"), QObject::tr("Keyword"));
    auto* popUp = new QComboBox(window);
    popUp->setObjectName(QStringLiteral("btnPopUpButtonOpen"));
    popUp->setAccessibleName(QObject::tr("Cipher"));
    for (const QString& option : allCipherOptions())
        popUp->addItem(cipherMenuText(option), option);
    QObject::connect(popUp, &QComboBox::activated, controller, [controller](int index) {
        void (AppController::*const items[])() = {&AppController::btnPopUpCipherBlowfishSelected,
                                                  &AppController::btnPopUpCipherDES3Selected,
                                                  &AppController::btnPopUpCipherRC5Selected,
                                                  &AppController::btnPopUpCipherRC4Selected,
                                                  &AppController::btnPopUpCipherAES256Selected};
        if (index >= 0 && index < int(std::size(items)))
            (controller->*items[index])();
    });
    form->addRow(QObject::tr("&Keyword:"), field);
    form->addRow(QObject::tr("C&ipher:"), popUp);
    column->addLayout(form);
    ButtonRow buttons = createButtonRow(window, QObject::tr("OK"), QObject::tr("Cancel"));
    buttons.ok->setObjectName(QStringLiteral("btnOpenLockedFileOK"));
    buttons.cancel->setObjectName(QStringLiteral("btnOpenLockedFileCancel"));
    column->addWidget(buttons.box);
    QObject::connect(buttons.ok, &QPushButton::clicked, controller,
                     &AppController::btnOpenLockedFileOK);
    QObject::connect(buttons.cancel, &QPushButton::clicked, controller,
                     &AppController::btnOpenLockedFileCancel);
    window->resize(380, 150);

    controller->windowUnlockFileWithKeyword = window;
    controller->fieldKeyWord = field;
    controller->btnPopUpButtonOpen = popUp;
}

} // namespace velko
