#include "rtf/grammar/rtfgrammar.h"
#include "rtf/rtf.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

using namespace velko;

namespace {

const QByteArray kOtherWriter =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
    "{\\f1\\fswiss\\fcharset0 Arial{\\*\\falt Helvetica};}}"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
    "\\pard\\plain\\f1\\fs28 big {\\highlight2 marked}{\\ulw words}{\\striked1 struck}"
    "{\\up6\\super up}\\plain plain}";
const QByteArray kLinks =
    "{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/x\" \\\\o \"tip\"}}"
    "{\\fldrslt{\\ul\\cf2 the site}}} and {\\field{\\*\\fldinst HYPERLINK \\\\l \"part2\"}"
    "{\\fldrslt here}} end}";
// As word processors write lists: a list table, an override table, \pntext fallbacks.
const QByteArray kList =
    "{\\rtf1{\\*\\listtable{\\list\\listtemplateid7{\\listlevel\\levelnfc23{\\leveltext"
    "\\'01\\u-3913 ?;}{\\levelnumbers;}\\fi-360\\li720}{\\listlevel\\levelnfc4"
    "{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}}\\listid99}}"
    "{\\*\\listoverridetable{\\listoverride\\listid99\\listoverridecount0\\ls3}}"
    "\\pard\\ls3\\ilvl0\\fi-360\\li720{\\listtext\\'b7\\tab}first\\par"
    "\\pard\\ls3\\ilvl1\\fi-360\\li1440{\\listtext a)\\tab}sub\\par\\pard after}";
constexpr int kReads = -1;

} // namespace

// What other writers produce, and what no writer should: the reader keeps the
// text it can and never fails, crashes or hangs on a document that begins as RTF.
class TestRtfReader : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void formats_data();
    void formats();
};

void TestRtfReader::read_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("complete"); // what lock and unlock accept
    QTest::addColumn<int>("refusal");   // the reader's error code, or kReads
    const auto reads = [](const char* name, const QByteArray& rtf, const QString& text) {
        QTest::newRow(name) << rtf << text << true << kReads;
    };
    // A damaged document: the reader keeps what it can, lock refuses it.
    const auto salvages = [](const char* name, const QByteArray& rtf, const char* text) {
        QTest::newRow(name) << rtf << QString::fromUtf8(text) << false << kReads;
    };
    const auto refuses = [](const char* name, const QByteArray& rtf, ErrorCode code) {
        QTest::newRow(name) << rtf << QString() << false << int(code);
    };
    const QByteArray deepest = QByteArray("{\\rtf1 ") + QByteArray(rtf::kMaxGroupDepth - 1, '{');
    reads("line ends are not text", "{\\rtf1 Hel\r\nlo\n wor\rld}", "Hello world");
    reads("byte order mark and white space before", "\xEF\xBB\xBF \r\n{\\rtf1 a}", "a");
    reads("line feed and NUL after", QByteArray("{\\rtf1 x}\r\n\0", 13), "x");
    reads("unknown words ignored", "{\\rtf1 \\foo a\\bar-12 b\\zzz}", "ab");
    reads("unknown starred destination", "{\\rtf1 a{\\*\\xyz hidden {nested} text}b}", "ab");
    reads("known destinations skipped",
          "{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s1 Heading;}}"
          "{\\header H}{\\footer F}{\\pict\\pngblip 89504e47}x{\\*\\generator G;}"
          "{\\object{\\objdata 0102}}y}",
          "xy");
    reads("\\bin skips binary with braces", "{\\rtf1 a\\bin3 }}{bc}", "abc");
    reads("unicode with fallback", "{\\rtf1 \\u8364?x\\u233\\'e9y}", "€xéy");
    reads("skip count kept per group", "{\\rtf1\\uc2{\\uc1 \\u8364?}\\u8364??z}", "€€z");
    reads("negative \\u and surrogates", "{\\rtf1 \\u-10179?\\u-8704?\\u-3?}", "😀\uFFFD");
    reads("code page 1251", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}", "При");
    reads("font charset Shift_JIS, bytes decoded together",
          "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times;}{\\f1\\fcharset128 M;}}"
          "a\\f1 \\'93\\'fa\\'96\\'7b\\f0 b}",
          "a日本b");
    reads("special characters",
          "{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote"
          "\\~\\_\\{\\}\\\\}",
          "—–•‘’“”\u00A0\u2011{}\\");
    reads("table cells and rows",
          "{\\rtf1\\trowd\\cellx100\\cellx200 \\intbl a\\cell b\\cell\\row"
          "\\trowd\\intbl c\\cell\\cell d\\cell\\row after}",
          "a\tb\u2029c\t\td\u2029after");
    reads("\\upr keeps the unicode group", "{\\rtf1{\\upr{\\f1 ansi}{\\*\\ud{\\f1 \\u955?}}}}",
          "λ");
    // Hidden text stays: the editor cannot hide it, and dropping it would lose it on save.
    reads("hidden text", "{\\rtf1 a{\\v hidden}b\\v c\\v0 d}", "ahiddenbcd");
    reads("hyperlink fields", kLinks, "see the site and here end");
    reads("final paragraph mark", "{\\rtf1 a\\par b\\par}", "a\u2029b");
    reads("empty last paragraph kept", "{\\rtf1 a\\par\\par}", "a\u2029");
    reads("unicode structure characters dropped", "{\\rtf1 a\\u10?\\u8233?\\u-560?\\u-4?b}", "ab");
    reads("nesting at the limit", deepest + "x" + QByteArray(rtf::kMaxGroupDepth, '}'), "x");
    // Wide rather than deep: memory stays bounded by the text, no stack growth.
    reads("a hundred thousand small groups",
          "{\\rtf1 " + QByteArray("{\\b x}{\\i y}").repeated(100000) + "}",
          QStringLiteral("xy").repeated(100000));
    reads("deep skipped destination",
          QByteArray("{\\rtf1 a{\\*\\x") + QByteArray(1000, '{') + QByteArray(1001, '}') + "b}",
          "ab");
    // Hostile input: what is readable is kept, nothing fails.
    reads("NUL bytes", QByteArray("{\\rtf1 a\0b\0}", 12), "ab");
    reads("huge parameters",
          "{\\rtf1 \\fs99999999999\\li-2147483649\\fi2147483647\\sl-9999999"
          "\\cf99999\\f-1\\ls-4\\ilvl99999\\uc99999 a\\u99999999 bcdef}",
          "a");
    reads("negative \\uc", "{\\rtf1\\uc-5 \\u955?}", "λ?");
    reads("broken hex escapes", "{\\rtf1 \\'\\'zz\\'g1x\\u345\\'3?y\\'}", "x\u0159y");
    reads("fields without parts",
          "{\\rtf1{\\field}{\\fldrslt a}{\\*\\fldinst b}{\\field{\\fldrslt c}}}", "ac");
    reads("list words without tables",
          "{\\rtf1\\ls5\\ilvl3 a\\par\\ls0 b{\\*\\listtable{\\listlevel\\listid}}}", "a\u2029b");
    reads("unknown code page", "{\\rtf1\\ansicpg99999 a\\'e9}", "aé");
    // Inputs the fuzzer found.
    reads("level text before any level", "{\\rtf1{\\*\\listtable{\\list{\\leveltext\\u-391 x}}}ok}",
          "ok");
    reads("level text outside a list", "{\\rtf1{\\*\\listtable{\\leveltext ab}}ok}", "ok");
    salvages("raw control byte", QByteArray("\0{\\rtf\004ub", 10), "ub");

    salvages("truncated", "{\\rtf1 hello \\b wor", "hello wor");
    salvages("escaped close does not close", "{\\rtf1 a\\}", "a}");
    salvages("lone backslash at the end", "{\\rtf1 a\\", "a");
    salvages("huge \\bin", "{\\rtf1 a\\bin999999999999 xyz}", "a");
    salvages("text after the document ends", "{\\rtf1 a}b{c}\x93", "a");

    refuses("empty", QByteArray(), ErrorCode::NotRtf);
    refuses("almost", "{\\rt", ErrorCode::NotRtf);
    refuses("two byte order marks", "\xEF\xBB\xBF\xEF\xBB\xBF{\\rtf1 a}", ErrorCode::NotRtf);
    refuses("nesting one past the limit", deepest + "{x" + QByteArray(rtf::kMaxGroupDepth + 1, '}'),
            ErrorCode::RtfTooDeep);
}

// Lock's check and the reader follow one grammar: what lock accepts, the
// reader opens, and what the reader refuses leaves its document as it was.
void TestRtfReader::read()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(bool, complete);
    QFETCH(int, refusal);
    QCOMPARE(rtf::isCompleteRtf(rtf), complete);

    QTextDocument document;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCursor(&document).insertText("keep me", bold);
    const QByteArray before = rtf::write(document);
    const Status status = rtf::read(rtf, &document);
    if (refusal == kReads) {
        QVERIFY(status.ok());
        QCOMPARE(document.toRawText(), text);
        return;
    }
    QVERIFY(!status.ok());
    QCOMPARE(int(status.error().code), refusal);
    QCOMPARE(rtf::write(document), before);
}

void TestRtfReader::formats_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("value");
    const auto row = [](const char* name, const QByteArray& rtf, const char* word,
                        QTextFormat::Property property, const QVariant& value) {
        QTest::newRow(name) << rtf << QString::fromUtf8(word) << int(property) << value;
    };
    row("font of the table", kOtherWriter, "big", QTextFormat::FontFamilies, QStringList{"Arial"});
    row("highlight", kOtherWriter, "marked", QTextFormat::BackgroundBrush,
        QBrush(QColor(0, 0, 255)));
    row("underlined words", kOtherWriter, "words", QTextFormat::TextUnderlineStyle,
        int(QTextCharFormat::SingleUnderline));
    row("struck", kOtherWriter, "struck", QTextFormat::FontStrikeOut, true);
    row("superscript", kOtherWriter, "up", QTextFormat::TextVerticalAlignment,
        int(QTextCharFormat::AlignSuperScript));
    row("\\plain restores the default font", kOtherWriter, "plain", QTextFormat::FontFamilies,
        QStringList{"Times New Roman"});
    row("link", kLinks, "site", QTextFormat::AnchorHref, QStringLiteral("https://example.org/x"));
    row("link to an anchor", kLinks, "here", QTextFormat::AnchorHref, QStringLiteral("#part2"));
    row("bullet list", kList, "first", QTextFormat::ListStyle, int(QTextListFormat::ListDisc));
    row("lettered level", kList, "sub", QTextFormat::ListStyle,
        int(QTextListFormat::ListLowerAlpha));
    row("level's suffix", kList, "sub", QTextFormat::ListNumberSuffix, QStringLiteral(")"));
    row("level's depth", kList, "sub", QTextFormat::ListIndent, 2);
    row("no list after \\pard", kList, "after", QTextFormat::ListStyle, QVariant());
}

// The format of a word read from another writer's document, or of its list.
void TestRtfReader::formats()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, word);
    QFETCH(int, property);
    QFETCH(QVariant, value);
    QTextDocument document;
    QVERIFY(rtf::read(rtf, &document).ok());
    QTextCursor cursor = document.find(word);
    QVERIFY(cursor.hasSelection());
    cursor.setPosition(cursor.selectionStart() + 1);
    const QTextList* list = cursor.currentList();
    const bool ofList = property >= QTextFormat::ListStyle && property < QTextFormat::FrameBorder;
    const QTextFormat format = !ofList ? cursor.charFormat()
                               : list  ? list->format()
                                       : QTextFormat();
    QCOMPARE(format.property(property), value);
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
