// The editing tools on the real document window: each kind of command through its
// action or control, the find bar, read-only output, zoom, and a document made with
// every tool through RTF and PDF. The commands themselves are tested on bare
// documents in textedit/tst_textedit.cpp.

#include "app/layout.h"
#include "core/documentstate.h"
#include "engine/editingtools.h"
#include "engine/engine.h"
#include "feedback/colors.h"
#include "feedback/findbar.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"
#include "feedback/viewzoom.h"
#include "rtf/rtf.h"
#include "testsupport.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

using namespace velko;

namespace {

struct Window
{
    testsupport::TempHome home;
    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    VelkoTextView* view() const { return layout->engine->VelkoField; }
    EditingTools* tools() const { return layout->mainWindow->findChild<EditingTools*>(); }
    // Triggers the named actions in turn.
    template <typename... Names> void trigger(Names... names) const
    {
        (layout->action(QString::fromLatin1(names))->trigger(), ...);
    }
    void select(int start, int end) const
    {
        QTextCursor cursor = view()->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        view()->setTextCursor(cursor);
    }
    // Types `text` into the size field and presses Return.
    void typeSize(const QString& text) const
    {
        QLineEdit* edit = tools()->fontSizeBox()->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void click(const char* button) const
    {
        tools()->findBar()->findChild<QPushButton*>(QLatin1String(button))->click();
    }
    bool markedChanged() const
    {
        return layout->state->textChanged &&
               labelColor(layout->engine->setFileNameLabel) == colors::red();
    }
};

QTextCharFormat formatAt(const QTextDocument* document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument*>(document));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

// A letter written with every tool: fonts, sizes, each style, colours,
// baseline shifts, alignments, indents and both kinds of list, two levels.
void writeWithEveryTool(Window& w)
{
    EditingTools* tools = w.tools();
    VelkoTextView* view = w.view();
    view->setFocus();
    // Types a paragraph at the end, after the others; returns where it starts.
    const auto type = [view](const char* text) {
        view->moveCursor(QTextCursor::End);
        if (!view->document()->isEmpty())
            QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClicks(view, QString::fromLatin1(text));
        return view->textCursor().block().position();
    };
    type("Dear reader");
    w.select(0, 4);
    tools->setFontFamily(QFontDatabase::families().value(0, QStringLiteral("Serif")));
    tools->setFontSize(18);
    w.trigger("formatBold");
    w.select(5, 11);
    w.trigger("formatItalic", "formatUnderline");
    tools->setTextColor(QColor(0x20, 0x40, 0x80));
    w.trigger("formatAlignCenter");

    const int line = type("H2O and E=mc2 struck marked");
    w.trigger("formatAlignJustify");
    w.select(line + 1, line + 2);
    w.trigger("formatSubscript");
    w.select(line + 12, line + 13);
    w.trigger("formatSuperscript");
    w.select(line + 14, line + 20);
    w.trigger("formatStrikeOut");
    w.select(line + 21, line + 27);
    tools->setHighlightColor(QColor(Qt::yellow));
    w.trigger("formatIndentMore", "formatIndentMore");

    type("first point");
    w.trigger("formatIndentLess", "formatIndentLess", "formatAlignRight", "formatBulletList");
    type("inner point");
    w.trigger("formatIndentMore");
    type("step one");
    w.trigger("formatIndentLess", "formatIndentLess", "formatAlignLeft", "formatNumberedList");
    type("step two");
}

} // namespace

class TestEditingTools : public QObject
{
    Q_OBJECT
private slots:
    void actionEditsAreUndoable_data();
    void actionEditsAreUndoable();
    void fontControlsApplyTypedValues();
    void clearFormattingKeepsLinks();
    void readOnlyOutputDisablesChangingCommands();
    void findBarReplacesAsUserEditButNotReadOnlyText();
    void noShortcutIsShared();
    void zoomScalesWhatTheViewShows();

    void everyToolSurvivesRtfRoundTrip();
    void exportAsPdfWritesTheText();
    void exportReportsUnwritableFolderAndReplacesOldFile();
};

// One command of each kind through its action: applied to the selection as
// the user's edit, and taken back by one Undo. The clipboard holds bold text.
void TestEditingTools::actionEditsAreUndoable_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("shows"); // in the document's HTML afterwards
    const auto row = [](const char* action, const char* shows) {
        QTest::newRow(action) << QString::fromLatin1(action) << QString::fromLatin1(shows);
    };
    row("formatBold", "font-weight:700");
    row("formatTextColor", "color:#123456"); // the colour picked in the dialog
    row("formatAlignCenter", "align=\"center\"");
    row("formatBulletList", "<ul");
    row("formatIndentMore", "-qt-block-indent:1");
    row("editPastePlainText", ">strong world<"); // without the bold of the copied text
}

void TestEditingTools::actionEditsAreUndoable()
{
    QFETCH(QString, action);
    QFETCH(QString, shows);
    Window w;
    w.view()->setPlainTextFromCode(QStringLiteral("Hello world"));
    w.select(0, 5);
    const QString before = w.view()->toHtml();
    QVERIFY(!before.contains(shows));
    auto* copied = new QMimeData;
    copied->setHtml(QStringLiteral("<b>strong</b>"));
    copied->setText(QStringLiteral("strong"));
    QApplication::clipboard()->setMimeData(copied);
    if (action == QLatin1String("formatTextColor")) {
        QTimer::singleShot(50, [] {
            if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
                dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
                dialog->accept();
            }
        });
    }
    w.layout->action(action)->trigger();
    QVERIFY2(w.view()->toHtml().contains(shows), qPrintable(w.view()->toHtml()));
    QVERIFY(w.markedChanged());
    w.trigger("editUndo");
    QCOMPARE(w.view()->toHtml(), before);
}

void TestEditingTools::fontControlsApplyTypedValues()
{
    Window w;
    w.view()->setPlainTextFromCode(QStringLiteral("Hello world"));
    w.select(0, 5);
    QComboBox* size = w.tools()->fontSizeBox();
    w.typeSize(QStringLiteral("21"));
    QCOMPARE(formatAt(w.view()->document(), 2).fontPointSize(), 21.0);

    // Nonsense in the size field changes nothing.
    w.select(6, 11);
    const QString shown = size->currentText();
    w.typeSize(QStringLiteral("huge"));
    QTRY_COMPARE(size->currentText(), shown);
    QVERIFY(!formatAt(w.view()->document(), 7).hasProperty(QTextFormat::FontPointSize));

    // A size from the list, typed: applied once, so one Undo takes it away.
    w.typeSize(QStringLiteral("18"));
    QCOMPARE(formatAt(w.view()->document(), 7).fontPointSize(), 18.0);
    w.trigger("editUndo");
    QVERIFY(!formatAt(w.view()->document(), 7).hasProperty(QTextFormat::FontPointSize));
    QCOMPARE(formatAt(w.view()->document(), 2).fontPointSize(), 21.0);

    // With nothing selected, the size is that of what is typed next.
    w.select(11, 11);
    w.typeSize(QStringLiteral("30"));
    QTest::keyClicks(w.view(), QStringLiteral("!"));
    QCOMPARE(formatAt(w.view()->document(), 11).fontPointSize(), 30.0);
}

void TestEditingTools::clearFormattingKeepsLinks()
{
    Window w;
    QVERIFY(w.view()
                ->setRtfFromCode("{\\rtf1\\ansi{\\fonttbl{\\f0 Serif;}}\\f0\\fs40\\b\\i bold "
                                 "{\\field{\\*\\fldinst HYPERLINK \"https://example.org/\"}"
                                 "{\\fldrslt link}}}")
                .ok());
    w.trigger("editSelectAll", "formatClear");
    const QTextDocument* document = w.view()->document();
    for (int i = 0; i < document->characterCount() - 1; ++i) {
        const QTextCharFormat format = formatAt(document, i);
        QVERIFY(format.fontWeight() < QFont::DemiBold && !format.fontItalic() &&
                !format.hasProperty(QTextFormat::FontPointSize));
    }
    const QTextCharFormat link = formatAt(document, 6);
    QVERIFY(link.isAnchor());
    QCOMPARE(link.anchorHref(), QStringLiteral("https://example.org/"));
}

void TestEditingTools::readOnlyOutputDisablesChangingCommands()
{
    Window w;
    w.view()->setPlainTextFromCode(QStringLiteral("U2FsdGVkX19output"));
    w.select(0, 5);
    w.view()->setReadOnly(true);
    for (const char* name : {"formatBold", "formatTextColor", "formatBulletList", "formatClear",
                             "editCut", "editPaste", "editReplace"})
        QVERIFY2(!w.layout->action(QString::fromLatin1(name))->isEnabled(), name);
    QVERIFY(w.layout->action(QStringLiteral("editCopy"))->isEnabled());
    QVERIFY(!w.tools()->fontSizeBox()->isEnabled());

    // Even called directly, nothing changes the output.
    w.tools()->setBold(true);
    w.tools()->setList(QTextListFormat::ListDisc, true);
    QVERIFY(formatAt(w.view()->document(), 1).fontWeight() < QFont::Bold);
    QVERIFY(!w.view()->document()->firstBlock().textList());
    QVERIFY(!w.layout->state->textChanged);
}

void TestEditingTools::findBarReplacesAsUserEditButNotReadOnlyText()
{
    Window w;
    w.view()->setPlainTextFromCode(QStringLiteral("red fish, blue fish, Fish"));
    w.trigger("editReplace");
    FindBar* bar = w.tools()->findBar();
    QVERIFY(bar->isVisible());
    bar->findField()->setText(QStringLiteral("fish"));
    bar->replaceField()->setText(QStringLiteral("cat"));
    bar->matchCaseBox()->setChecked(true);

    // Replace with nothing selected only finds; the second press replaces.
    w.click("replaceButton");
    QCOMPARE(w.view()->textCursor().selectedText(), QStringLiteral("fish"));
    QVERIFY(!w.layout->state->textChanged);
    w.click("replaceButton");
    QCOMPARE(w.view()->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));
    QVERIFY(w.markedChanged());
    w.click("replaceAllButton");
    QCOMPARE(w.view()->toPlainText(), QStringLiteral("red cat, blue cat, Fish"));
    QCOMPARE(bar->statusText(), QStringLiteral("1 replaced"));
    w.trigger("editUndo");
    QCOMPARE(w.view()->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));

    // Read-only text (a lock's output) can be searched but not replaced.
    w.view()->setReadOnly(true);
    QVERIFY(!bar->findChild<QPushButton*>(QStringLiteral("replaceAllButton"))->isEnabled());
    w.trigger("editFindNext");
    QCOMPARE(w.view()->textCursor().selectedText(), QStringLiteral("fish"));
    bar->replaceAllOccurrences();
    QCOMPARE(w.view()->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));
}

void TestEditingTools::noShortcutIsShared()
{
    Window w;
    QHash<QKeySequence, QString> owners;
    for (auto it = w.layout->actions.cbegin(); it != w.layout->actions.cend(); ++it) {
        for (const QKeySequence& key : it.value()->shortcuts()) {
            QVERIFY2(!owners.contains(key), qPrintable(key.toString() + ' ' + it.key()));
            owners.insert(key, it.key());
        }
    }
    QVERIFY(owners.size() > 20);
}

void TestEditingTools::zoomScalesWhatTheViewShows()
{
    Window w;
    w.view()->setPlainTextFromCode(QStringLiteral("Some text to lay out"));
    const auto height = [&w] {
        return w.view()->document()->documentLayout()->documentSize().height();
    };
    const qreal actual = height();
    w.trigger("viewZoomIn", "viewZoomIn");
    QCOMPARE(w.tools()->zoom()->factor(), 1.25);
    QVERIFY(height() > actual * 1.2);
    // A document read anew is shown at the same magnification.
    QVERIFY(w.view()->setRtfFromCode("{\\rtf1 Some text to lay out}").ok());
    const qreal zoomed = height();
    w.trigger("viewActualSize");
    QVERIFY(zoomed > height() * 1.2);
    for (int i = 0; i < 20; ++i)
        w.trigger("viewZoomOut");
    QCOMPARE(w.tools()->zoom()->factor(), 0.5);
    QVERIFY(!w.layout->state->textChanged);
}

void TestEditingTools::everyToolSurvivesRtfRoundTrip()
{
    Window w;
    writeWithEveryTool(w);
    const QTextDocument* made = w.view()->document();
    const QByteArray data = rtf::write(*made);
    // Every tool left its control word (whole words, not prefixes of others).
    for (const char* word : {"fs36", "b", "i", "ul", "strike", "super", "sub", "cf", "chcbpat",
                             "qc", "qj", "qr", "li", "ls", "ilvl1"}) {
        const QRegularExpression control(QStringLiteral("\\\\%1(?![a-z])").arg(word));
        QVERIFY2(QString::fromLatin1(data).contains(control), word);
    }
    QTextDocument read;
    read.setDefaultFont(made->defaultFont());
    QVERIFY(rtf::read(data, &read).ok());
    QCOMPARE(rtf::write(read), data);
}

void TestEditingTools::exportAsPdfWritesTheText()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    Window w;
    writeWithEveryTool(w);
    const QString path = w.home.filePath(QStringLiteral("letter.pdf"));
    testsupport::answerNextModalPanel(w.home.filePath(QStringLiteral("letter")));
    w.trigger("fileExportPdf");

    QProcess tool;
    tool.start(pdftotext, {path, QStringLiteral("-")});
    QVERIFY(tool.waitForFinished(30000) && tool.exitCode() == 0);
    const QString text = QString::fromUtf8(tool.readAllStandardOutput());
    for (const char* words : {"Dear reader", "struck marked", "inner point", "step two"})
        QVERIFY2(text.contains(QLatin1String(words)), words);
}

void TestEditingTools::exportReportsUnwritableFolderAndReplacesOldFile()
{
    Window w;
    w.view()->setPlainTextFromCode(QStringLiteral("text"));
    const Status status = w.tools()->exportPdfTo(w.home.filePath(QStringLiteral("no/dir/out.pdf")));
    QCOMPARE(status.ok() ? ErrorCode{} : status.error().code, ErrorCode::FileWrite);

    const QString existing = w.home.filePath(QStringLiteral("kept.pdf"));
    QVERIFY(testsupport::writeFile(existing, "old"));
    QVERIFY(w.tools()->exportPdfTo(existing).ok());
    QVERIFY(testsupport::readFile(existing).startsWith("%PDF-"));
}

QTEST_MAIN(TestEditingTools)
#include "tst_editingtools.moc"
