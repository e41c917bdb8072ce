// The editing tools on the real document window: each format through its action
// or control, read-only output, and a document made with every tool through RTF and PDF.

#include "app/layout.h"
#include "core/documentstate.h"
#include "engine/editingtools.h"
#include "engine/engine.h"
#include "feedback/colors.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"
#include "rtf/rtf.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
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
    QTest::keyClicks(view, QStringLiteral("Dear reader"));
    w.select(0, 4);
    tools->setFontFamily(QFontDatabase::families().value(0, QStringLiteral("Serif")));
    tools->setFontSize(18);
    w.trigger("formatBold");
    w.select(5, 11);
    w.trigger("formatItalic", "formatUnderline");
    tools->setTextColor(QColor(0x20, 0x40, 0x80));
    w.trigger("formatAlignCenter");

    view->moveCursor(QTextCursor::End);
    QTest::keyClick(view, Qt::Key_Return);
    w.trigger("formatAlignJustify");
    QTest::keyClicks(view, QStringLiteral("H2O and E=mc2 struck marked"));
    const int line = view->textCursor().block().position();
    w.select(line + 1, line + 2);
    w.trigger("formatSubscript");
    w.select(line + 12, line + 13);
    w.trigger("formatSuperscript");
    w.select(line + 14, line + 20);
    w.trigger("formatStrikeOut");
    w.select(line + 21, line + 27);
    tools->setHighlightColor(QColor(Qt::yellow));
    w.trigger("formatIndentMore", "formatIndentMore");

    view->moveCursor(QTextCursor::End);
    QTest::keyClick(view, Qt::Key_Return);
    w.trigger("formatIndentLess", "formatIndentLess", "formatAlignRight");
    QTest::keyClicks(view, QStringLiteral("first point"));
    w.trigger("formatBulletList");
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, QStringLiteral("inner point"));
    w.trigger("formatIndentMore");
    QTest::keyClick(view, Qt::Key_Return);
    w.trigger("formatIndentLess", "formatIndentLess", "formatAlignLeft");
    QTest::keyClicks(view, QStringLiteral("step one"));
    w.trigger("formatNumberedList");
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, QStringLiteral("step two"));
}

} // namespace

class TestEditingTools : public QObject
{
    Q_OBJECT
private slots:
    void characterFormatsApplyToSelection();
    void fontControlsApplyTypedValues();
    void colourDialogsApplyTheChosenColour();
    void paragraphToolsApplyToEveryTouchedParagraph();
    void clearFormattingKeepsLinks();
    void readOnlyOutputDisablesChangingCommands();
    void pasteAsPlainTextDropsFormatting();
    void noShortcutIsShared();

    void everyToolSurvivesRtfRoundTrip();
    void exportAsPdfWritesTheText();
    void exportReportsUnwritableFolderAndReplacesOldFile();
};

void TestEditingTools::characterFormatsApplyToSelection()
{
    Window w;
    w.view()->setPlainTextFromCode(QStringLiteral("Hello world"));
    const auto bold = [&](int position) {
        return formatAt(w.view()->document(), position).fontWeight() == QFont::Bold;
    };
    w.select(6, 11);
    w.trigger("formatBold");
    QVERIFY(bold(6) && bold(10) && !bold(5));
    QVERIFY(w.markedChanged());

    // The same action takes it off again.
    w.trigger("formatBold");
    QVERIFY(!bold(8));
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
}

void TestEditingTools::colourDialogsApplyTheChosenColour()
{
    Window w;
    w.view()->setPlainTextFromCode(QStringLiteral("Hello world"));
    w.select(0, 5);
    QTimer::singleShot(50, [] {
        if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
            dialog->accept();
        }
    });
    w.trigger("formatTextColor");
    QCOMPARE(formatAt(w.view()->document(), 1).foreground().color(), QColor(0x12, 0x34, 0x56));
}

void TestEditingTools::paragraphToolsApplyToEveryTouchedParagraph()
{
    Window w;
    w.view()->setPlainTextFromCode(QStringLiteral("a\nb\nc"));
    const auto block = [&w](int n) {
        return w.view()->document()->findBlockByNumber(n);
    };

    w.select(0, 3);
    w.trigger("formatAlignCenter");
    QCOMPARE(block(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QVERIFY(!(block(2).blockFormat().alignment() & Qt::AlignHCenter));
    w.trigger("formatBulletList");
    QVERIFY(block(0).textList() && block(0).textList() == block(1).textList());
    QVERIFY(!block(2).textList());

    // Each list change on its own counts as an edit.
    w.layout->state->textChanged = false;
    w.trigger("formatNumberedList");
    QVERIFY(w.layout->state->textChanged);
    QCOMPARE(block(0).textList()->format().style(), QTextListFormat::ListDecimal);

    // The second item goes one level deeper and back into the same list.
    w.select(2, 2);
    w.trigger("formatIndentMore");
    QCOMPARE(block(1).textList()->format().indent(), 2);
    QVERIFY(block(1).textList() != block(0).textList());
    w.trigger("formatIndentLess");
    QVERIFY(block(1).textList() == block(0).textList());
    w.trigger("formatIndentLess", "formatIndentLess"); // never below zero
    QVERIFY(!block(1).textList());
    QCOMPARE(block(1).blockFormat().indent(), 0);
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

void TestEditingTools::pasteAsPlainTextDropsFormatting()
{
    Window w;
    auto* data = new QMimeData;
    data->setHtml(QStringLiteral("<b>strong</b>"));
    data->setText(QStringLiteral("strong"));
    QApplication::clipboard()->setMimeData(data);
    w.trigger("editPastePlainText");
    QCOMPARE(w.view()->toPlainText(), QStringLiteral("strong"));
    QVERIFY(formatAt(w.view()->document(), 2).fontWeight() < QFont::Bold);
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
