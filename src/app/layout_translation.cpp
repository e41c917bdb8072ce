#include "app/layout.h"
#include "app/layout_util.h"

#include "engine/engine.h"

#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velko {

void buildTranslationWindow(Layout& layout)
{
    Engine* engine = layout.engine;
    QWidget* window = createToolWindow(layout.mainWindow.get(), QStringLiteral("translationWindow"),
                                       QObject::tr("Translation"));
    auto* column = new QVBoxLayout(window);
    auto* text = new QPlainTextEdit(window);
    text->setObjectName(QStringLiteral("translationText"));
    text->setAccessibleName(QObject::tr("Answer of the translation service"));
    text->setReadOnly(true);
    text->setTabChangesFocus(true);
    column->addWidget(text);
    QPushButton* close = createCloseButton(window, QStringLiteral("btnTranslationClose"));
    QObject::connect(close, &QPushButton::clicked, engine, &Engine::btnTranslationClose);
    window->resize(420, 240);

    engine->translationWindow = window;
    engine->translationText = text;
}

} // namespace velko
