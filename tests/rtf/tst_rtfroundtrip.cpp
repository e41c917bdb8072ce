#include "rtf/grammar/rtfgrammar.h"
#include "rtf/listnumbers.h"
#include "rtf/rtf.h"
#include "rtf/textproperties.h"
#include "structure.h"

#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextList>

using namespace velko;

namespace {

// "Plain " + formatted run + " tail": the formatted run sits between two plain ones.
const QString kBefore = QStringLiteral("Plain ");
const QString kRun = QStringLiteral("Run é€ 😀");

std::unique_ptr<QTextDocument> readBack(const QByteArray& rtf)
{
    auto document = std::make_unique<QTextDocument>();
    if (!rtf::read(rtf, document.get()))
        qWarning("read failed");
    return document;
}

QTextCharFormat formatAt(const QTextDocument& document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

// `got` holds every property of `expected` (or, with `none`, not one of them).
void verifyProperties(const QTextFormat& got, const QTextFormat& expected, bool none = false)
{
    const QMap<int, QVariant> properties = expected.properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        QVERIFY2((got.property(it.key()) == it.value()) != none,
                 qPrintable(QString::number(it.key())));
    }
}

// `rtf` holds each of the space-separated control `words`, as whole words.
void verifyWords(const QByteArray& rtf, const QByteArray& words)
{
    for (const QByteArray& word : words.split(' ')) {
        const QRegularExpression control(QStringLiteral("\\\\%1(?![a-z])").arg(word));
        QVERIFY2(word.isEmpty() || QString::fromLatin1(rtf).contains(control), word);
    }
}

// Documents with what the text view shows beyond formatted text.
void tableDocument(QTextDocument& document)
{
    QTextCursor cursor(&document);
    cursor.insertText("before");
    cursor.insertBlock();
    QTextTableFormat format;
    format.setBorder(1);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(QColor(0, 0, 128));
    format.setCellPadding(4);
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    format.setAlignment(Qt::AlignHCenter);
    format.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 50),
                                      QTextLength(QTextLength::FixedLength, 60),
                                      QTextLength(QTextLength::FixedLength, 70)});
    QTextTable* table = cursor.insertTable(3, 3, format);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            table->cellAt(row, column)
                .firstCursorPosition()
                .insertText(QStringLiteral("%1%2").arg(row).arg(column));
    }
    table->cellAt(2, 2).lastCursorPosition().insertBlock();
    table->cellAt(2, 2).lastCursorPosition().insertText("second");
    table->mergeCells(0, 0, 1, 2);
    table->mergeCells(1, 0, 2, 1);
    QTextTableCell shaded = table->cellAt(1, 1);
    QTextTableCellFormat cellFormat = shaded.format().toTableCellFormat();
    cellFormat.setBackground(QColor(255, 255, 0));
    cellFormat.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    shaded.setFormat(cellFormat);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText("after");
}

void nestedTableDocument(QTextDocument& document)
{
    QTextCursor cursor(&document);
    QTextTable* outer = cursor.insertTable(1, 2);
    outer->cellAt(0, 0).firstCursorPosition().insertText("outer");
    QTextCursor inner = outer->cellAt(0, 1).firstCursorPosition();
    inner.insertText("above");
    inner.insertBlock();
    QTextTable* nested = inner.insertTable(2, 1);
    nested->cellAt(0, 0).firstCursorPosition().insertText("n0");
    nested->cellAt(1, 0).firstCursorPosition().insertText("n1");
}

void pictureDocument(QTextDocument& document)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::blue);
    document.addResource(QTextDocument::ImageResource, QUrl("inserted.png"), image);
    QTextImageFormat format;
    format.setName("inserted.png");
    format.setWidth(30);
    format.setHeight(22.5);
    QTextCursor cursor(&document);
    cursor.insertText("see ");
    cursor.insertImage(format);
    cursor.insertText(" here");
}

void metafileDocument(QTextDocument& document)
{
    (void)rtf::read("{\\rtf1 a{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 "
                    "0102abcdef}b{\\pict\xff 0de}c}",
                    &document);
}

void headingDocument(QTextDocument& document)
{
    QTextCursor cursor(&document);
    QTextBlockFormat heading;
    heading.setHeadingLevel(1);
    cursor.setBlockFormat(heading);
    cursor.insertText("Title");
    heading.setHeadingLevel(3);
    cursor.insertBlock(heading);
    cursor.insertText("Part");
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText("body");
}

// A list interrupted by a nested one and continued, counting from 4.
void listDocument(QTextDocument& document)
{
    QTextCursor cursor(&document);
    cursor.insertText("intro");
    cursor.insertBlock();
    QTextListFormat outer;
    outer.setStyle(QTextListFormat::ListUpperRoman);
    outer.setIndent(2);
    outer.setNumberSuffix(")");
    outer.setProperty(rtf::kListStart, 4);
    QTextList* list = cursor.createList(outer);
    cursor.insertText("one");
    cursor.insertBlock();
    QTextListFormat inner;
    inner.setStyle(QTextListFormat::ListSquare);
    inner.setIndent(3);
    cursor.createList(inner);
    cursor.insertText("inner");
    cursor.insertBlock();
    list->add(cursor.block());
    cursor.insertText("two");
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText("outro");
}

// Levels that count on their own, start again below an item, and show the
// numbers of the levels above; numbers Qt has no style for.
void levelsDocument(QTextDocument& document)
{
    (void)rtf::read(
        "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat3{\\leveltext"
        "\\'02\\'00.;}}{\\listlevel\\levelnfc30{\\leveltext\\'04\\'00.\\'01);}}\\listid1}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\ls0}}\\ls0 a\\par\\ilvl1 b\\par c\\par"
        "\\ilvl0 d\\par\\ilvl1 e\\par}",
        &document);
}

// What the view cannot show, as LibreOffice writes it: an A4 page, a header
// in a font of its own, a text box, a field with no result, hidden text, a
// page break and a section break.
void keptDocument(QTextDocument& document)
{
    (void)rtf::read(
        "{\\rtf1{\\fonttbl{\\f0 Times;}{\\f1\\fcharset204 "
        "Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
        "{\\info{\\title T}}\\paperw11906\\paperh16838\\margl1134\\sectd\\pgwsxn11906"
        "{\\header\\pard\\f1\\cf1 head\\par}{\\footer foot}"
        "\\pard a{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt\\f1 box}}}b"
        "{\\field{\\*\\fldinst PAGE}}{\\v\\f1 hidden}c\\par\\pard\\pagebb "
        "d\\sect\\sectd\\lndscpsxn\\pard e}",
        &document);
}

void notesDocument(QTextDocument& document)
{
    (void)rtf::read("{\\rtf1 a{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} one\\par\\b "
                    "two}b*{\\footnote\\ftnalt\\pard\\plain end}c}",
                    &document);
}

using Builder = void (*)(QTextDocument&);
const Builder kBuilders[] = {tableDocument,    nestedTableDocument, pictureDocument,
                             metafileDocument, headingDocument,     listDocument,
                             levelsDocument,   keptDocument,        notesDocument};

} // namespace

class TestRtfRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void structures_data();
    void structures();
    void keptObjectsOutliveEditing();
    void lastParagraph();
    void listLabelsAsQtGivesThem();
    void fieldResults();
    void rangeIsCompleteDocument();
};

void TestRtfRoundTrip::formats_data()
{
    QTest::addColumn<QString>("before"); // plain text before the run in its paragraph
    QTest::addColumn<QString>("run");
    QTest::addColumn<QTextCharFormat>("chars");
    QTest::addColumn<QTextBlockFormat>("block");
    QTest::addColumn<QByteArray>("words"); // control words other readers look for
    const auto chars = [](const char* name, const char* words, auto setter) {
        QTextCharFormat format;
        setter(format);
        QTest::newRow(name) << kBefore << kRun << format << QTextBlockFormat() << QByteArray(words);
    };
    const auto block = [](const char* name, const char* words, auto setter) {
        QTextBlockFormat format;
        setter(format);
        QTest::newRow(name) << kBefore << kRun << QTextCharFormat() << format << QByteArray(words);
    };
    // Plain text first in its paragraph, right after the paragraph's control words.
    const auto text = [](const char* name, const QString& run) {
        QTest::newRow(name) << QString() << run << QTextCharFormat() << QTextBlockFormat()
                            << QByteArray();
    };
    text("RTF specials, beyond U+FFFF, question marks and digits after unicode",
         QStringLiteral("a\\b{c}d\\\\{{}} 😀 𝄞 𠀋 é? ?€? €123 é456"));
    text("spaces", QStringLiteral("  lead  and  trail  "));
    chars("everything, RTF specials in the family and the link",
          "fs35 b i ul strike cf chcbpat super", [](QTextCharFormat& f) {
              f.setFontFamilies({"Schrift Ä {x}\\"});
              f.setFontPointSize(17.5);
              f.setFontWeight(QFont::Bold);
              f.setFontItalic(true);
              f.setFontUnderline(true);
              f.setFontStrikeOut(true);
              f.setForeground(QColor(0, 0, 255));
              f.setBackground(QColor(255, 255, 0));
              f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
              f.setAnchor(true);
              f.setAnchorHref("https://example.org/a?b={c}&d=\\e#f");
          });
    chars("subscript", "sub",
          [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); });
    chars("double underline, drawn single", "uldb", [](QTextCharFormat& f) {
        f.setFontUnderline(true);
        f.setProperty(rtf::kUnderlineWord, QByteArray("uldb"));
    });
    chars("wave underline", "ulwave", [](QTextCharFormat& f) {
        f.setProperty(QTextFormat::TextUnderlineStyle, int(QTextCharFormat::WaveUnderline));
    });
    block("centre, margins and indents", "qc li", [](QTextBlockFormat& f) {
        f.setAlignment(Qt::AlignHCenter);
        f.setRightMargin(12.5);
        f.setTextIndent(-18);
        f.setIndent(1);
        f.setLeftMargin(10);
        f.setTopMargin(6);
    });
    block("right", "qr", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignRight); });
    block("right to left", "rtlpar",
          [](QTextBlockFormat& f) { f.setLayoutDirection(Qt::RightToLeft); });
    block("tab positions with kinds and leaders", "tx tqr tldot tqc tqdec tlul",
          [](QTextBlockFormat& f) {
              f.setTabPositions({QTextOption::Tab(36, QTextOption::LeftTab),
                                 QTextOption::Tab(144, QTextOption::RightTab),
                                 QTextOption::Tab(200, QTextOption::CenterTab),
                                 QTextOption::Tab(300, QTextOption::DelimiterTab, u'.')});
              f.setProperty(rtf::kTabLeaders, QStringLiteral(" . _"));
          });
    block("justified", "qj", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignJustify); });
    block("line height 150%", "",
          [](QTextBlockFormat& f) { f.setLineHeight(150, QTextBlockFormat::ProportionalHeight); });
    block("fixed line height", "",
          [](QTextBlockFormat& f) { f.setLineHeight(20, QTextBlockFormat::FixedHeight); });
    block("minimum line height", "",
          [](QTextBlockFormat& f) { f.setLineHeight(16, QTextBlockFormat::MinimumHeight); });
}

void TestRtfRoundTrip::formats()
{
    QFETCH(QString, before);
    QFETCH(QString, run);
    QFETCH(QTextCharFormat, chars);
    QFETCH(QTextBlockFormat, block);
    QFETCH(QByteArray, words);
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText("first");
    cursor.insertBlock(block);
    cursor.insertText(before);
    cursor.insertText(run, chars);
    cursor.insertText(" tail", QTextCharFormat());
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText("last");

    const QByteArray data = rtf::write(document);
    for (char c : data)
        QVERIFY2(uchar(c) < 0x80, "RTF output must be 7-bit");
    QCOMPARE(rtf::write(document), data); // the same document, the same bytes
    verifyWords(data, words);
    const auto back = readBack(data);
    QCOMPARE(back->toRawText(), document.toRawText());
    back->setDefaultFont(document.defaultFont());
    QCOMPARE(rtf::write(*back), data); // what is read back writes the same bytes again
    const int start = back->findBlockByNumber(1).position() + int(before.size());
    for (int i = 0; i < run.size(); ++i)
        verifyProperties(formatAt(*back, start + i), chars);
    verifyProperties(back->findBlockByNumber(1).blockFormat(), block);
    // Nothing leaks into the plain neighbours (the reader states family and size everywhere).
    chars.clearProperty(QTextFormat::FontFamilies);
    chars.clearProperty(QTextFormat::FontPointSize);
    for (int position : {start - 1, start + int(run.size()) + 1})
        verifyProperties(formatAt(*back, position), chars, true);
    for (int number : {0, 2})
        verifyProperties(back->findBlockByNumber(number).blockFormat(), block, true);
}

void TestRtfRoundTrip::structures_data()
{
    QTest::addColumn<int>("builder");
    QTest::addColumn<QString>("structure");
    QTest::addColumn<QByteArray>("words"); // control words other readers look for
    QTest::newRow("table: merges, widths, border, shading")
        << 0 << "before//[(1x2:00 01|02)(2x1:10/20|11|12)(21|22/second)]/after"
        << QByteArray("trowd trgaph trqc clmgf clmrg clvmgf clvmrg clcbpat clvertalc clbrdrt brdrw "
                      "cellx intbl cell row");
    QTest::newRow("nested table") << 1 << "/[(outer|above//[(n0)(n1)]/)]/"
                                  << QByteArray(
                                         "itap nestcell nesttableprops nestrow nonesttables");
    QTest::newRow("picture") << 2 << "see <30x22.5> here" << QByteArray("pict pngblip picwgoal");
    QTest::newRow("metafile and picture of no kind kept")
        << 3 << "a<72x36*>b<1x1*>c" << QByteArray("wmetafile8 picw");
    QTest::newRow("headings") << 4 << "#1 Title/#3 Part/body"
                              << QByteArray("stylesheet s1 s3 outlinelevel0 outlinelevel2");
    QTest::newRow("list continued after a nested one, counted from 4")
        << 5 << "intro/>>IV) one/>>>\u2022 inner/>>V) two/outro"
        << QByteArray("listtext ls ilvl1 ilvl2 levelstartat4");
    QTest::newRow("levels numbered below the levels above")
        << 6 << ">3. a/>>3.甲) b/>>3.乙) c/>4. d/>>4.甲) e"
        << QByteArray("levelstartat3 levelnfc30");
    QTest::newRow("kept: page, header, footer, text box, field, hidden text, breaks")
        << 7 << "a{shp}b{field}{v}c/~d/e"
        << QByteArray("info paperw11906 paperh16838 margl1134 pgwsxn11906 header footer shp "
                      "shptxt fldinst v pagebb sect lndscpsxn");
    QTest::newRow("footnote, endnote with a mark of its own")
        << 8 << "a^1b^*c/notes(@^1 one/two/@@end)/" << QByteArray("chftn footnote ftnalt");
}

// Tables, pictures, headings and lists come back as they were, and write the
// same bytes again.
void TestRtfRoundTrip::structures()
{
    QFETCH(int, builder);
    QFETCH(QString, structure);
    QFETCH(QByteArray, words);
    QTextDocument document;
    kBuilders[builder](document);
    QCOMPARE(structureOf(document), structure);
    const QByteArray data = rtf::write(document);
    verifyWords(data, words);
    const auto back = readBack(data);
    QCOMPARE(structureOf(*back), structure);
    back->setDefaultFont(document.defaultFont());
    QCOMPARE(rtf::write(*back), data);
    if (builder == 8) {
        // A part of the text holds only the notes of its marks.
        const QByteArray part = rtf::writeRange(document, 0, 2);
        QCOMPARE(part.count("{\\footnote"), 1);
        QCOMPARE(structureOf(*readBack(part)), QStringLiteral("a^1/notes(@^1 one/two)/"));
        // A note whose mark was deleted still goes out, marked at the end.
        QTextCursor mark(&document);
        mark.setPosition(1);
        mark.setPosition(2, QTextCursor::KeepAnchor);
        mark.removeSelectedText();
        QCOMPARE(structureOf(*readBack(rtf::write(document))),
                 QStringLiteral("ab^*c/^1/notes(@@end/@^1 one/two)/"));
    }
    if (builder == 7) {
        // The header's font and colour are this writer's numbers for Arial,
        // in its character set, and red.
        QVERIFY(data.contains("\\cf1 head"));
        const qsizetype arial = data.indexOf("\\fcharset204 Arial;}");
        QVERIFY(arial > 0);
        const QByteArray font = data.mid(data.lastIndexOf("{\\f", arial) + 1, 3);
        QVERIFY2(data.contains("{\\header\\pard" + font), font);
        // The text box shows its text, where a shape without one is a small marker.
        auto fragment = document.begin().begin();
        const QTextImageFormat box = (++fragment).fragment().charFormat().toImageFormat();
        QVERIFY2(box.width() > 2 * 12 && box.height() > 12, qPrintable(box.name()));
        QCOMPARE(document.resource(QTextDocument::ImageResource, box.name()).value<QImage>().size(),
                 QSize(int(box.width()), int(box.height())));
        // A section that ends after a paragraph's end ends after that paragraph.
        QTextDocument sections;
        QVERIFY(rtf::read("{\\rtf1 a\\par b\\par\\sect c}", &sections).ok());
        QVERIFY(rtf::write(sections).contains("b\\par\n\\sect\nc"));
    }
    if (builder == 0) {
        const auto* table = qobject_cast<QTextTable*>(back->rootFrame()->childFrames().value(0));
        QVERIFY(table);
        QCOMPARE(table->format().border(), 1.0);
        QCOMPARE(table->format().cellPadding(), 4.0);
        QCOMPARE(table->format().alignment(), Qt::AlignHCenter);
        QCOMPARE(table->format().columnWidthConstraints().value(2),
                 QTextLength(QTextLength::FixedLength, 70));
        const QTextTableCellFormat cell = table->cellAt(1, 1).format().toTableCellFormat();
        QCOMPARE(cell.background().color(), QColor(255, 255, 0));
        QCOMPARE(cell.verticalAlignment(), QTextCharFormat::AlignMiddle);
    }
}

// Typing beside a kept object keeps it, and a copy of it pasted through HTML
// (as the view copies) is written back as the RTF it stands for.
void TestRtfRoundTrip::keptObjectsOutliveEditing()
{
    QTextDocument document;
    keptDocument(document);
    QTextCursor cursor(&document);
    cursor.setPosition(1);
    cursor.insertText(" after");
    cursor.setPosition(8);
    cursor.insertText("before ");
    cursor.setPosition(7);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    QCOMPARE(cursor.selectedText(), QString(QChar::ObjectReplacementCharacter));
    const QString html = QTextDocumentFragment(cursor).toHtml();
    cursor.movePosition(QTextCursor::End);
    cursor.insertFragment(QTextDocumentFragment::fromHtml(html, &document));
    QCOMPARE(structureOf(document).left(20), QStringLiteral("a after{shp}before b"));

    QTextDocument metafile;
    metafileDocument(metafile);
    QTextCursor picture(&metafile);
    picture.setPosition(1);
    picture.setPosition(2, QTextCursor::KeepAnchor);
    const QString pictureHtml = QTextDocumentFragment(picture).toHtml();
    picture.insertFragment(QTextDocumentFragment::fromHtml(pictureHtml, &metafile));
    QCOMPARE(rtf::write(metafile).count("{\\pict\\wmetafile8"), 1);

    const QByteArray data = rtf::write(document);
    QCOMPARE(data.count("{\\shp{\\*\\shpinst"), 2);
    QVERIFY(data.contains("{\\v \\f"));
}

// The closing \par of the last paragraph neither adds an empty paragraph nor
// drops the last one's format; an empty last paragraph is kept.
void TestRtfRoundTrip::lastParagraph()
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.createList(QTextListFormat::ListDecimal); // a list of its own
    cursor.insertText("first");
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.insertBlock(centred);
    cursor.createList(QTextListFormat::ListSquare);
    cursor.insertText("item €");
    const auto back = readBack(rtf::write(document));
    QCOMPARE(back->blockCount(), 2);
    QCOMPARE(back->lastBlock().blockFormat().alignment(), Qt::AlignHCenter);
    const QTextList* list = back->lastBlock().textList();
    QVERIFY(list && list->format().style() == QTextListFormat::ListSquare);

    cursor.insertBlock(QTextBlockFormat());
    QCOMPARE(readBack(rtf::write(document))->blockCount(), 3);
}

// Labels are made without Qt's search through the list, as Qt makes them:
// letters and Roman numbers past the simple ones, prefixes and suffixes,
// and a right-to-left paragraph's label the other way round.
void TestRtfRoundTrip::listLabelsAsQtGivesThem()
{
    QTextDocument document;
    QTextCursor cursor(&document);
    for (const auto style : {QTextListFormat::ListDecimal, QTextListFormat::ListLowerAlpha,
                             QTextListFormat::ListUpperAlpha, QTextListFormat::ListLowerRoman,
                             QTextListFormat::ListUpperRoman}) {
        QTextListFormat format;
        format.setStyle(style);
        if (style == QTextListFormat::ListUpperAlpha) {
            format.setNumberPrefix("(");
            format.setNumberSuffix(")");
        }
        cursor.insertBlock();
        cursor.createList(format);
        for (int item = 0; item < 60; ++item)
            cursor.insertText(item % 7 == 0 ? QStringLiteral("\u05d0\u05d1\u05d2\u2029")
                                            : QStringLiteral("text\u2029"));
    }
    rtf::ListItemIndexes items;
    int labels = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (const QTextList* list = block.textList()) {
            QCOMPARE(rtf::listItemText(*list, block, items.indexOf(*list, block)),
                     list->itemText(block));
            ++labels;
        }
    }
    QCOMPARE(labels, 5 * 61); // each list's empty last paragraph is an item too
    const QTextBlock rightToLeft = document.begin().next();
    QCOMPARE(rtf::listItemText(*rightToLeft.textList(), rightToLeft), QStringLiteral(".1"));
}

// A field's result in one paragraph is written back as that field's, two
// like fields side by side as two; a result over several paragraphs (a table
// of contents) stays their text.
void TestRtfRoundTrip::fieldResults()
{
    QTextDocument document;
    QVERIFY(
        rtf::read("{\\rtf1 p{\\field{\\*\\fldinst PAGE}{\\fldrslt 3}}{\\field{\\*\\fldinst  PAGE }"
                  "{\\fldrslt 4}}.{\\field{\\*\\fldinst TOC \\\\o}{\\fldrslt a\\par b}}c}",
                  &document)
            .ok());
    const QByteArray data = rtf::write(document);
    QVERIFY2(data.contains("p{\\field{\\*\\fldinst{PAGE}}{\\fldrslt{3}}}"
                           "{\\field{\\*\\fldinst{PAGE}}{\\fldrslt{4}}}.a\\par\nbc\\par"),
             data.constData());
    QCOMPARE(rtf::write(*readBack(data)), data);
}

void TestRtfRoundTrip::rangeIsCompleteDocument()
{
    QTextDocument document;
    QTextCursor(&document).insertText("0123456789\nabcdef");

    const QByteArray middle = rtf::writeRange(document, 3, 7);
    QVERIFY(rtf::isCompleteRtf(middle));
    QVERIFY(middle.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
    QCOMPARE(readBack(middle)->toRawText(), QStringLiteral("3456"));
    QCOMPARE(readBack(rtf::writeRange(document, 8, 13))->toRawText(), QStringLiteral("89\u2029ab"));
    QCOMPARE(rtf::writeRange(document, 0, document.characterCount() - 1), rtf::write(document));
    QCOMPARE(readBack(rtf::writeRange(document, 5, 5))->toRawText(), QString());
}

QTEST_MAIN(TestRtfRoundTrip)
#include "tst_rtfroundtrip.moc"
