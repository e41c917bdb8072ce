#include "app/layout.h"
#include "app/layout_util.h"

#include "engine/engine.h"
#include "feedback/velkofield_delegate.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace velko {

namespace {

// Tells, as the keyword is typed again, whether it matches the first entry.
// Empty while nothing has been repeated yet.
void updateMatchIndicator(QLabel* indicator, const QString& keyword, const QString& repetition)
{
    if (repetition.isEmpty()) {
        indicator->clear();
        indicator->setAccessibleDescription(QString());
        return;
    }
    const bool match = keyword == repetition;
    const QString text =
        match ? QObject::tr("Keywords match") : QObject::tr("Keywords do not match");
    indicator->setText(text);
    indicator->setAccessibleDescription(text);
    // A light shade of it on a dark window.
    setLabelColor(indicator, match ? QColor(0, 110, 0) : QColor(190, 0, 0));
}

void buildEnterKeywordWindow(Layout& layout)
{
    Engine* engine = layout.engine;
    QWidget* window =
        createToolWindow(layout.mainWindow.get(), QStringLiteral("windowEnterKeyWord"),
                         QObject::tr("Secure Document"));
    auto* column = new QVBoxLayout(window);
    column->addWidget(new QLabel(QObject::tr("Type the keyword that will lock the document, "
                                             "twice."),
                                 window));
    auto* form = new QFormLayout;
    QLineEdit* first =
        createKeywordField(window, QStringLiteral("textfieldKeyword"), QObject::tr("Keyword"));
    QLineEdit* second = createKeywordField(window, QStringLiteral("textfieldKeyword2"),
                                           QObject::tr("Repeat keyword"));
    form->addRow(QObject::tr("&Keyword:"), first);
    form->addRow(QObject::tr("&Repeat:"), second);
    auto* indicator = new QLabel(window);
    indicator->setObjectName(QStringLiteral("keywordMatchIndicator"));
    indicator->setAccessibleName(QObject::tr("Keyword match"));
    form->addRow(QString(), indicator);
    column->addLayout(form);
    const auto update = [indicator, first, second]() {
        updateMatchIndicator(indicator, first->text(), second->text());
    };
    QObject::connect(first, &QLineEdit::textChanged, indicator, update);
    QObject::connect(second, &QLineEdit::textChanged, indicator, update);
    ButtonRow buttons = createButtonRow(window, QObject::tr("OK"), QObject::tr("Cancel"));
    buttons.ok->setObjectName(QStringLiteral("btnOKEnterKeyword"));
    buttons.cancel->setObjectName(QStringLiteral("btnCancelEnterKeyword"));
    column->addWidget(buttons.box);
    QObject::connect(buttons.ok, &QPushButton::clicked, engine, &Engine::btnOKEnterKeyword);
    QObject::connect(buttons.cancel, &QPushButton::clicked, engine, &Engine::btnCancelEnterKeyword);
    window->resize(360, 150);

    engine->windowEnterKeyWord = window;
    engine->textfieldKeyword = first;
    engine->textfieldKeyword2 = second;
}

void buildUnlockKeywordWindow(Layout& layout)
{
    Engine* engine = layout.engine;
    QWidget* window =
        createToolWindow(layout.mainWindow.get(), QStringLiteral("windowUnlockKeyword"),
                         QObject::tr("Unlock Document"));
    auto* column = new QVBoxLayout(window);
    column->addWidget(new QLabel(QObject::tr("Type the keyword of the secure document."), window));
    auto* form = new QFormLayout;
    QLineEdit* field = createKeywordField(window, QStringLiteral("textFieldKeywordUnlock"),
                                          QObject::tr("Keyword"));
    form->addRow(QObject::tr("&Keyword:"), field);
    column->addLayout(form);
    ButtonRow buttons = createButtonRow(window, QObject::tr("OK"), QObject::tr("Cancel"));
    buttons.ok->setObjectName(QStringLiteral("btnUnlockTextOk"));
    buttons.cancel->setObjectName(QStringLiteral("btnUnlockTextCancel"));
    column->addWidget(buttons.box);
    QObject::connect(buttons.ok, &QPushButton::clicked, engine, &Engine::btnUnlockTextOk);
    QObject::connect(buttons.cancel, &QPushButton::clicked, engine, &Engine::btnUnlockTextCancel);
    window->resize(360, 120);

    engine->windowUnlockKeyword = window;
    engine->textFieldKeywordUnlock = field;
}

} // namespace

void buildKeywordWindows(Layout& layout)
{
    buildEnterKeywordWindow(layout);
    buildUnlockKeywordWindow(layout);
}

} // namespace velko
