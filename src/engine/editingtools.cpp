#include "engine/editingtools.h"

#include "core/documentstate.h"
#include "engine/engine.h"
#include "engine/findreplace.h"
#include "feedback/sheets.h"
#include "feedback/velkotextview.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QIcon>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QToolBar>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velko {

namespace {

constexpr qreal kZoomSteps[] = {0.5, 0.67, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0};

// The paragraphs the selection of `cursor` touches.
QList<QTextBlock> selectedBlocks(const QTextCursor& cursor)
{
    QList<QTextBlock> blocks;
    const QTextDocument* document = cursor.document();
    const QTextBlock last = document->findBlock(cursor.selectionEnd());
    for (QTextBlock block = document->findBlock(cursor.selectionStart()); block.isValid();
         block = block.next()) {
        blocks.append(block);
        if (block == last)
            break;
    }
    return blocks;
}

QString themeIconName(const char* action)
{
    static const QHash<QByteArray, QString> names = {
        {"formatBold", QStringLiteral("format-text-bold")},
        {"formatItalic", QStringLiteral("format-text-italic")},
        {"formatUnderline", QStringLiteral("format-text-underline")},
        {"formatStrikeOut", QStringLiteral("format-text-strikethrough")},
        {"formatAlignLeft", QStringLiteral("format-justify-left")},
        {"formatAlignCenter", QStringLiteral("format-justify-center")},
        {"formatAlignRight", QStringLiteral("format-justify-right")},
        {"formatAlignJustify", QStringLiteral("format-justify-fill")},
        {"formatIndentMore", QStringLiteral("format-indent-more")},
        {"formatIndentLess", QStringLiteral("format-indent-less")},
    };
    return names.value(action);
}

QTextCursor cursorAt(const QTextBlock& block)
{
    QTextCursor cursor(block);
    return cursor;
}

} // namespace

EditingTools::EditingTools(VelkoTextView* view, QMainWindow* window, Engine* engine)
    : QObject(window), m_view(view), m_window(window), m_engine(engine)
{
    setObjectName(QStringLiteral("editingTools"));
    buildEditActions();
    buildFormatActions();
    buildViewAndFileActions();
    buildFormatBar();
    m_findBar = new FindBar(view, view->parentWidget());
    dropClashingShortcuts();
    connectView();
    showCharFormat(view->currentCharFormat());
    showBlockFormat();
    updateEnabled();
}

EditingTools::~EditingTools()
{
    // The zoom device dies with us: no layout may keep pointing at it.
    if (m_view && m_zoomedDocument && m_zoomedDocument->documentLayout())
        m_zoomedDocument->documentLayout()->setPaintDevice(nullptr);
}

QAction* EditingTools::addAction(const QString& name, const QString& text,
                                 const QKeySequence& shortcut)
{
    auto* action = new QAction(text, m_window);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    m_actions.insert(name, action);
    return action;
}

QAction* EditingTools::addAction(const QString& name, const QString& text,
                                 QKeySequence::StandardKey key)
{
    QAction* action = addAction(name, text, QKeySequence());
    // Every binding the platform has for the key (Redo: Ctrl+Shift+Z and Ctrl+Y).
    action->setShortcuts(key);
    m_standardKeys.append(action);
    return action;
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

// --- Building ----------------------------------------------------------------

void EditingTools::buildEditActions()
{
    VelkoTextView* view = m_view;
    auto* undo = addAction(QStringLiteral("editUndo"), tr("&Undo"), QKeySequence::Undo);
    connect(undo, &QAction::triggered, view, &QTextEdit::undo);
    auto* redo = addAction(QStringLiteral("editRedo"), tr("&Redo"), QKeySequence::Redo);
    connect(redo, &QAction::triggered, view, &QTextEdit::redo);
    auto* cut = addAction(QStringLiteral("editCut"), tr("Cu&t"), QKeySequence::Cut);
    connect(cut, &QAction::triggered, view, &QTextEdit::cut);
    auto* copy = addAction(QStringLiteral("editCopy"), tr("&Copy"), QKeySequence::Copy);
    connect(copy, &QAction::triggered, view, &QTextEdit::copy);
    auto* paste = addAction(QStringLiteral("editPaste"), tr("&Paste"), QKeySequence::Paste);
    connect(paste, &QAction::triggered, view, &QTextEdit::paste);
    auto* pastePlain = addAction(QStringLiteral("editPastePlainText"), tr("Paste as Plain Te&xt"),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    connect(pastePlain, &QAction::triggered, this, &EditingTools::pastePlainText);
    auto* selectAll =
        addAction(QStringLiteral("editSelectAll"), tr("Select &All"), QKeySequence::SelectAll);
    connect(selectAll, &QAction::triggered, view, &QTextEdit::selectAll);
    m_changingActions << undo << redo << cut << paste << pastePlain;

    // The find bar is made after the actions; the lambdas reach it then.
    auto* find = addAction(QStringLiteral("editFind"), tr("&Find…"), QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] { m_findBar->showFind(); });
    auto* next =
        addAction(QStringLiteral("editFindNext"), tr("Find &Next"), QKeySequence::FindNext);
    connect(next, &QAction::triggered, this, [this] { m_findBar->findNext(); });
    auto* previous = addAction(QStringLiteral("editFindPrevious"), tr("Find Pre&vious"),
                               QKeySequence::FindPrevious);
    connect(previous, &QAction::triggered, this, [this] { m_findBar->findPrevious(); });
    auto* replace =
        addAction(QStringLiteral("editReplace"), tr("R&eplace…"), QKeySequence::Replace);
    connect(replace, &QAction::triggered, this, [this] { m_findBar->showReplace(); });
    m_changingActions << replace;
}

void EditingTools::buildFormatActions()
{
    auto* font = addAction(QStringLiteral("formatFont"), tr("&Font…"), QKeySequence());
    connect(font, &QAction::triggered, this, &EditingTools::chooseFont);

    struct Toggle
    {
        const char* name;
        const char* text;
        const char* shortText;
        QKeySequence::StandardKey key;
        void (EditingTools::*slot)(bool);
    };
    const Toggle toggles[] = {
        {"formatBold", "&Bold", "B", QKeySequence::Bold, &EditingTools::setBold},
        {"formatItalic", "&Italic", "I", QKeySequence::Italic, &EditingTools::setItalic},
        {"formatUnderline", "&Underline", "U", QKeySequence::Underline,
         &EditingTools::setUnderline},
        {"formatStrikeOut", "&Strike-out", "S", QKeySequence::UnknownKey,
         &EditingTools::setStrikeOut},
        {"formatSuperscript", "Su&perscript", "x²", QKeySequence::UnknownKey,
         &EditingTools::setSuperscript},
        {"formatSubscript", "Subs&cript", "x₂", QKeySequence::UnknownKey,
         &EditingTools::setSubscript},
    };
    for (const Toggle& toggle : toggles) {
        const QString name = QString::fromLatin1(toggle.name);
        QAction* action = toggle.key == QKeySequence::UnknownKey
                              ? addAction(name, tr(toggle.text), QKeySequence())
                              : addAction(name, tr(toggle.text), toggle.key);
        action->setIconText(QString::fromUtf8(toggle.shortText));
        action->setToolTip(tr(toggle.text).remove(QLatin1Char('&')));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, toggle.slot);
        m_changingActions << action;
    }
    action(QStringLiteral("formatStrikeOut"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X));
    QFont boldFont;
    boldFont.setBold(true);
    action(QStringLiteral("formatBold"))->setFont(boldFont);

    auto* textColor =
        addAction(QStringLiteral("formatTextColor"), tr("Text &Colour…"), QKeySequence());
    connect(textColor, &QAction::triggered, this, &EditingTools::chooseTextColor);
    auto* highlight =
        addAction(QStringLiteral("formatHighlightColor"), tr("&Highlight Colour…"), QKeySequence());
    connect(highlight, &QAction::triggered, this, &EditingTools::chooseHighlightColor);
    m_changingActions << font << textColor << highlight;

    struct Alignment
    {
        const char* name;
        const char* text;
        QKeySequence shortcut;
        Qt::Alignment alignment;
    };
    const Alignment alignments[] = {
        {"formatAlignLeft", "Align &Left", QKeySequence(Qt::CTRL | Qt::Key_L),
         Qt::AlignLeft | Qt::AlignAbsolute},
        {"formatAlignCenter", "C&entre", QKeySequence(Qt::CTRL | Qt::Key_E), Qt::AlignHCenter},
        {"formatAlignRight", "Align &Right", QKeySequence(Qt::CTRL | Qt::Key_R),
         Qt::AlignRight | Qt::AlignAbsolute},
        {"formatAlignJustify", "&Justify", QKeySequence(Qt::CTRL | Qt::Key_J), Qt::AlignJustify},
    };
    auto* group = new QActionGroup(this);
    for (const Alignment& entry : alignments) {
        QAction* action =
            addAction(QString::fromLatin1(entry.name), tr(entry.text), entry.shortcut);
        action->setCheckable(true);
        group->addAction(action);
        const Qt::Alignment alignment = entry.alignment;
        connect(action, &QAction::triggered, this, [this, alignment] { setAlignment(alignment); });
        m_changingActions << action;
    }

    auto* indentMore = addAction(QStringLiteral("formatIndentMore"), tr("Increase I&ndent"),
                                 QKeySequence(Qt::CTRL | Qt::Key_BracketRight));
    connect(indentMore, &QAction::triggered, this, [this] { changeIndent(1); });
    auto* indentLess = addAction(QStringLiteral("formatIndentLess"), tr("&Decrease Indent"),
                                 QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
    connect(indentLess, &QAction::triggered, this, [this] { changeIndent(-1); });
    auto* bullets = addAction(QStringLiteral("formatBulletList"), tr("B&ulleted List"),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_8));
    bullets->setCheckable(true);
    connect(bullets, &QAction::triggered, this,
            [this](bool on) { setList(QTextListFormat::ListDisc, on); });
    auto* numbers = addAction(QStringLiteral("formatNumberedList"), tr("Nu&mbered List"),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_7));
    numbers->setCheckable(true);
    connect(numbers, &QAction::triggered, this,
            [this](bool on) { setList(QTextListFormat::ListDecimal, on); });
    auto* clear = addAction(QStringLiteral("formatClear"), tr("Clear F&ormatting"),
                            QKeySequence(Qt::CTRL | Qt::Key_Backslash));
    connect(clear, &QAction::triggered, this, &EditingTools::clearFormatting);
    m_changingActions << indentMore << indentLess << bullets << numbers << clear;
}

void EditingTools::buildViewAndFileActions()
{
    auto* zoomInAction =
        addAction(QStringLiteral("viewZoomIn"), tr("Zoom &In"), QKeySequence::ZoomIn);
    connect(zoomInAction, &QAction::triggered, this, &EditingTools::zoomIn);
    auto* zoomOutAction =
        addAction(QStringLiteral("viewZoomOut"), tr("Zoom &Out"), QKeySequence::ZoomOut);
    connect(zoomOutAction, &QAction::triggered, this, &EditingTools::zoomOut);
    auto* actual = addAction(QStringLiteral("viewActualSize"), tr("&Actual Size"),
                             QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(actual, &QAction::triggered, this, &EditingTools::actualSize);

    auto* print = addAction(QStringLiteral("filePrint"), tr("&Print…"), QKeySequence::Print);
    connect(print, &QAction::triggered, this, &EditingTools::printDocument);
    auto* pdf = addAction(QStringLiteral("fileExportPdf"), tr("&Export as PDF…"), QKeySequence());
    connect(pdf, &QAction::triggered, this, &EditingTools::exportAsPdf);
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
    // A size picked from the list, or typed and confirmed with Return.
    connect(m_fontSize, &QComboBox::textActivated, this, &EditingTools::applyFontSizeText);
    // The box itself activates typed text that matches one of its items.
    connect(m_fontSize->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (m_fontSize->findText(m_fontSize->currentText()) < 0)
            applyFontSizeText(m_fontSize->currentText());
    });

    m_formatBar->addWidget(m_fontFamily);
    m_formatBar->addWidget(m_fontSize);
    m_formatBar->addSeparator();
    const char* const items[] = {"formatBold",
                                 "formatItalic",
                                 "formatUnderline",
                                 "formatStrikeOut",
                                 "formatSuperscript",
                                 "formatSubscript",
                                 nullptr,
                                 "formatTextColor",
                                 "formatHighlightColor",
                                 nullptr,
                                 "formatAlignLeft",
                                 "formatAlignCenter",
                                 "formatAlignRight",
                                 "formatAlignJustify",
                                 nullptr,
                                 "formatIndentLess",
                                 "formatIndentMore",
                                 "formatBulletList",
                                 "formatNumberedList",
                                 nullptr,
                                 "formatClear"};
    for (const char* name : items) {
        if (!name) {
            m_formatBar->addSeparator();
            continue;
        }
        QAction* item = action(QString::fromLatin1(name));
        if (const QString icon = themeIconName(name); QIcon::hasThemeIcon(icon))
            item->setIcon(QIcon::fromTheme(icon));
        m_formatBar->addAction(item);
        // The button shows a short text; assistive tools read the full one.
        if (QWidget* button = m_formatBar->widgetForAction(item))
            button->setAccessibleName(item->text().remove(QLatin1Char('&')));
    }
    action(QStringLiteral("formatTextColor"))->setIconText(tr("Colour"));
    action(QStringLiteral("formatHighlightColor"))->setIconText(tr("Highlight"));
    action(QStringLiteral("formatAlignLeft"))->setIconText(tr("Left"));
    action(QStringLiteral("formatAlignCenter"))->setIconText(tr("Centre"));
    action(QStringLiteral("formatAlignRight"))->setIconText(tr("Right"));
    action(QStringLiteral("formatAlignJustify"))->setIconText(tr("Justify"));
    action(QStringLiteral("formatIndentLess"))->setIconText(tr("Outdent"));
    action(QStringLiteral("formatIndentMore"))->setIconText(tr("Indent"));
    action(QStringLiteral("formatBulletList"))->setIconText(tr("• List"));
    action(QStringLiteral("formatNumberedList"))->setIconText(tr("1. List"));
    action(QStringLiteral("formatClear"))->setIconText(tr("Clear"));
}

void EditingTools::connectView()
{
    VelkoTextView* view = m_view;
    connect(view, &QTextEdit::currentCharFormatChanged, this, &EditingTools::showCharFormat);
    connect(view, &QTextEdit::cursorPositionChanged, this, &EditingTools::showBlockFormat);
    connect(view, &QTextEdit::undoAvailable, this, &EditingTools::updateEnabled);
    connect(view, &QTextEdit::redoAvailable, this, &EditingTools::updateEnabled);
    connect(view, &QTextEdit::copyAvailable, this, &EditingTools::updateEnabled);
    connect(view, &QTextEdit::textChanged, this, [this] {
        // A command may have put a new document in the view.
        if (m_zoomFactor != 1.0 && m_view->document() != m_zoomedDocument)
            applyZoom();
        updateEnabled();
    });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            &EditingTools::updateEnabled);
    view->installEventFilter(this);
}

bool EditingTools::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::ReadOnlyChange)
        updateEnabled();
    return QObject::eventFilter(watched, event);
}

// --- What the tools show -----------------------------------------------------

void EditingTools::updateEnabled()
{
    if (!m_view)
        return;
    const bool editable = !m_view->isReadOnly();
    for (QAction* changing : std::as_const(m_changingActions))
        changing->setEnabled(editable);
    m_fontFamily->setEnabled(editable);
    m_fontSize->setEnabled(editable);

    const QTextDocument* document = m_view->document();
    const bool selection = m_view->textCursor().hasSelection();
    action(QStringLiteral("editUndo"))->setEnabled(editable && document->isUndoAvailable());
    action(QStringLiteral("editRedo"))->setEnabled(editable && document->isRedoAvailable());
    action(QStringLiteral("editCut"))->setEnabled(editable && selection);
    action(QStringLiteral("editCopy"))->setEnabled(selection);
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool canPaste = clip && (clip->hasText() || clip->hasHtml());
    action(QStringLiteral("editPaste"))->setEnabled(editable && canPaste);
    action(QStringLiteral("editPastePlainText"))->setEnabled(editable && clip && clip->hasText());
    if (m_findBar)
        m_findBar->updateEditable();
}

void EditingTools::showCharFormat(const QTextCharFormat& format)
{
    const QFont font = format.font();
    {
        const QSignalBlocker blocker(m_fontFamily);
        m_fontFamily->setCurrentFont(font);
    }
    m_fontSize->setCurrentText(QLocale().toString(font.pointSizeF()));
    action(QStringLiteral("formatBold"))->setChecked(font.bold());
    action(QStringLiteral("formatItalic"))->setChecked(font.italic());
    action(QStringLiteral("formatUnderline"))->setChecked(font.underline());
    action(QStringLiteral("formatStrikeOut"))->setChecked(font.strikeOut());
    action(QStringLiteral("formatSuperscript"))
        ->setChecked(format.verticalAlignment() == QTextCharFormat::AlignSuperScript);
    action(QStringLiteral("formatSubscript"))
        ->setChecked(format.verticalAlignment() == QTextCharFormat::AlignSubScript);
}

void EditingTools::showBlockFormat()
{
    const QTextCursor cursor = m_view->textCursor();
    const Qt::Alignment alignment = m_view->alignment() & Qt::AlignHorizontal_Mask;
    const char* name = "formatAlignLeft";
    if (alignment & Qt::AlignHCenter)
        name = "formatAlignCenter";
    else if (alignment & Qt::AlignJustify)
        name = "formatAlignJustify";
    else if (alignment & (Qt::AlignRight | Qt::AlignTrailing))
        name = "formatAlignRight";
    action(QString::fromLatin1(name))->setChecked(true);

    const QTextList* list = cursor.currentList();
    const QTextListFormat::Style style =
        list ? list->format().style() : QTextListFormat::ListStyleUndefined;
    action(QStringLiteral("formatBulletList"))->setChecked(style == QTextListFormat::ListDisc);
    action(QStringLiteral("formatNumberedList"))->setChecked(style == QTextListFormat::ListDecimal);
    updateEnabled();
}

// --- Character formats -------------------------------------------------------

void EditingTools::mergeFormat(const QTextCharFormat& format)
{
    if (m_view->isReadOnly())
        return;
    m_view->mergeCurrentCharFormat(format);
    m_view->setFocus();
}

void EditingTools::setFontFamily(const QString& family)
{
    QTextCharFormat format;
    format.setFontFamilies(QStringList{family});
    mergeFormat(format);
}

void EditingTools::setFontSize(qreal pointSize)
{
    QTextCharFormat format;
    format.setFontPointSize(pointSize);
    mergeFormat(format);
}

void EditingTools::applyFontSizeText(const QString& text)
{
    bool ok = false;
    const qreal size = QLocale().toDouble(text, &ok);
    if (ok && size > 0 && size <= 1638) {
        setFontSize(size);
        return;
    }
    // Show the size at the cursor again once the box has handled the key.
    QMetaObject::invokeMethod(
        this, [this] { showCharFormat(m_view->currentCharFormat()); }, Qt::QueuedConnection);
}

void EditingTools::setBold(bool on)
{
    QTextCharFormat format;
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    mergeFormat(format);
}

void EditingTools::setItalic(bool on)
{
    QTextCharFormat format;
    format.setFontItalic(on);
    mergeFormat(format);
}

void EditingTools::setUnderline(bool on)
{
    QTextCharFormat format;
    format.setFontUnderline(on);
    mergeFormat(format);
}

void EditingTools::setStrikeOut(bool on)
{
    QTextCharFormat format;
    format.setFontStrikeOut(on);
    mergeFormat(format);
}

void EditingTools::setSuperscript(bool on)
{
    QTextCharFormat format;
    format.setVerticalAlignment(on ? QTextCharFormat::AlignSuperScript
                                   : QTextCharFormat::AlignNormal);
    mergeFormat(format);
}

void EditingTools::setSubscript(bool on)
{
    QTextCharFormat format;
    format.setVerticalAlignment(on ? QTextCharFormat::AlignSubScript
                                   : QTextCharFormat::AlignNormal);
    mergeFormat(format);
}

void EditingTools::setTextColor(const QColor& color)
{
    QTextCharFormat format;
    format.setForeground(color);
    mergeFormat(format);
}

void EditingTools::setHighlightColor(const QColor& color)
{
    QTextCharFormat format;
    format.setBackground(color);
    mergeFormat(format);
}

void EditingTools::clearFormatting()
{
    if (m_view->isReadOnly())
        return;
    QTextCursor cursor = m_view->textCursor();
    if (!cursor.hasSelection()) {
        m_view->setCurrentCharFormat(QTextCharFormat());
        return;
    }
    // Links stay links: only their look goes.
    struct Link
    {
        int start;
        int end;
        QString href;
    };
    QList<Link> links;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    for (const QTextBlock& block : selectedBlocks(cursor)) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty())
                continue;
            const int from = qMax(start, fragment.position());
            const int to = qMin(end, fragment.position() + fragment.length());
            if (from < to)
                links.append({from, to, format.anchorHref()});
        }
    }
    cursor.beginEditBlock();
    cursor.setCharFormat(QTextCharFormat());
    for (const Link& link : std::as_const(links)) {
        QTextCursor part(cursor.document());
        part.setPosition(link.start);
        part.setPosition(link.end, QTextCursor::KeepAnchor);
        QTextCharFormat anchor;
        anchor.setAnchor(true);
        anchor.setAnchorHref(link.href);
        part.mergeCharFormat(anchor);
    }
    cursor.endEditBlock();
    showCharFormat(m_view->currentCharFormat());
}

void EditingTools::chooseFont()
{
    bool ok = false;
    const QFont font =
        QFontDialog::getFont(&ok, m_view->currentCharFormat().font(), m_window, tr("Font"));
    if (!ok)
        return;
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    format.setFontFamilies(QStringList{font.family()});
    format.setFontPointSize(font.pointSizeF());
    mergeFormat(format);
}

void EditingTools::chooseTextColor()
{
    const QColor initial = m_view->currentCharFormat().foreground().color();
    const QColor color = QColorDialog::getColor(initial, m_window, tr("Text Colour"));
    if (color.isValid())
        setTextColor(color);
}

void EditingTools::chooseHighlightColor()
{
    const QBrush current = m_view->currentCharFormat().background();
    const QColor initial = current.style() == Qt::NoBrush ? QColor(Qt::yellow) : current.color();
    const QColor color = QColorDialog::getColor(initial, m_window, tr("Highlight Colour"));
    if (color.isValid())
        setHighlightColor(color);
}

// --- Paragraph formats -------------------------------------------------------

void EditingTools::setAlignment(Qt::Alignment alignment)
{
    if (m_view->isReadOnly())
        return;
    m_view->setAlignment(alignment);
    showBlockFormat();
}

void EditingTools::changeIndent(int levels)
{
    if (m_view->isReadOnly())
        return;
    QTextCursor cursor = m_view->textCursor();
    cursor.beginEditBlock();
    for (const QTextBlock& block : selectedBlocks(cursor)) {
        QTextCursor here = cursorAt(block);
        if (QTextList* list = block.textList()) {
            // A list item moves to the list of its new level: the one of the
            // paragraph above when that is at this level, else a new one.
            QTextListFormat format = list->format();
            const int level = format.indent() + levels;
            if (level < 1) {
                list->remove(block);
                QTextBlockFormat plain = block.blockFormat();
                plain.setIndent(0);
                here.setBlockFormat(plain);
                continue;
            }
            const QTextList* above = block.previous().textList();
            if (above && above->format().indent() == level &&
                above->format().style() == format.style()) {
                const_cast<QTextList*>(above)->add(block);
            } else {
                format.setIndent(level);
                here.createList(format);
            }
        } else {
            QTextBlockFormat format = block.blockFormat();
            format.setIndent(qMax(0, format.indent() + levels));
            here.setBlockFormat(format);
        }
    }
    cursor.endEditBlock();
    showBlockFormat();
}

void EditingTools::setList(QTextListFormat::Style style, bool on)
{
    if (m_view->isReadOnly())
        return;
    if (on)
        setListOn(style);
    else
        setListOff();
    showBlockFormat();
}

void EditingTools::setListOn(QTextListFormat::Style style)
{
    QTextCursor cursor = m_view->textCursor();
    cursor.beginEditBlock();
    if (QTextList* list = cursor.currentList()) {
        // The list changes its kind; selected paragraphs outside it join it.
        QTextListFormat format = list->format();
        format.setStyle(style);
        list->setFormat(format);
        for (const QTextBlock& block : selectedBlocks(cursor)) {
            if (!block.textList())
                list->add(block);
        }
    } else {
        const QTextBlockFormat blockFormat = cursor.blockFormat();
        QTextListFormat format;
        format.setStyle(style);
        format.setIndent(blockFormat.indent() + 1);
        for (const QTextBlock& block : selectedBlocks(cursor)) {
            QTextBlockFormat flat = block.blockFormat();
            flat.setIndent(0);
            cursorAt(block).setBlockFormat(flat);
        }
        cursor.createList(format);
    }
    cursor.endEditBlock();
}

void EditingTools::setListOff()
{
    QTextCursor cursor = m_view->textCursor();
    cursor.beginEditBlock();
    for (const QTextBlock& block : selectedBlocks(cursor)) {
        QTextList* list = block.textList();
        if (!list)
            continue;
        const int level = list->format().indent();
        list->remove(block);
        QTextBlockFormat format = block.blockFormat();
        format.setIndent(qMax(0, level - 1));
        cursorAt(block).setBlockFormat(format);
    }
    cursor.endEditBlock();
}

void EditingTools::pastePlainText()
{
    if (m_view->isReadOnly())
        return;
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty())
        m_view->insertPlainText(text);
}

// --- Zoom ----------------------------------------------------------------------

void EditingTools::zoomIn()
{
    for (qreal step : kZoomSteps) {
        if (step > m_zoomFactor + 0.001) {
            m_zoomFactor = step;
            break;
        }
    }
    applyZoom();
}

void EditingTools::zoomOut()
{
    for (auto it = std::crbegin(kZoomSteps); it != std::crend(kZoomSteps); ++it) {
        if (*it < m_zoomFactor - 0.001) {
            m_zoomFactor = *it;
            break;
        }
    }
    applyZoom();
}

void EditingTools::actualSize()
{
    m_zoomFactor = 1.0;
    applyZoom();
}

// The text is laid out for a device of higher (or lower) resolution than the
// screen, so every size grows (or shrinks) alike: the document itself, its
// fonts and its default font stay as they are.
void EditingTools::applyZoom()
{
    QTextDocument* document = m_view->document();
    if (m_zoomedDocument && m_zoomedDocument != document && m_zoomedDocument->documentLayout())
        m_zoomedDocument->documentLayout()->setPaintDevice(nullptr);
    QPaintDevice* device = nullptr;
    if (qAbs(m_zoomFactor - 1.0) > 0.001) {
        m_zoomDevice = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMeter = qRound(m_zoomFactor * m_view->logicalDpiY() / 0.0254);
        m_zoomDevice.setDotsPerMeterX(dotsPerMeter);
        m_zoomDevice.setDotsPerMeterY(dotsPerMeter);
        device = &m_zoomDevice;
    }
    {
        VelkoTextView::CodeChange change(m_view);
        document->documentLayout()->setPaintDevice(device);
        document->markContentsDirty(0, document->characterCount());
    }
    m_zoomedDocument = device ? document : nullptr;
    m_view->viewport()->update();
    m_view->ensureCursorVisible();
}

// --- Print and PDF -------------------------------------------------------------

void EditingTools::printDocument()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, m_window);
    dialog.setWindowTitle(tr("Print Document"));
    if (m_view->textCursor().hasSelection())
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_view->print(&printer);
}

void EditingTools::exportAsPdf()
{
    // 1. Propose the document's name with the PDF extension, in its folder.
    PanelSpec spec;
    spec.kind = PanelKind::Save;
    spec.fileType = QStringLiteral("pdf");
    const QFileInfo document(m_engine && m_engine->state ? m_engine->state->fileName
                                                         : kDefaultFileName);
    spec.fileName = document.completeBaseName() + QStringLiteral(".pdf");
    if (document.isAbsolute())
        spec.directory = document.absolutePath();
    // 2. Ask where to write it.
    QString path;
    if (runModalPanel(m_window, spec, &path) != kPanelOK)
        return;
    // 3. Write it; tell when that fails.
    const Status written = exportPdfTo(path);
    if (!written && m_engine)
        m_engine->showFailure(Operation::ExportPdf, written.error());
}

Status EditingTools::exportPdfTo(const QString& path)
{
    const QFileInfo target(path);
    // The printer writes to a named file: a hidden one beside the target,
    // renamed over it once complete.
    QTemporaryFile scratch(target.absoluteDir().filePath(
        QStringLiteral(".%1.XXXXXX.pdf").arg(target.completeBaseName())));
    if (!scratch.open())
        return makeError(ErrorCode::FileWrite, path + QStringLiteral(": ") + scratch.errorString());
    scratch.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(scratch.fileName());
    printer.setDocName(target.completeBaseName());
    printer.setCreator(QStringLiteral("Velko"));
    m_view->document()->print(&printer);

    // A new file gets the usual permissions of a document, a replaced one keeps its own.
    scratch.setPermissions(target.exists() ? target.permissions()
                                           : QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ReadGroup | QFile::ReadOther);
    QFile written(scratch.fileName());
    if (!written.open(QIODevice::ReadOnly) || written.read(5) != "%PDF-")
        return makeError(ErrorCode::FileWrite, path);
    written.close();
    if (std::rename(QFile::encodeName(scratch.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        return makeError(ErrorCode::FileWrite, path + QStringLiteral(": ") +
                                                   QString::fromLocal8Bit(std::strerror(errno)));
    scratch.setAutoRemove(false);
    return {};
}

} // namespace velko
