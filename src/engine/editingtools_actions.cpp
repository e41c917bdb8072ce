// The actions of the editing tools, made from one table, and the format bar.

#include "engine/editingtools.h"

#include "feedback/findbar.h"
#include "feedback/velkotextview.h"
#include "feedback/viewzoom.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QIcon>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QToolBar>

namespace velko {

namespace {

// The keys of an action: the platform's bindings for its command (Redo:
// Ctrl+Shift+Z and Ctrl+Y), one of our own, or both where some platforms bind
// the command to nothing (Replace, Ctrl+H) or to a key hard to reach (Zoom In,
// Ctrl+= beside Ctrl++).
struct Keys
{
    constexpr Keys() = default;
    constexpr Keys(QKeySequence::StandardKey key) : standard(key) {}
    constexpr Keys(QKeyCombination key) : own(key) {}
    constexpr Keys(QKeySequence::StandardKey key, QKeyCombination also) : standard(key), own(also)
    {
    }
    QKeySequence::StandardKey standard = QKeySequence::UnknownKey;
    QKeyCombination own = Qt::Key_unknown;
};

enum ActionFlag : unsigned {
    ChangesText = 1 << 0, // disabled while the view is read-only
    Checkable = 1 << 1,
    Exclusive = 1 << 2,           // checkable, one of the group of which one is checked
    OnBar = 1 << 3,               // on the format bar, after the one before
    NewBarGroup = 1 << 4 | OnBar, // on the format bar, after a separator
    BoldLabel = 1 << 5,
    InTable = 1 << 6, // enabled while the cursor is in a table
};

struct ActionSpec
{
    const char* name; // the object name the layout and the tests look it up by
    const char* text;
    Keys keys;
    unsigned flags;
    void (*run)(EditingTools& tools, bool checked);
    const char* iconText; // the short text on the format bar, or none
};

constexpr Keys kNoKeys;
using Tools = EditingTools&;
constexpr unsigned Toggle = ChangesText | Checkable;
constexpr unsigned Alignment = ChangesText | Checkable | Exclusive;

// Every action of the tools, in the order of the format bar for those on it:
// name, text, keys, flags, what it does, short text on the bar.
const ActionSpec kActions[] = {
    // Edit
    {"editUndo", "&Undo", QKeySequence::Undo, ChangesText, [](Tools t, bool) { t.view()->undo(); },
     nullptr},
    {"editRedo", "&Redo", QKeySequence::Redo, ChangesText, [](Tools t, bool) { t.view()->redo(); },
     nullptr},
    {"editCut", "Cu&t", QKeySequence::Cut, ChangesText, [](Tools t, bool) { t.view()->cut(); },
     nullptr},
    {"editCopy", "&Copy", QKeySequence::Copy, 0, [](Tools t, bool) { t.view()->copy(); }, nullptr},
    {"editPaste", "&Paste", QKeySequence::Paste, ChangesText,
     [](Tools t, bool) { t.view()->paste(); }, nullptr},
    {"editPastePlainText", "Paste as Plain Te&xt", Qt::CTRL | Qt::SHIFT | Qt::Key_V, ChangesText,
     [](Tools t, bool) { t.pastePlainText(); }, nullptr},
    {"editSelectAll", "Select &All", QKeySequence::SelectAll, 0,
     [](Tools t, bool) { t.view()->selectAll(); }, nullptr},
    {"editFind", "&Find…", QKeySequence::Find, 0, [](Tools t, bool) { t.findBar()->showFind(); },
     nullptr},
    {"editFindNext", "Find &Next", QKeySequence::FindNext, 0,
     [](Tools t, bool) { t.findBar()->findNext(); }, nullptr},
    {"editFindPrevious", "Find Pre&vious", QKeySequence::FindPrevious, 0,
     [](Tools t, bool) { t.findBar()->findPrevious(); }, nullptr},
    {"editReplace",
     "R&eplace…",
     {QKeySequence::Replace, Qt::CTRL | Qt::Key_H},
     ChangesText,
     [](Tools t, bool) { t.findBar()->showReplace(); },
     nullptr},

    // Format: characters
    {"formatFont", "&Font…", kNoKeys, ChangesText, [](Tools t, bool) { t.chooseFont(); }, nullptr},
    {"formatBold", "&Bold", QKeySequence::Bold, Toggle | NewBarGroup | BoldLabel,
     [](Tools t, bool on) { t.setBold(on); }, "B"},
    {"formatItalic", "&Italic", QKeySequence::Italic, Toggle | OnBar,
     [](Tools t, bool on) { t.setItalic(on); }, "I"},
    {"formatUnderline", "&Underline", QKeySequence::Underline, Toggle | OnBar,
     [](Tools t, bool on) { t.setUnderline(on); }, "U"},
    {"formatStrikeOut", "&Strike-out", Qt::CTRL | Qt::SHIFT | Qt::Key_X, Toggle | OnBar,
     [](Tools t, bool on) { t.setStrikeOut(on); }, "S"},
    {"formatSuperscript", "Su&perscript", kNoKeys, Toggle | OnBar,
     [](Tools t, bool on) { t.setSuperscript(on); }, "x²"},
    {"formatSubscript", "Subs&cript", kNoKeys, Toggle | OnBar,
     [](Tools t, bool on) { t.setSubscript(on); }, "x₂"},
    {"formatTextColor", "Text &Colour…", kNoKeys, ChangesText | NewBarGroup,
     [](Tools t, bool) { t.chooseTextColor(); }, "Colour"},
    {"formatHighlightColor", "&Highlight Colour…", kNoKeys, ChangesText | OnBar,
     [](Tools t, bool) { t.chooseHighlightColor(); }, "Highlight"},

    // Format: paragraphs
    {"formatAlignLeft", "Align &Left", Qt::CTRL | Qt::Key_L, Alignment | NewBarGroup,
     [](Tools t, bool) { t.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); }, "Left"},
    {"formatAlignCenter", "C&entre", Qt::CTRL | Qt::Key_E, Alignment | OnBar,
     [](Tools t, bool) { t.setAlignment(Qt::AlignHCenter); }, "Centre"},
    {"formatAlignRight", "Align &Right", Qt::CTRL | Qt::Key_R, Alignment | OnBar,
     [](Tools t, bool) { t.setAlignment(Qt::AlignRight | Qt::AlignAbsolute); }, "Right"},
    {"formatAlignJustify", "&Justify", Qt::CTRL | Qt::Key_J, Alignment | OnBar,
     [](Tools t, bool) { t.setAlignment(Qt::AlignJustify); }, "Justify"},
    {"formatIndentLess", "&Decrease Indent", Qt::CTRL | Qt::Key_BracketLeft,
     ChangesText | NewBarGroup, [](Tools t, bool) { t.changeIndent(-1); }, "Outdent"},
    {"formatIndentMore", "Increase I&ndent", Qt::CTRL | Qt::Key_BracketRight, ChangesText | OnBar,
     [](Tools t, bool) { t.changeIndent(1); }, "Indent"},
    {"formatBulletList", "Bull&eted List", Qt::CTRL | Qt::SHIFT | Qt::Key_8, Toggle | OnBar,
     [](Tools t, bool on) { t.setList(QTextListFormat::ListDisc, on); }, "• List"},
    {"formatNumberedList", "Nu&mbered List", Qt::CTRL | Qt::SHIFT | Qt::Key_7, Toggle | OnBar,
     [](Tools t, bool on) { t.setList(QTextListFormat::ListDecimal, on); }, "1. List"},
    // Format: tables and pictures
    {"formatInsertTable", "Insert &Table…", kNoKeys, ChangesText,
     [](Tools t, bool) { t.chooseTableSize(); }, nullptr},
    {"formatInsertPicture", "Insert &Picture…", kNoKeys, ChangesText,
     [](Tools t, bool) { t.choosePicture(); }, nullptr},
    {"tableInsertRowAbove", "Insert Row &Above", kNoKeys, ChangesText | InTable,
     [](Tools t, bool) { t.changeTable(textinsert::TableChange::RowAbove); }, nullptr},
    {"tableInsertRowBelow", "Insert Row &Below", kNoKeys, ChangesText | InTable,
     [](Tools t, bool) { t.changeTable(textinsert::TableChange::RowBelow); }, nullptr},
    {"tableInsertColumnLeft", "Insert Column &Left", kNoKeys, ChangesText | InTable,
     [](Tools t, bool) { t.changeTable(textinsert::TableChange::ColumnLeft); }, nullptr},
    {"tableInsertColumnRight", "Insert Column &Right", kNoKeys, ChangesText | InTable,
     [](Tools t, bool) { t.changeTable(textinsert::TableChange::ColumnRight); }, nullptr},
    {"tableRemoveRow", "&Delete Row", kNoKeys, ChangesText | InTable,
     [](Tools t, bool) { t.changeTable(textinsert::TableChange::RemoveRow); }, nullptr},
    {"tableRemoveColumn", "Delete &Column", kNoKeys, ChangesText | InTable,
     [](Tools t, bool) { t.changeTable(textinsert::TableChange::RemoveColumn); }, nullptr},

    {"formatClear", "Clear F&ormatting", Qt::CTRL | Qt::Key_Backslash, ChangesText | NewBarGroup,
     [](Tools t, bool) { t.clearFormatting(); }, "Clear"},

    // View
    {"viewZoomIn",
     "Zoom &In",
     {QKeySequence::ZoomIn, Qt::CTRL | Qt::Key_Equal},
     0,
     [](Tools t, bool) { t.zoom()->zoomIn(); },
     nullptr},
    {"viewZoomOut", "Zoom &Out", QKeySequence::ZoomOut, 0,
     [](Tools t, bool) { t.zoom()->zoomOut(); }, nullptr},
    {"viewActualSize", "&Actual Size", Qt::CTRL | Qt::Key_0, 0,
     [](Tools t, bool) { t.zoom()->actualSize(); }, nullptr},

    // File
    {"filePrint", "&Print…", QKeySequence::Print, 0, [](Tools t, bool) { t.printDocument(); },
     nullptr},
    {"fileExportPdf", "&Export as PDF…", kNoKeys, 0, [](Tools t, bool) { t.exportAsPdf(); },
     nullptr},
};

} // namespace

void EditingTools::buildActions()
{
    QActionGroup* exclusive = nullptr;
    for (const ActionSpec& spec : kActions) {
        auto* action = new QAction(tr(spec.text), m_window);
        const QString name = QString::fromLatin1(spec.name);
        action->setObjectName(name);
        QList<QKeySequence> keys;
        if (spec.keys.standard != QKeySequence::UnknownKey) {
            keys = QKeySequence::keyBindings(spec.keys.standard);
            m_standardKeys.append(action);
        }
        if (spec.keys.own.key() != Qt::Key_unknown && !keys.contains(QKeySequence(spec.keys.own)))
            keys.append(QKeySequence(spec.keys.own));
        action->setShortcuts(keys);
        if (spec.iconText)
            action->setIconText(tr(spec.iconText));
        if (spec.flags & BoldLabel) {
            QFont font;
            font.setBold(true);
            action->setFont(font);
        }
        action->setCheckable(spec.flags & Checkable);
        if (spec.flags & Exclusive) {
            if (!exclusive)
                exclusive = new QActionGroup(this);
            exclusive->addAction(action);
        }
        if (spec.flags & ChangesText)
            m_changingActions.append(action);
        if (spec.flags & InTable)
            m_tableActions.append(action);
        const auto run = spec.run;
        connect(action, &QAction::triggered, this,
                [this, run](bool checked) { run(*this, checked); });
        m_actions.insert(name, action);
    }
}

// Our own shortcuts give way to the platform's: with some desktops' bindings
// Replace is Ctrl+R, which Align Right would otherwise make ambiguous.
void EditingTools::dropClashingShortcuts()
{
    QList<QKeySequence> taken;
    for (const QAction* standard : std::as_const(m_standardKeys))
        taken += standard->shortcuts();
    for (QAction* own : std::as_const(m_actions)) {
        if (!m_standardKeys.contains(own) && taken.contains(own->shortcut()))
            own->setShortcut(QKeySequence());
    }
}

void EditingTools::buildFormatBar()
{
    m_formatBar = new QToolBar(tr("Format"), m_window);
    m_formatBar->setObjectName(QStringLiteral("formatBar"));
    // Icons from the desktop's theme where it has them, short texts otherwise.
    m_formatBar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    m_fontFamily = new QFontComboBox(m_formatBar);
    m_fontFamily->setObjectName(QStringLiteral("fontFamilyBox"));
    m_fontFamily->setAccessibleName(tr("Font family"));
    m_fontFamily->setToolTip(tr("Font family"));
    m_fontFamily->setMaximumWidth(m_fontFamily->fontMetrics().averageCharWidth() * 22);
    connect(m_fontFamily, &QComboBox::textActivated, this, &EditingTools::setFontFamily);

    m_fontSize = new QComboBox(m_formatBar);
    m_fontSize->setObjectName(QStringLiteral("fontSizeBox"));
    m_fontSize->setAccessibleName(tr("Font size"));
    m_fontSize->setToolTip(tr("Font size"));
    m_fontSize->setEditable(true);
    m_fontSize->setInsertPolicy(QComboBox::NoInsert);
    for (int size : QFontDatabase::standardSizes())
        m_fontSize->addItem(QString::number(size));
    // A size picked from the list; one typed and confirmed with Return goes
    // through eventFilter().
    connect(m_fontSize, &QComboBox::textActivated, this, &EditingTools::applyFontSizeText);
    m_fontSize->lineEdit()->installEventFilter(this);

    // The fields in the boxes are what the keyboard lands in: assistive
    // tools name them, not the boxes, on this desktop.
    m_fontFamily->lineEdit()->setAccessibleName(tr("Font family"));
    m_fontSize->lineEdit()->setAccessibleName(tr("Font size"));
    m_formatBar->addWidget(m_fontFamily);
    m_formatBar->addWidget(m_fontSize);
    for (const ActionSpec& spec : kActions) {
        if (!(spec.flags & OnBar))
            continue;
        if ((spec.flags & NewBarGroup) == NewBarGroup)
            m_formatBar->addSeparator();
        QAction* item = action(QString::fromLatin1(spec.name));
        m_formatBar->addAction(item);
        // The button shows a short text; assistive tools read the full one.
        if (QWidget* button = m_formatBar->widgetForAction(item))
            button->setAccessibleName(item->text().remove(QLatin1Char('&')));
    }
}

} // namespace velko
