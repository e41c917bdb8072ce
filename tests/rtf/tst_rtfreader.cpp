#include "rtf/grammar/rtfgrammar.h"
#include "rtf/rtf.h"
#include "rtf/textproperties.h"
#include "structure.h"

#include <QBuffer>
#include <QImage>
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
    "{\\up6\\super up}{\\dn4 down}{\\uldb twice}{\\uld dots\\ulnone}\\plain plain}";
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
// As LibreOffice writes them: a style sheet with headings (one with an outline
// list that has no numbers), and paragraphs that name the styles; a style
// based on another, a character style.
const QByteArray kStyles =
    "{\\rtf1{\\stylesheet{\\s0\\fs24 Normal;}{\\s1\\b\\fs48\\ls1 Heading 1;}"
    "{\\s2\\outlinelevel1\\i Other;}{\\s3\\sbasedon2\\fs40\\rtlpar Based;}{\\*\\cs9\\ul Stress;}}"
    "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc255{\\leveltext\\'00;}"
    "{\\levelnumbers;}}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
    "\\pard\\plain\\s1 Title\\par\\pard\\plain\\s2 Sub\\par\\pard\\plain\\s3 based {\\cs9 stress}"
    "\\par\\pard\\plain\\s0 body}";
// Tab positions: a right one with dots, then a left one.
const QByteArray kTabs = "{\\rtf1\\pard\\tqr\\tldot\\tx2880\\tx4320 tabbed\\tab x\\par}";
// Lists as word processors number them: levels that start again below an
// item, with the numbers of the levels above (in Chinese counting, which Qt
// has no style for); start numbers of a level and
// of an override; \\ls0; an \\ls naming no list, where its \\pn counts.
const QByteArray kLevels =
    "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc35{\\leveltext\\'02\\'00.;}}"
    "{\\listlevel\\levelnfc2\\levelstartat2{\\leveltext\\'04\\'00.\\'01.;}}\\listid7}"
    "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'00;}}\\listid8}}"
    "{\\*\\listoverridetable{\\listoverride\\listid7\\ls0}{\\listoverride\\listid7"
    "\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls2}"
    "{\\listoverride\\listid8\\ls3}}"
    "\\pard\\ls0 a\\par\\ilvl1 b\\par c\\par\\ilvl0 d\\par\\ilvl1 e\\par"
    "{\\*\\pn\\pnlvlcont}continued\\par\\pard\\ls2 f\\par\\pard\\ls3 none\\par"
    "\\pard{\\*\\pn\\pnlvlbody\\pnucltr\\pnstart3}\\ls9 g\\par}";
// LibreOffice's table: the first row's first cell spans two columns of the
// rows below (it has one right edge fewer), a vertical merge, shading, and a
// nested table in the last cell.
const QByteArray kTable =
    "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}"
    "\\trowd\\trql\\clbrdrt\\brdrs\\brdrw10\\clvertalc\\cellx1036\\cellx2039"
    "\\pard\\plain\\intbl merged\\cell\\pard\\intbl c\\cell\\row\\pard"
    "\\trowd\\clvmgf\\cellx518\\clcbpat1\\cellx1036\\cellx2039"
    "\\pard\\intbl v\\cell\\pard\\intbl e\\cell\\pard\\intbl f\\cell\\row\\pard"
    "\\trowd\\clvmrg\\cellx518\\cellx1036\\cellx2039"
    "\\pard\\intbl\\cell\\pard\\intbl h\\cell\\pard\\intbl i\\par"
    "\\pard\\intbl\\itap2 n1\\nestcell\\pard\\intbl\\itap2 n2\\nestcell"
    "{\\*\\nesttableprops\\trowd\\cellx421\\cellx872\\nestrow}{\\nonesttables\\par}"
    "\\pard\\intbl\\cell\\row\\pard after\\par}";
constexpr int kReads = -1;

QByteArray pngHex()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toHex();
}

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
    void structure_data();
    void structure();
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
          "{\\header H}{\\footer F}{\\nonshppict{\\pict\\pngblip 89504e47}}x{\\*\\generator G;}}",
          "x");
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
    reads("Symbol font, by name",
          "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}a{\\f1 a\\'b7\\u61623?}b}", "aα••b");
    reads("\\hich, \\dbch and \\loch choose the font of the bytes",
          "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}{\\f1\\fcharset128 M;}{\\f2\\fcharset204 C;}}"
          "\\loch\\af0\\hich\\af2\\dbch\\af1 \\'93\\'fa\\hich\\'e0\\loch\\f0 a\\'e0}",
          "日аaà");
    reads("\\upr keeps the unicode group", "{\\rtf1{\\upr{\\f1 ansi}{\\*\\ud{\\f1 \\u955?}}}}",
          "λ");
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
    reads("a star before a symbol marks no destination", "{\\rtf1 a{\\*\\{\\info}b}", "a{b");
    // A name the writer would write as "Symbol" is read as the Symbol font.
    reads("a Symbol font name with control characters in it",
          "{\\rtf1{\\fonttbl{\\f0 Sym\x16"
          "bol;}{\\f1 Symbol;}}\\f0 b\\u-3913?\\f1\\u97?}",
          "\u03B2\u2022a");
    reads("text before the font table keeps the font it was read in",
          "{\\rtf1 a\\u-3913?{\\fonttbl{\\f0 Symbol;}}b}", "a\uF0B7\u03B2");
    salvages("kept group and hidden text cut short",
             "{\\rtf1{\\info{\\title Tt\\pngblip 89504e47}a\\bin4 }}{{\\vlq{\\rtf1uoze\\rd\\", "");
    salvages("hidden \\bin cut short", "{\\rtf1 a{\\v b\\bin9 c}", "a\uFFFC");
    reads(
        "row words in hidden text",
        "{\\rtf1\\trowd\\cellx100\\intbl a{\\v b\\trowd\\cellx5\\cellx9\\uc0\\u955 c}\\cell\\row}",
        "\uFDD0a\uFFFC\uFDD1");
    // Styles and lists left out of kept RTF leave the words around them apart.
    reads("kept words around a style",
          "{\\rtf1{\\v \\tyl\\ls1\\cs2 eshe6}x{\\v \\a\\s1 -1\\trowd\\cellx9 2}}", "\uFFFCx\uFFFC");

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
// reader opens, and its text comes back through our writer; what the reader
// refuses leaves its document as it was.
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
        // What the fuzzer checks: what we write is complete and reads the same.
        const QByteArray written = rtf::write(document);
        QVERIFY(rtf::isCompleteRtf(written));
        QTextDocument again;
        QVERIFY(rtf::read(written, &again).ok());
        QCOMPARE(again.toRawText(), text);
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
    const auto row = [](const char* name, const QByteArray& rtf, const char* word, int property,
                        const QVariant& value) {
        QTest::newRow(name) << rtf << QString::fromUtf8(word) << int(property) << value;
    };
    row("font of the table", kOtherWriter, "big", QTextFormat::FontFamilies, QStringList{"Arial"});
    row("highlight", kOtherWriter, "marked", QTextFormat::BackgroundBrush,
        QBrush(QColor(0, 0, 255)));
    row("underlined words", kOtherWriter, "words", QTextFormat::TextUnderlineStyle,
        int(QTextCharFormat::SingleUnderline));
    row("lowered (\\dn)", kOtherWriter, "down", QTextFormat::TextVerticalAlignment,
        int(QTextCharFormat::AlignSubScript));
    row("double underline kept", kOtherWriter, "twice", rtf::kUnderlineWord, QByteArray("uldb"));
    row("dotted underline", kOtherWriter, "dots", QTextFormat::TextUnderlineStyle,
        int(QTextCharFormat::DotLine));
    row("style based on another", kStyles, "based", QTextFormat::FontItalic, true);
    row("style's own size", kStyles, "based", QTextFormat::FontPointSize, 20.0);
    row("style's direction", kStyles, "based", QTextFormat::LayoutDirection, int(Qt::RightToLeft));
    row("character style", kStyles, "stress", QTextFormat::TextUnderlineStyle,
        int(QTextCharFormat::SingleUnderline));
    row("tab positions", kTabs, "tabbed", QTextFormat::TabPositions,
        QVariantList{QVariant::fromValue(QTextOption::Tab(144, QTextOption::RightTab)),
                     QVariant::fromValue(QTextOption::Tab(216, QTextOption::LeftTab))});
    row("tab leaders", kTabs, "tabbed", rtf::kTabLeaders, QStringLiteral(". "));
    row("style's character format", kStyles, "Title", QTextFormat::FontWeight, int(QFont::Bold));
    row("no list for an outline level without numbers", kStyles, "Title", QTextFormat::ListStyle,
        QVariant());
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

// The format of a word read from another writer's document, of its
// paragraph, or of its list.
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
    const bool ofBlock =
        (property >= QTextFormat::BlockAlignment && property < QTextFormat::FirstFontProperty) ||
        property == QTextFormat::LayoutDirection || property == rtf::kTabLeaders;
    const QTextFormat format = ofBlock   ? QTextFormat(cursor.blockFormat())
                               : !ofList ? QTextFormat(cursor.charFormat())
                               : list    ? list->format()
                                         : QTextFormat();
    QCOMPARE(format.property(property), value);
}

void TestRtfReader::structure_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("structure");
    const auto row = [](const char* name, const QByteArray& rtf, const QString& structure) {
        QTest::newRow(name) << rtf << structure;
    };
    row("table with merges and a nested table", kTable,
        "/[(1x2:merged|c)(2x1:v|e|f)(h|i/[(n1|n2)]/)]/after");
    row("rows without definitions",
        "{\\rtf1\\trowd\\cellx100\\cellx200 \\intbl a\\cell b\\cell\\row"
        "\\trowd\\intbl c\\cell\\cell d\\cell\\row\\pard after}",
        "/[(a|b|)(c||d)]/after");
    row("horizontal merge words",
        "{\\rtf1\\trowd\\clmgf\\cellx100\\clmrg\\cellx200\\cellx300\\intbl ab\\cell\\cell "
        "c\\cell\\row"
        "\\trowd\\cellx100\\cellx200\\cellx300\\intbl d\\cell e\\cell f\\cell\\row}",
        "/[(1x2:ab|c)(d|e|f)]/");
    row("edges a few twips apart are one column",
        "{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row"
        "\\trowd\\cellx1006\\cellx1994\\intbl c\\cell d\\cell\\row}",
        "/[(a|b)(c|d)]/");
    row("cells spanning rows, then columns split under them",
        "{\\rtf1\\trowd\\clvmgf\\cellx1000\\clvmgf\\cellx2000\\clvmgf\\cellx3000\\intbl "
        "A\\cell B\\cell C\\cell\\row\\trowd\\clvmrg\\cellx1000\\clvmrg\\cellx2000\\clvmrg"
        "\\cellx3000\\intbl\\cell\\cell\\cell\\row\\trowd\\cellx500\\cellx1000\\cellx1500\\cellx200"
        "0"
        "\\cellx2500\\cellx3000\\cellx3500\\intbl p\\cell q\\cell r\\cell s\\cell t\\cell u\\cell "
        "v\\cell\\row}",
        "/[(2x2:A|2x2:B|2x2:C|)()(p|q|r|s|t|u|v)]/");
    row("table words out of place",
        "{\\rtf1\\cell\\row\\nestrow\\itap9999 x\\nestcell\\clvmrg\\cellx-5\\row"
        "\\trowd\\cellx5\\cellx3\\cellx4\\clmrg\\clvmrg\\cellx9\\intbl y\\cell\\row\\pard z}",
        QString("/[(").repeated(16) + "x)(y)]" + QString("/)]").repeated(15) + "/z");
    row("PNG preferred to the metafile, scaled",
        "{\\rtf1 a{\\*\\shppict{\\pict{\\*\\picprop{\\sp{\\sn n}{\\sv v}}}\\picscalex200"
        "\\picscaley100\\picw4\\pich3\\picwgoal60\\pichgoal45\\pngblip\n" +
            pngHex() + "}}{\\nonshppict{\\pict\\wmetafile8 0102}}b}",
        "a<6x2.25>b");
    row("metafile kept", "{\\rtf1{\\pict\\wmetafile8\\picw2540\\pich1270 0102ff}}", "<72x36*>");
    // The cell's paragraph takes its format again at the end: its list is made again.
    row("list paragraph formatted twice", "{\\rtf\\ls3\\cell", "/[()]/");
    row("picture with no data", "{\\rtf1 a{\\pict\\xff\\xffden}b{\\pict}c}", "abc");
    row("picture after \\bin", "{\\rtf1{\\pict\\emfblip\\picwgoal20\\pichgoal40\\bin3 {}}}",
        "<1x2*>");
    row("headings by style name and outline level", kStyles,
        "#1 Title/#2 Sub/#2 based stress/body");
    row("list levels, starts and labels", kLevels,
        ">一. a/>>一.ii. b/>>一.iii. c/>二. d/>>二.ii. e/continued/>五. f/none/>C. g");
    // What the view cannot show is kept where it stands.
    row("hidden text", "{\\rtf1 a{\\v hidden}b\\v c{\\b d}\\v0 e\\v f\\par\\plain g}",
        "a{v}b{v}e{v}/g");
    row("shapes, drawing objects, objects, fields with no result",
        "{\\rtf1\\paperw11906{\\header H}a{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 202}}"
        "{\\shptxt box}}}b{\\*\\do\\dobxpage}c{\\object{\\objdata 0102}}"
        "{\\field{\\*\\fldinst PAGE}}{\\field{\\*\\fldinst N}{\\fldrslt }}{\\field}}",
        "a{shp}b{do}c{object}{field}{field}");
    row("page breaks", "{\\rtf1 a\\page b\\par\\page\\pard\\pagebb c\\par\\pard d}", "a/~b/~c/d");
    // Unseen, a bookmark goes in with what follows it: in the cell, not
    // between the tables; at the end, in the last paragraph.
    row("comments and bookmarks",
        "{\\rtf1 a{\\*\\atnid J}\\chatn{\\*\\annotation\\chatn note}\\par"
        "\\trowd\\cellx900\\pard\\intbl x\\cell\\row\\trowd\\cellx900{\\*\\bkmkstart m}"
        "\\pard\\intbl y\\cell\\row\\pard z\\par{\\*\\bkmkend m}}",
        "a{atnid}{chatn}{annotation}/[(x)({bkmkstart}y)]/z{bkmkend}");
    row("footnotes, an endnote with a mark of its own",
        "{\\rtf1 a{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} one\\par two}b*"
        "{\\footnote\\ftnalt\\pard end}c{\\super\\chftn{\\footnote {\\chftn}x}}}",
        "a^1b^*c^2/notes(@^1 one/two/@@end/@^2x)/");
}

// Tables, pictures and headings: the structure of the document read.
void TestRtfReader::structure()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, structure);
    QTextDocument document;
    QVERIFY(rtf::read(rtf, &document).ok());
    QCOMPARE(structureOf(document), structure);
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
