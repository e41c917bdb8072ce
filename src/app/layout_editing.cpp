#include "app/layout.h"

#include "engine/editingtools.h"
#include "engine/engine.h"
#include "feedback/findbar.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QBoxLayout>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>

namespace velko {

namespace {

void addToMenu(Layout& layout, QMenu* menu, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (name)
            menu->addAction(layout.action(QString::fromLatin1(name)));
        else
            menu->addSeparator();
    }
}

// Print and Export as PDF go after Send by Mail, before Clear and Quit.
void addPrintToFileMenu(Layout& layout)
{
    QAction* before = layout.action(QStringLiteral("btnClearAction"));
    const QList<QAction*> items = layout.fileMenu->actions();
    const qsizetype at = items.indexOf(before);
    if (at > 0 && items.at(at - 1)->isSeparator())
        before = items.at(at - 1);
    layout.fileMenu->insertAction(before, layout.action(QStringLiteral("filePrint")));
    layout.fileMenu->insertAction(before, layout.action(QStringLiteral("fileExportPdf")));
    layout.fileMenu->insertSeparator(layout.action(QStringLiteral("filePrint")));
}

} // namespace

// Format, Edit and View tools of the document window.
void buildEditingTools(Layout& layout)
{
    QMainWindow* window = layout.mainWindow.get();
    VelkoTextView* view = layout.engine->VelkoField;
    auto* tools = new EditingTools(view, window, layout.engine);
    for (auto it = tools->actions().cbegin(); it != tools->actions().cend(); ++it)
        layout.actions.insert(it.key(), it.value());

    addToMenu(layout, layout.editMenu,
              {"editUndo", "editRedo", nullptr, "editCut", "editCopy", "editPaste",
               "editPastePlainText", "editSelectAll", nullptr, "editFind", "editFindNext",
               "editFindPrevious", "editReplace"});

    addToMenu(layout, layout.formatMenu,
              {"formatFont", "formatBold", "formatItalic", "formatUnderline", "formatStrikeOut",
               nullptr, "formatTextColor", "formatHighlightColor", nullptr});
    QMenu* baseline = layout.formatMenu->addMenu(QObject::tr("Base&line"));
    baseline->setObjectName(QStringLiteral("baselineMenu"));
    addToMenu(layout, baseline, {"formatSuperscript", "formatSubscript"});
    QMenu* alignment = layout.formatMenu->addMenu(QObject::tr("&Alignment"));
    alignment->setObjectName(QStringLiteral("alignmentMenu"));
    addToMenu(layout, alignment,
              {"formatAlignLeft", "formatAlignCenter", "formatAlignRight", "formatAlignJustify"});
    addToMenu(layout, layout.formatMenu,
              {"formatIndentMore", "formatIndentLess", nullptr, "formatBulletList",
               "formatNumberedList", nullptr, "formatInsertTable"});
    QMenu* table = layout.formatMenu->addMenu(QObject::tr("Table &Rows and Columns"));
    table->setObjectName(QStringLiteral("tableMenu"));
    addToMenu(layout, table,
              {"tableInsertRowAbove", "tableInsertRowBelow", "tableInsertColumnLeft",
               "tableInsertColumnRight", nullptr, "tableRemoveRow", "tableRemoveColumn"});
    addToMenu(layout, layout.formatMenu, {"formatInsertPicture", nullptr, "formatClear"});

    addToMenu(layout, layout.viewMenu, {"viewZoomIn", "viewZoomOut", "viewActualSize"});
    layout.viewMenu->addSeparator();
    QAction* formatBar = tools->formatBar()->toggleViewAction();
    formatBar->setObjectName(QStringLiteral("viewFormatBar"));
    formatBar->setText(QObject::tr("&Format Bar"));
    layout.viewMenu->addAction(formatBar);

    addPrintToFileMenu(layout);

    window->addToolBarBreak(Qt::TopToolBarArea);
    window->addToolBar(Qt::TopToolBarArea, tools->formatBar());

    // The find bar sits under the text, above the cipher row.
    if (auto* column = qobject_cast<QBoxLayout*>(window->centralWidget()->layout())) {
        const int viewIndex = column->indexOf(view);
        column->insertWidget(viewIndex + 1, tools->findBar());
    }
}

} // namespace velko
