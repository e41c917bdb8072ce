#include "app/layout.h"
#include "app/layout_util.h"

#include "engine/engine.h"

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace velko {

void buildAboutWindow(Layout& layout)
{
    QWidget* window = createToolWindow(layout.mainWindow.get(), QStringLiteral("aboutWindowOpen"),
                                       QObject::tr("About Velko"));
    auto* column = new QVBoxLayout(window);
    auto* text = new QLabel(
        QObject::tr("<h3>Velko %1</h3><p>A rich-text editor whose documents lock with a "
                    "keyword.</p><p>Secure documents are enciphered by the openssl tool and "
                    "can be read back with it.</p>")
            .arg(QStringLiteral(VELKO_VERSION)),
        window);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(text);
    QPushButton* close = createCloseButton(window, QStringLiteral("btnAboutBoxClose"));
    QObject::connect(close, &QPushButton::clicked, layout.engine, &Engine::btnAboutBoxClose);
    window->resize(320, 160);
    layout.engine->aboutWindowOpen = window;
}

} // namespace velko
