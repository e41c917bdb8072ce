#include "rtf/rtf.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

using namespace velko;

namespace {

// "Plain " + formatted run + " tail": the formatted run sits between two plain ones.
const QString kBefore = QStringLiteral("Plain ");
const QString kRun = QStringLiteral("Run é€ 😀");
const QString kAfter = QStringLiteral(" tail");

std::unique_ptr<QTextDocument> readBack(const QByteArray& rtf)
{
    auto document = std::make_unique<QTextDocument>();
    const Status status = rtf::read(rtf, document.get());
    if (!status)
        qWarning() << "read failed:" << status.error().detail;
    return document;
}

QTextCharFormat formatAt(const QTextDocument& document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

} // namespace

class TestRtfRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void characterFormat_data();
    void characterFormat();
    void paragraphFormat_data();
    void paragraphFormat();
    void lists_data();
    void lists();
    void text_data();
    void text();
    void lastParagraphKeepsItsFormat();
    void sameBytesEveryTime();
    void rangeIsCompleteDocument();
    void headerIsStandard();
};

void TestRtfRoundTrip::characterFormat_data()
{
    QTest::addColumn<QTextCharFormat>("format");
    const auto row = [](const char* name, auto setter) {
        QTextCharFormat format;
        setter(format);
        QTest::newRow(name) << format;
    };
    row("family", [](QTextCharFormat& f) { f.setFontFamilies({"Courier New"}); });
    row("family non-ASCII", [](QTextCharFormat& f) { f.setFontFamilies({"Schrift Ä {x}\\"}); });
    row("size", [](QTextCharFormat& f) { f.setFontPointSize(17.5); });
    row("bold", [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
    row("italic", [](QTextCharFormat& f) { f.setFontItalic(true); });
    row("underline", [](QTextCharFormat& f) { f.setFontUnderline(true); });
    row("strike-out", [](QTextCharFormat& f) { f.setFontStrikeOut(true); });
    row("orange text", [](QTextCharFormat& f) { f.setForeground(QColor(255, 128, 0)); });
    row("background", [](QTextCharFormat& f) { f.setBackground(QColor(10, 200, 30)); });
    row("superscript",
        [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); });
    row("subscript",
        [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); });
    row("link", [](QTextCharFormat& f) {
        f.setAnchor(true);
        f.setAnchorHref("https://example.org/a?b={c}&d=\\e#f");
    });
    row("everything", [](QTextCharFormat& f) {
        f.setFontFamilies({"DejaVu Serif"});
        f.setFontPointSize(9);
        f.setFontWeight(QFont::Bold);
        f.setFontItalic(true);
        f.setFontUnderline(true);
        f.setFontStrikeOut(true);
        f.setForeground(QColor(0, 0, 255));
        f.setBackground(QColor(255, 255, 0));
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        f.setAnchor(true);
        f.setAnchorHref("mailto:someone@example.org");
    });
}

void TestRtfRoundTrip::characterFormat()
{
    QFETCH(QTextCharFormat, format);
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(kBefore);
    cursor.insertText(kRun, format);
    cursor.insertText(kAfter, QTextCharFormat());

    const auto back = readBack(rtf::write(document));
    QCOMPARE(back->toRawText(), document.toRawText());

    const QMap<int, QVariant> expected = format.properties();
    const QTextCharFormat plain = formatAt(*back, 0);
    for (int i = 0; i < kRun.size(); ++i) {
        const QTextCharFormat got = formatAt(*back, int(kBefore.size()) + i);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(got.property(it.key()), it.value());
    }
    // The plain neighbours before and after must not inherit the run's attributes.
    const QTextCharFormat tail = formatAt(*back, int(kBefore.size() + kRun.size()) + 1);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (it.key() == QTextFormat::FontFamilies || it.key() == QTextFormat::FontPointSize)
            continue; // the reader states family and size everywhere
        QVERIFY2(plain.property(it.key()) != it.value(), qPrintable(QString::number(it.key())));
        QVERIFY2(tail.property(it.key()) != it.value(), qPrintable(QString::number(it.key())));
    }
}

void TestRtfRoundTrip::paragraphFormat_data()
{
    QTest::addColumn<QTextBlockFormat>("format");
    const auto row = [](const char* name, auto setter) {
        QTextBlockFormat format;
        setter(format);
        QTest::newRow(name) << format;
    };
    row("centre", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignHCenter); });
    row("right", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignRight); });
    row("justify", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignJustify); });
    row("left margin", [](QTextBlockFormat& f) { f.setLeftMargin(36); });
    row("right margin", [](QTextBlockFormat& f) { f.setRightMargin(12.5); });
    row("first line", [](QTextBlockFormat& f) { f.setTextIndent(-18); });
    row("indent levels", [](QTextBlockFormat& f) { f.setIndent(2); });
    row("indent and margin", [](QTextBlockFormat& f) {
        f.setIndent(1);
        f.setLeftMargin(10);
    });
    row("space before", [](QTextBlockFormat& f) { f.setTopMargin(6); });
    row("space after", [](QTextBlockFormat& f) { f.setBottomMargin(14); });
    row("line height 150%",
        [](QTextBlockFormat& f) { f.setLineHeight(150, QTextBlockFormat::ProportionalHeight); });
    row("line height 115%",
        [](QTextBlockFormat& f) { f.setLineHeight(115, QTextBlockFormat::ProportionalHeight); });
    row("fixed line height",
        [](QTextBlockFormat& f) { f.setLineHeight(20, QTextBlockFormat::FixedHeight); });
    row("minimum line height",
        [](QTextBlockFormat& f) { f.setLineHeight(16, QTextBlockFormat::MinimumHeight); });
}

void TestRtfRoundTrip::paragraphFormat()
{
    QFETCH(QTextBlockFormat, format);
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText("first");
    cursor.insertBlock(format);
    cursor.insertText("formatted");
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText("last");

    const auto back = readBack(rtf::write(document));
    QCOMPARE(back->blockCount(), 3);
    QCOMPARE(back->toRawText(), document.toRawText());
    const QTextBlockFormat got = back->findBlockByNumber(1).blockFormat();
    const QMap<int, QVariant> expected = format.properties();
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(got.property(it.key()), it.value());
    // Paragraph properties must not leak into the next paragraph.
    for (int number : {0, 2}) {
        const QTextBlockFormat other = back->findBlockByNumber(number).blockFormat();
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QVERIFY(other.property(it.key()) != it.value());
    }
}

void TestRtfRoundTrip::lists_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("indent");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("disc") << int(QTextListFormat::ListDisc) << 1 << QString();
    QTest::newRow("circle") << int(QTextListFormat::ListCircle) << 2 << QString();
    QTest::newRow("square") << int(QTextListFormat::ListSquare) << 3 << QString();
    QTest::newRow("decimal") << int(QTextListFormat::ListDecimal) << 1 << QString();
    QTest::newRow("decimal with )") << int(QTextListFormat::ListDecimal) << 1 << QString(")");
    QTest::newRow("lower alpha") << int(QTextListFormat::ListLowerAlpha) << 2 << QString();
    QTest::newRow("upper alpha") << int(QTextListFormat::ListUpperAlpha) << 1 << QString();
    QTest::newRow("lower roman") << int(QTextListFormat::ListLowerRoman) << 1 << QString();
    QTest::newRow("upper roman") << int(QTextListFormat::ListUpperRoman) << 4 << QString();
}

void TestRtfRoundTrip::lists()
{
    QFETCH(int, style);
    QFETCH(int, indent);
    QFETCH(QString, suffix);
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText("intro");
    cursor.insertBlock();
    QTextListFormat listFormat;
    listFormat.setStyle(QTextListFormat::Style(style));
    listFormat.setIndent(indent);
    if (!suffix.isEmpty())
        listFormat.setNumberSuffix(suffix);
    QTextList* list = cursor.createList(listFormat);
    cursor.insertText("one");
    cursor.insertBlock();
    cursor.insertText("two");
    // A nested list inside, then back to the outer one.
    cursor.insertBlock();
    QTextListFormat nested;
    nested.setStyle(QTextListFormat::ListDecimal);
    nested.setIndent(indent + 1);
    cursor.createList(nested);
    cursor.insertText("inner");
    cursor.insertBlock();
    list->add(cursor.block());
    cursor.insertText("three");
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText("outro");

    const QByteArray rtfData = rtf::write(document);
    QVERIFY(rtfData.contains("{\\listtext ")); // the fallback older readers show
    const auto back = readBack(rtfData);
    QCOMPARE(back->toRawText(), document.toRawText());
    QCOMPARE(back->blockCount(), document.blockCount());
    QVERIFY(!back->findBlockByNumber(0).textList());
    QVERIFY(!back->findBlockByNumber(5).textList());
    const QTextList* outer = back->findBlockByNumber(1).textList();
    QVERIFY(outer);
    QCOMPARE(int(outer->format().style()), style);
    QCOMPARE(outer->format().indent(), indent);
    QCOMPARE(back->findBlockByNumber(2).textList(), outer);
    QCOMPARE(back->findBlockByNumber(4).textList(), outer);
    QCOMPARE(outer->itemText(back->findBlockByNumber(4)),
             list->itemText(document.findBlockByNumber(4)));
    const QTextList* inner = back->findBlockByNumber(3).textList();
    QVERIFY(inner && inner != outer);
    QCOMPARE(inner->format().style(), QTextListFormat::ListDecimal);
    QCOMPARE(inner->format().indent(), indent + 1);
    // Block margins of list items come back as they were (none).
    QCOMPARE(back->findBlockByNumber(1).blockFormat().leftMargin(), 0.0);
}

void TestRtfRoundTrip::text_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("RTF specials") << QStringLiteral("a\\b{c}d\\\\{{}}");
    QTest::newRow("tabs and line breaks") << QStringLiteral("a\tb\u2028c");
    QTest::newRow("paragraphs") << QStringLiteral("one\ntwo\n\n\nfive");
    QTest::newRow("latin-1") << QStringLiteral("Grüße, déjà vu ÿ ¡");
    QTest::newRow("beyond latin-1") << QStringLiteral("€ — “quoted” Ωμέγα Привет");
    QTest::newRow("CJK") << QStringLiteral("日本語のテキスト 中文 한국어");
    QTest::newRow("beyond U+FFFF") << QStringLiteral("😀 𝄞 𠀋");
    QTest::newRow("no-break and soft hyphen") << QStringLiteral("a\u00A0b\u00ADc\u2011d");
    QTest::newRow("question marks") << QStringLiteral("é? ?€?");
    QTest::newRow("digits after unicode") << QStringLiteral("€123 é456");
    QTest::newRow("spaces") << QStringLiteral("  lead  and  trail  ");
}

void TestRtfRoundTrip::text()
{
    QFETCH(QString, text);
    QTextDocument document;
    QTextCursor(&document).insertText(text);
    const QByteArray data = rtf::write(document);
    for (char c : data)
        QVERIFY2(uchar(c) < 0x80, "RTF output must be 7-bit");
    const auto back = readBack(data);
    QCOMPARE(back->toRawText(), document.toRawText());
}

void TestRtfRoundTrip::lastParagraphKeepsItsFormat()
{
    // The closing \\par of the last paragraph must neither add an empty one nor drop its format.
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText("body");
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.insertBlock(centred);
    cursor.createList(QTextListFormat::ListSquare);
    cursor.insertText("last item");

    const auto back = readBack(rtf::write(document));
    QCOMPARE(back->blockCount(), 2);
    const QTextBlock last = back->lastBlock();
    QCOMPARE(last.text(), QStringLiteral("last item"));
    QCOMPARE(last.blockFormat().alignment(), Qt::AlignHCenter);
    QVERIFY(last.textList());
    QCOMPARE(last.textList()->format().style(), QTextListFormat::ListSquare);
    QVERIFY(!back->firstBlock().textList());

    cursor.insertBlock(QTextBlockFormat()); // an empty last paragraph is kept
    QCOMPARE(readBack(rtf::write(document))->blockCount(), 3);
}

void TestRtfRoundTrip::sameBytesEveryTime()
{
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setForeground(QColor(255, 128, 0));
    cursor.insertText("plain ");
    cursor.insertText("bold orange", bold);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.insertBlock(centred);
    cursor.createList(QTextListFormat::ListDecimal);
    cursor.insertText("item €");

    const QByteArray first = rtf::write(document);
    QCOMPARE(rtf::write(document), first);
    // What we read back writes the same bytes again.
    const auto back = readBack(first);
    back->setDefaultFont(document.defaultFont());
    const QByteArray again = rtf::write(*back);
    if (again != first) {
        qInfo().noquote() << first;
        qInfo().noquote() << again;
    }
    QCOMPARE(again, first);
}

void TestRtfRoundTrip::rangeIsCompleteDocument()
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText("0123456789");
    cursor.insertBlock();
    cursor.insertText("abcdef");

    const QByteArray middle = rtf::writeRange(document, 3, 7);
    QVERIFY(rtf::looksLikeCompleteRtf(middle));
    QCOMPARE(readBack(middle)->toRawText(), QStringLiteral("3456"));

    const QByteArray across = rtf::writeRange(document, 8, 13);
    QCOMPARE(readBack(across)->toRawText(), QStringLiteral("89\u2029ab"));

    const QByteArray whole = rtf::writeRange(document, 0, document.characterCount() - 1);
    QCOMPARE(whole, rtf::write(document));
    QCOMPARE(readBack(rtf::writeRange(document, 5, 5))->toRawText(), QString());
}

void TestRtfRoundTrip::headerIsStandard()
{
    QTextDocument document;
    const QByteArray data = rtf::write(document);
    QVERIFY(data.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
    QVERIFY(data.contains("{\\fonttbl{\\f0"));
    QVERIFY(data.contains("{\\colortbl;"));
    QVERIFY(data.endsWith("}"));
    QVERIFY(rtf::looksLikeCompleteRtf(data));
    QVERIFY(!rtf::looksLikeCompleteRtf(data.chopped(1)));
}

QTEST_MAIN(TestRtfRoundTrip)
#include "tst_rtfroundtrip.moc"
