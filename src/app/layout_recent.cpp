#include "app/layout_recent.h"

#include "app/layout.h"
#include "core/desktop/recentdocuments.h"
#include "engine/engine.h"
#include "feedback/actionicons.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace velko {

namespace {

const int kMaxMenuEntries = 10;

// "name — folder", with ampersands kept literal.
QString entryText(int index, const QString& path)
{
    const QFileInfo info(path);
    QString name = info.fileName();
    QString folder = QDir::toNativeSeparators(info.absolutePath());
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    folder.replace(QLatin1Char('&'), QLatin1String("&&"));
    const QString number = index < 9 ? QStringLiteral("&%1 ").arg(index + 1) : QString();
    return number + name + QStringLiteral(" — ") + folder;
}

void fillOpenRecentMenu(QMenu* menu, Engine* engine)
{
    menu->clear();
    const QStringList paths = recentDocuments();
    for (int i = 0; i < paths.size() && i < kMaxMenuEntries; ++i) {
        const QString path = paths.at(i);
        QAction* action = menu->addAction(entryText(i, path));
        action->setData(path);
        action->setToolTip(path);
        action->setIcon(actionIcon(QStringLiteral("recentDocument")));
        QObject::connect(action, &QAction::triggered, engine,
                         [engine, path]() { engine->openRecentDocument(path); });
    }
    if (menu->isEmpty())
        menu->addAction(QObject::tr("No Recent Documents"))->setEnabled(false);
}

} // namespace

void buildOpenRecentMenu(Layout& layout)
{
    QMenu* menu = layout.openRecentMenu;
    Engine* engine = layout.engine;
    QObject::connect(menu, &QMenu::aboutToShow, menu,
                     [menu, engine]() { fillOpenRecentMenu(menu, engine); });
    fillOpenRecentMenu(menu, engine);
}

} // namespace velko
