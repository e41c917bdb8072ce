#include "rtf/grammar/rtfgrammar.h"
#include "rtf/rtf.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

using namespace velko;

namespace {

QString readText(const QByteArray& data, Status* status = nullptr)
{
    QTextDocument document;
    const Status result = rtf::read(data, &document);
    if (status)
        *status = result;
    return document.toRawText();
}

QTextCharFormat formatOf(const QByteArray& data, const QString& word)
{
    QTextDocument document;
    if (!rtf::read(data, &document))
        return {};
    QTextCursor cursor = document.find(word);
    cursor.setPosition(cursor.selectionStart() + 1);
    return cursor.charFormat();
}

} // namespace

// What other writers produce, and what no writer should: the reader keeps the
// text it can and never fails, crashes or hangs on a document that begins as RTF.
class TestRtfReader : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void checkAndReaderAgree_data();
    void checkAndReaderAgree();
    void attributesFromOtherWriters();
    void hyperlinkField();
    void foreignList();
    void millionsOfSmallGroups();
};

void TestRtfReader::text_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* name, const QByteArray& rtf, const char* text) {
        QTest::newRow(name) << rtf << QString::fromUtf8(text);
    };
    row("line ends are not text", "{\\rtf1 Hel\r\nlo\n wor\rld}", "Hello world");
    row("unknown words ignored", "{\\rtf1 \\foo a\\bar-12 b\\zzz}", "ab");
    row("unknown starred destination", "{\\rtf1 a{\\*\\xyz hidden {nested} text}b}", "ab");
    row("known destinations skipped",
        "{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s1 Heading;}}"
        "{\\header H}{\\footer F}{\\pict\\pngblip 89504e47}x{\\*\\generator G;}"
        "{\\object{\\objdata 0102}}y}",
        "xy");
    row("\\bin skips binary with braces", "{\\rtf1 a\\bin3 }}{bc}", "abc");
    row("unicode with fallback", "{\\rtf1 \\u8364?x\\u233\\'e9y}", "€xéy");
    row("skip count kept per group", "{\\rtf1\\uc2{\\uc1 \\u8364?}\\u8364??z}", "€€z");
    row("negative \\u and surrogates", "{\\rtf1 \\u-10179?\\u-8704?\\u-3?}", "😀\uFFFD");
    row("code page 1251", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}", "При");
    row("font charset Shift_JIS, bytes decoded together",
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times;}{\\f1\\fcharset128 M;}}"
        "a\\f1 \\'93\\'fa\\'96\\'7b\\f0 b}",
        "a日本b");
    row("special characters",
        "{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote"
        "\\~\\_\\{\\}\\\\}",
        "—–•‘’“”\u00A0\u2011{}\\");
    row("table cells and rows",
        "{\\rtf1\\trowd\\cellx100\\cellx200 \\intbl a\\cell b\\cell\\row"
        "\\trowd\\intbl c\\cell\\cell d\\cell\\row after}",
        "a\tb\u2029c\t\td\u2029after");
    row("\\upr keeps the unicode group", "{\\rtf1{\\upr{\\f1 ansi}{\\*\\ud{\\f1 \\u955?}}}}", "λ");
    // Hidden text stays: the editor cannot hide it, and dropping it would lose it on save.
    row("hidden text", "{\\rtf1 a{\\v hidden}b\\v c\\v0 d}", "ahiddenbcd");
    row("final paragraph mark", "{\\rtf1 a\\par b\\par}", "a\u2029b");
    row("empty last paragraph kept", "{\\rtf1 a\\par\\par}", "a\u2029");
    row("text after the document ends", "{\\rtf1 a}b{c}", "a");
    row("unicode structure characters dropped", "{\\rtf1 a\\u10?\\u8233?\\u-560?\\u-4?b}", "ab");
    // Hostile input: what is readable is kept, nothing fails.
    row("truncated", "{\\rtf1 hello \\b wor", "hello wor");
    row("unbalanced open", "{\\rtf1 {{{a", "a");
    row("NUL bytes", QByteArray("{\\rtf1 a\0b\0}", 12), "ab");
    row("huge \\bin", "{\\rtf1 a\\bin999999999999 xyz}", "a");
    row("huge parameters",
        "{\\rtf1 \\fs99999999999\\li-2147483649\\fi2147483647\\sl-9999999"
        "\\cf99999\\f-1\\ls-4\\ilvl99999\\uc99999 a\\u99999999 bcdef}",
        "a");
    row("negative \\uc", "{\\rtf1\\uc-5 \\u955?}", "λ?");
    row("broken hex escapes", "{\\rtf1 \\'\\'zz\\'g1x\\u345\\'3?y\\'}", "x\u0159y");
    row("fields without parts",
        "{\\rtf1{\\field}{\\fldrslt a}{\\*\\fldinst b}{\\field{\\fldrslt c}}}", "ac");
    row("list words without tables",
        "{\\rtf1\\ls5\\ilvl3 a\\par\\ls0 b{\\*\\listtable{\\listlevel\\listid}}}", "a\u2029b");
    row("unknown code page", "{\\rtf1\\ansicpg99999 a\\'e9}", "aé");
    row("deep skipped destination",
        (QByteArray("{\\rtf1 a{\\*\\x") + QByteArray(1000, '{') + QByteArray(1001, '}') + "b}"),
        "ab");
    // Inputs the fuzzer found.
    row("raw control byte", QByteArray("\0{\\rtf\004ub", 10), "ub");
    row("level text before any level", "{\\rtf1{\\*\\listtable{\\list{\\leveltext\\u-391 x}}}ok}",
        "ok");
    row("level text outside a list", "{\\rtf1{\\*\\listtable{\\leveltext ab}}ok}", "ok");
}

void TestRtfReader::text()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    Status status;
    QCOMPARE(readText(rtf, &status), text);
    QVERIFY(status.ok());
}

void TestRtfReader::checkAndReaderAgree_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("complete"); // what lock and unlock accept
    QTest::addColumn<int>("refusal");   // the reader's error code; -1: it reads the data
    const auto row = [](const char* name, const QByteArray& data, bool complete, int refusal) {
        QTest::newRow(name) << data << complete << refusal;
    };
    const int reads = -1;
    const int notRtf = int(ErrorCode::NotRtf);
    const QByteArray deepest = QByteArray("{\\rtf1 ") + QByteArray(rtf::kMaxGroupDepth - 1, '{');
    row("nested groups", "{\\rtf1{\\fonttbl{\\f0 Helvetica;}}\\f0 x}", true, reads);
    row("byte order mark and white space before", "\xEF\xBB\xBF \r\n{\\rtf1 a}", true, reads);
    row("line feed and NUL after", QByteArray("{\\rtf1 x}\r\n\0", 13), true, reads);
    row("escaped backslash before the close", "{\\rtf1 a\\\\}", true, reads);
    row("binary data holding braces", "{\\rtf1{\\pict\\bin4 }}{{}}", true, reads);
    row("nesting at the limit", deepest + "x" + QByteArray(rtf::kMaxGroupDepth, '}'), true, reads);
    row("nesting one past the limit", deepest + "{x" + QByteArray(rtf::kMaxGroupDepth + 1, '}'),
        false, int(ErrorCode::RtfTooDeep));
    // The reader keeps what it can of a damaged document; lock refuses it.
    row("cut short", "{\\rtf1{\\b bold}", false, reads);
    row("escaped close does not close", "{\\rtf1 a\\}", false, reads);
    row("lone backslash at the end", "{\\rtf1 a\\", false, reads);
    row("binary data running past the end", "{\\rtf1\\bin10 abc}", false, reads);
    row("garbage after the document", "{\\rtf1 x}\x93\x11", false, reads);
    row("empty", QByteArray(), false, notRtf);
    row("almost", "{\\rt", false, notRtf);
    row("two byte order marks", "\xEF\xBB\xBF\xEF\xBB\xBF{\\rtf1 a}", false, notRtf);
}

// Lock's check and the reader follow one grammar: what lock accepts, the
// reader opens, and what the reader refuses leaves its document as it was.
void TestRtfReader::checkAndReaderAgree()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, complete);
    QFETCH(int, refusal);
    QCOMPARE(rtf::isCompleteRtf(data), complete);

    QTextDocument document;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCursor(&document).insertText("keep me", bold);
    const QByteArray before = rtf::write(document);
    const Status status = rtf::read(data, &document);
    if (refusal < 0) {
        QVERIFY(status.ok());
        return;
    }
    QVERIFY(!status.ok());
    QCOMPARE(int(status.error().code), refusal);
    QCOMPARE(rtf::write(document), before);
}

void TestRtfReader::attributesFromOtherWriters()
{
    const QByteArray data =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
        "{\\f1\\fswiss\\fcharset0 Arial{\\*\\falt Helvetica};}}"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "\\pard\\plain\\f1\\fs28 big {\\b bold}{\\ul\\cf1 red}{\\highlight2 marked}"
        "{\\ulw words}{\\striked1 struck}{\\up6\\super up}{\\sub down}\\plain plain}";
    QCOMPARE(formatOf(data, "big").fontFamilies().toStringList(), QStringList{"Arial"});
    QCOMPARE(formatOf(data, "big").fontPointSize(), 14.0);
    QCOMPARE(formatOf(data, "bold").fontWeight(), int(QFont::Bold));
    QVERIFY(!formatOf(data, "big").hasProperty(QTextFormat::FontWeight));
    QCOMPARE(formatOf(data, "red").foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatOf(data, "marked").background().color(), QColor(0, 0, 255));
    QVERIFY(formatOf(data, "struck").fontStrikeOut());
    QCOMPARE(formatOf(data, "up").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatOf(data, "plain").fontFamilies().toStringList(), QStringList{"Times New Roman"});
}

void TestRtfReader::hyperlinkField()
{
    const QByteArray data =
        "{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/x\" \\\\o \"tip\"}}"
        "{\\fldrslt{\\ul\\cf2 the site}}} and {\\field{\\*\\fldinst HYPERLINK \\\\l \"part2\"}"
        "{\\fldrslt here}} end}";
    QCOMPARE(readText(data), QStringLiteral("see the site and here end"));
    QCOMPARE(formatOf(data, "site").anchorHref(), QStringLiteral("https://example.org/x"));
    QCOMPARE(formatOf(data, "here").anchorHref(), QStringLiteral("#part2"));
    QVERIFY(!formatOf(data, "and").isAnchor());
}

void TestRtfReader::foreignList()
{
    // As word processors write it: a list table, an override table, and \pntext fallbacks.
    const QByteArray data =
        "{\\rtf1{\\*\\listtable{\\list\\listtemplateid7{\\listlevel\\levelnfc23{\\leveltext"
        "\\'01\\u-3913 ?;}{\\levelnumbers;}\\fi-360\\li720}{\\listlevel\\levelnfc4"
        "{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}}\\listid99}}"
        "{\\*\\listoverridetable{\\listoverride\\listid99\\listoverridecount0\\ls3}}"
        "\\pard\\ls3\\ilvl0\\fi-360\\li720{\\listtext\\'b7\\tab}first\\par"
        "\\pard\\ls3\\ilvl1\\fi-360\\li1440{\\listtext a)\\tab}sub\\par\\pard after}";
    QTextDocument document;
    QVERIFY(rtf::read(data, &document).ok());
    const QTextList* first = document.findBlockByNumber(0).textList();
    QVERIFY(first);
    QCOMPARE(first->format().style(), QTextListFormat::ListDisc);
    const QTextList* sub = document.findBlockByNumber(1).textList();
    QVERIFY(sub);
    QCOMPARE(sub->format().style(), QTextListFormat::ListLowerAlpha);
    QCOMPARE(sub->format().numberSuffix(), QStringLiteral(")"));
    QCOMPARE(sub->format().indent(), 2);
    QVERIFY(!document.findBlockByNumber(2).textList());
}

void TestRtfReader::millionsOfSmallGroups()
{
    // Wide rather than deep: memory stays bounded by the text, no stack growth.
    QByteArray data = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i)
        data += "{\\b x}{\\i y}";
    data += "}";
    QTextDocument document;
    QVERIFY(rtf::read(data, &document).ok());
    QCOMPARE(document.characterCount(), 200001);
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
