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
    void hostile_data();
    void hostile();
    void refusedLeavesDocumentAlone_data();
    void refusedLeavesDocumentAlone();
    void attributesFromOtherWriters();
    void hyperlinkField();
    void foreignList();
    void millionsOfSmallGroups();
};

void TestRtfReader::text_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QByteArray("{\\rtf1 Hello}") << QStringLiteral("Hello");
    QTest::newRow("line ends are not text")
        << QByteArray("{\\rtf1 Hel\r\nlo\n wor\rld}") << QStringLiteral("Hello world");
    QTest::newRow("escaped newline is a paragraph")
        << QByteArray("{\\rtf1 a\\\nb}") << QStringLiteral("a\u2029b");
    QTest::newRow("unknown words ignored")
        << QByteArray("{\\rtf1 \\foo a\\bar-12 b\\zzz}") << QStringLiteral("ab");
    QTest::newRow("unknown starred destination")
        << QByteArray("{\\rtf1 a{\\*\\xyz hidden {nested} text}b}") << QStringLiteral("ab");
    QTest::newRow("known destinations skipped")
        << QByteArray("{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s1 Heading;}}"
                      "{\\header H}{\\footer F}{\\pict\\pngblip 89504e47}x{\\*\\generator G;}"
                      "{\\object{\\objdata 0102}}y}")
        << QStringLiteral("xy");
    QTest::newRow("\\bin skips binary with braces")
        << QByteArray("{\\rtf1 a\\bin3 }}{bc}") << QStringLiteral("abc");
    QTest::newRow("unicode with fallback")
        << QByteArray("{\\rtf1 \\u8364?x\\u233\\'e9y}") << QStringLiteral("€xéy");
    QTest::newRow("\\uc2") << QByteArray("{\\rtf1\\uc2 \\u8364\\'80\\'80x}")
                           << QStringLiteral("€x");
    QTest::newRow("\\uc0") << QByteArray("{\\rtf1\\uc0 \\u8364 x}") << QStringLiteral("€x");
    QTest::newRow("skip count kept per group")
        << QByteArray("{\\rtf1\\uc2{\\uc1 \\u8364?}\\u8364??z}") << QStringLiteral("€€z");
    QTest::newRow("skip ends at group end")
        << QByteArray("{\\rtf1\\uc3 {\\u8364?}abc}") << QStringLiteral("€abc");
    QTest::newRow("negative \\u and surrogates")
        << QByteArray("{\\rtf1 \\u-10179?\\u-8704?\\u-3?}") << QStringLiteral("😀\uFFFD");
    QTest::newRow("code page 1251")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}") << QStringLiteral("При");
    QTest::newRow("raw 8-bit text in code page 1252")
        << QByteArray("{\\rtf1\\ansi caf\xe9 \x80}") << QStringLiteral("café €");
    QTest::newRow("font charset Shift_JIS, bytes decoded together")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times;}{\\f1\\fcharset128 M;}}"
                      "a\\f1 \\'93\\'fa\\'96\\'7b\\f0 b}")
        << QStringLiteral("a日本b");
    QTest::newRow("font charset Greek")
        << QByteArray("{\\rtf1{\\fonttbl{\\f3\\fcharset161 Arial Greek;}}\\f3 \\'e1\\'e2}")
        << QStringLiteral("αβ");
    QTest::newRow("mac code page") << QByteArray("{\\rtf1\\mac \\'8e}") << QStringLiteral("é");
    QTest::newRow("special characters")
        << QByteArray("{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote"
                      "\\~\\_\\{\\}\\\\}")
        << QStringLiteral("—–•‘’“”\u00A0\u2011{}\\");
    QTest::newRow("line and tab") << QByteArray("{\\rtf1 a\\line b\\tab c}")
                                  << QStringLiteral("a\u2028b\tc");
    QTest::newRow("table cells and rows")
        << QByteArray("{\\rtf1\\trowd\\cellx100\\cellx200 \\intbl a\\cell b\\cell\\row"
                      "\\trowd\\intbl c\\cell\\cell d\\cell\\row after}")
        << QStringLiteral("a\tb\u2029c\t\td\u2029after");
    QTest::newRow("field result shown")
        << QByteArray("{\\rtf1 p{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}q}")
        << QStringLiteral("p7q");
    QTest::newRow("list fallback text not shown")
        << QByteArray("{\\rtf1{\\listtext 1.\\tab}one\\par{\\pntext\\'b7\\tab}two}")
        << QStringLiteral("one\u2029two");
    QTest::newRow("\\upr keeps the unicode group")
        << QByteArray("{\\rtf1{\\upr{\\f1 ansi}{\\*\\ud{\\f1 \\u955?}}}}") << QStringLiteral("λ");
    // Hidden text stays: the editor cannot hide it, and dropping it would lose it on save.
    QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v hidden}b\\v c\\v0 d}")
                                 << QStringLiteral("ahiddenbcd");
    QTest::newRow("final paragraph mark")
        << QByteArray("{\\rtf1 a\\par b\\par}") << QStringLiteral("a\u2029b");
    QTest::newRow("empty last paragraph kept")
        << QByteArray("{\\rtf1 a\\par\\par}") << QStringLiteral("a\u2029");
    QTest::newRow("stylesheet never text")
        << QByteArray("{\\rtf1{\\stylesheet{\\s0 Normal;}{\\*\\cs10 Default;}}body}")
        << QStringLiteral("body");
    QTest::newRow("text after the document ends")
        << QByteArray("{\\rtf1 a}b{c}") << QStringLiteral("a");
    QTest::newRow("leading whitespace and BOM")
        << QByteArray("\xEF\xBB\xBF \r\n{\\rtf1 a}") << QStringLiteral("a");
    QTest::newRow("hex line feed is not a paragraph")
        << QByteArray("{\\rtf1 a\\'0a\\'0db}") << QStringLiteral("ab");
    QTest::newRow("unicode structure characters dropped")
        << QByteArray("{\\rtf1 a\\u10?\\u8233?\\u-560?\\u-4?b}") << QStringLiteral("ab");
}

void TestRtfReader::text()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    Status status;
    QCOMPARE(readText(rtf, &status), text);
    QVERIFY(status.ok());
}

void TestRtfReader::hostile_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("truncated") << QByteArray("{\\rtf1 hello \\b wor")
                               << QStringLiteral("hello wor");
    QTest::newRow("truncated in a control word")
        << QByteArray("{\\rtf1 a\\pa") << QStringLiteral("a");
    QTest::newRow("truncated hex") << QByteArray("{\\rtf1 a\\'4") << QStringLiteral("a");
    QTest::newRow("lone backslash") << QByteArray("{\\rtf1 a\\") << QStringLiteral("a");
    QTest::newRow("unbalanced open") << QByteArray("{\\rtf1 {{{a") << QStringLiteral("a");
    QTest::newRow("unbalanced close") << QByteArray("{\\rtf1 a}}}}b") << QStringLiteral("a");
    QTest::newRow("NUL bytes") << QByteArray("{\\rtf1 a\0b\0}", 12) << QStringLiteral("ab");
    QTest::newRow("huge \\bin") << QByteArray("{\\rtf1 a\\bin999999999999 xyz}")
                                << QStringLiteral("a");
    QTest::newRow("negative \\bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << QStringLiteral("ab");
    QTest::newRow("huge parameters")
        << QByteArray("{\\rtf1 \\fs99999999999\\li-2147483649\\fi2147483647\\sl-9999999"
                      "\\cf99999\\f-1\\ls-4\\ilvl99999\\uc99999 a\\u99999999 bcdef}")
        << QStringLiteral("a");
    QTest::newRow("negative \\uc") << QByteArray("{\\rtf1\\uc-5 \\u955?}") << QStringLiteral("λ?");
    QTest::newRow("broken hex escapes")
        << QByteArray("{\\rtf1 \\'\\'zz\\'g1x\\u345\\'3?y\\'}") << QStringLiteral("x\u0159y");
    QTest::newRow("fields without parts")
        << QByteArray("{\\rtf1{\\field}{\\fldrslt a}{\\*\\fldinst b}{\\field{\\fldrslt c}}}")
        << QStringLiteral("ac");
    QTest::newRow("list words without tables")
        << QByteArray("{\\rtf1\\ls5\\ilvl3 a\\par\\ls0 b{\\*\\listtable{\\listlevel\\listid}}}")
        << QStringLiteral("a\u2029b");
    QTest::newRow("font table without names")
        << QByteArray("{\\rtf1{\\fonttbl\\f0\\f1{\\f2}\\fcharset128}\\f1 a\\f2 b}")
        << QStringLiteral("ab");
    QTest::newRow("unknown code page")
        << QByteArray("{\\rtf1\\ansicpg99999 a\\'e9}") << QStringLiteral("aé");
    QTest::newRow("depth at the limit")
        << (QByteArray("{\\rtf1 ") + QByteArray(1023, '{') + "x" + QByteArray(1024, '}'))
        << QStringLiteral("x");
    QTest::newRow("deep skipped destination")
        << (QByteArray("{\\rtf1 a{\\*\\x") + QByteArray(1000, '{') + QByteArray(1001, '}') + "b}")
        << QStringLiteral("ab");
    // Inputs the fuzzer found.
    QTest::newRow("raw control byte") << QByteArray("\0{\\rtf\004ub", 10) << QStringLiteral("ub");
    QTest::newRow("level text before any level")
        << QByteArray("{\\rtf1{\\*\\listtable{\\list{\\leveltext\\u-391 x}}}ok}")
        << QStringLiteral("ok");
    QTest::newRow("level text outside a list")
        << QByteArray("{\\rtf1{\\*\\listtable{\\leveltext ab}}ok}") << QStringLiteral("ok");
}

void TestRtfReader::hostile()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    Status status;
    QCOMPARE(readText(rtf, &status), text);
    QVERIFY(status.ok());
}

void TestRtfReader::refusedLeavesDocumentAlone_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("code");
    const int notRtf = int(ErrorCode::NotRtf);
    QTest::newRow("empty") << QByteArray() << notRtf;
    QTest::newRow("plain text") << QByteArray("Hello, world") << notRtf;
    QTest::newRow("almost") << QByteArray("{\\rt") << notRtf;
    QTest::newRow("HTML") << QByteArray("<html>{\\rtf1}</html>") << notRtf;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << notRtf;
    QTest::newRow("a million open braces")
        << (QByteArray("{\\rtf1 ") + QByteArray(1000000, '{')) << int(ErrorCode::RtfTooDeep);
    QTest::newRow("one level too deep")
        << (QByteArray("{\\rtf1 ") + QByteArray(1024, '{') + QByteArray(1025, '}'))
        << int(ErrorCode::RtfTooDeep);
}

void TestRtfReader::refusedLeavesDocumentAlone()
{
    QFETCH(QByteArray, data);
    QFETCH(int, code);
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText("keep me", bold);
    const QByteArray before = rtf::write(document);

    const Status status = rtf::read(data, &document);
    QVERIFY(!status.ok());
    QCOMPARE(int(status.error().code), code);
    QVERIFY(!status.error().detail.isEmpty());
    if (code == int(ErrorCode::NotRtf))
        QCOMPARE(status.error().detail, QStringLiteral("not an RTF document"));
    QCOMPARE(rtf::write(document), before);
    if (code == int(ErrorCode::NotRtf))
        QVERIFY(!rtf::looksLikeCompleteRtf(data));
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
    QVERIFY(formatOf(data, "red").fontUnderline());
    QCOMPARE(formatOf(data, "marked").background().color(), QColor(0, 0, 255));
    QVERIFY(formatOf(data, "words").fontUnderline());
    QVERIFY(formatOf(data, "struck").fontStrikeOut());
    QCOMPARE(formatOf(data, "up").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatOf(data, "down").verticalAlignment(), QTextCharFormat::AlignSubScript);
    const QTextCharFormat plain = formatOf(data, "plain");
    QCOMPARE(plain.fontFamilies().toStringList(), QStringList{"Times New Roman"});
    QCOMPARE(plain.fontPointSize(), 12.0);
}

void TestRtfReader::hyperlinkField()
{
    const QByteArray data =
        "{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/x\" \\\\o \"tip\"}}"
        "{\\fldrslt{\\ul\\cf2 the site}}} and {\\field{\\*\\fldinst HYPERLINK \\\\l \"part2\"}"
        "{\\fldrslt here}} end}";
    QTextDocument document;
    QVERIFY(rtf::read(data, &document).ok());
    QCOMPARE(document.toRawText(), QStringLiteral("see the site and here end"));
    const QTextCharFormat link = formatOf(data, "site");
    QVERIFY(link.isAnchor());
    QCOMPARE(link.anchorHref(), QStringLiteral("https://example.org/x"));
    QCOMPARE(formatOf(data, "here").anchorHref(), QStringLiteral("#part2"));
    QVERIFY(!formatOf(data, "and").isAnchor());
    QVERIFY(!formatOf(data, "end").isAnchor());
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
    QCOMPARE(document.toRawText(), QStringLiteral("first\u2029sub\u2029after"));
    const QTextList* first = document.findBlockByNumber(0).textList();
    QVERIFY(first);
    QCOMPARE(first->format().style(), QTextListFormat::ListDisc);
    QCOMPARE(first->format().indent(), 1);
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
