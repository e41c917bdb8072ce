// The editing commands on bare documents: character and paragraph formats,
// find and replace.

#include "engine/textedit/findreplace.h"
#include "engine/textedit/textcounts.h"
#include "engine/textedit/textformat.h"
#include "engine/textedit/textinsert.h"

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

using namespace velko;
namespace tf = velko::textformat;

namespace {

QTextCursor selection(QTextDocument* document, int start, int end)
{
    QTextCursor cursor(document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    return cursor;
}

// The format of the character at `position`.
QTextCharFormat formatAt(QTextDocument* document, int position)
{
    return selection(document, position + 1, position + 1).charFormat();
}

// A character format command and the properties it leaves on the text.
struct CharCommand
{
    const char* name;
    void (*apply)(QTextCursor& cursor);
    QMap<int, QVariant> sets;
};

const QList<CharCommand>& charCommands()
{
    using C = QTextCursor&;
    using P = QTextFormat;
    const QStringList serif{QStringLiteral("Serif")};
    static const QList<CharCommand> commands = {
        {"bold", [](C c) { tf::setBold(c, true); }, {{P::FontWeight, QFont::Bold}}},
        {"bold off",
         [](C c) { tf::setBold(c, true), tf::setBold(c, false); },
         {{P::FontWeight, QFont::Normal}}},
        {"italic", [](C c) { tf::setItalic(c, true); }, {{P::FontItalic, true}}},
        {"underline",
         [](C c) { tf::setUnderline(c, true); },
         {{P::TextUnderlineStyle, QTextCharFormat::SingleUnderline}}},
        {"strike-out", [](C c) { tf::setStrikeOut(c, true); }, {{P::FontStrikeOut, true}}},
        {"subscript replaces superscript",
         [](C c) { tf::setSuperscript(c, true), tf::setSubscript(c, true); },
         {{P::TextVerticalAlignment, QTextCharFormat::AlignSubScript}}},
        {"superscript off",
         [](C c) { tf::setSuperscript(c, true), tf::setSuperscript(c, false); },
         {{P::TextVerticalAlignment, QTextCharFormat::AlignNormal}}},
        {"family",
         [](C c) { tf::setFontFamily(c, QStringLiteral("Serif")); },
         {{P::FontFamilies, serif}}},
        {"size", [](C c) { tf::setFontSize(c, 21); }, {{P::FontPointSize, 21.0}}},
        {"font from a dialog",
         [](C c) { tf::setFont(c, QFont(QStringLiteral("Serif"), 17, QFont::Bold, true)); },
         {{P::FontFamilies, serif},
          {P::FontPointSize, 17.0},
          {P::FontWeight, QFont::Bold},
          {P::FontItalic, true}}},
        {"text colour",
         [](C c) { tf::setTextColor(c, QColor(0x12, 0x34, 0x56)); },
         {{P::ForegroundBrush, QBrush(QColor(0x12, 0x34, 0x56))}}},
        {"highlight",
         [](C c) { tf::setHighlightColor(c, Qt::yellow); },
         {{P::BackgroundBrush, QBrush(Qt::yellow)}}},
    };
    return commands;
}

enum Flag { Case = 1, Words = 2, Back = 4, Wrapped = 8 };

FindOptions optionsOf(int flags)
{
    return FindOptions{bool(flags & Case), bool(flags & Words)};
}

} // namespace

class TestTextEdit : public QObject
{
    Q_OBJECT
private slots:
    void charFormatsApplyToSelectionOrWhatIsTypedNext_data()
    {
        QTest::addColumn<int>("command");
        for (int i = 0; i < charCommands().size(); ++i)
            QTest::newRow(charCommands().at(i).name) << i;
    }

    void charFormatsApplyToSelectionOrWhatIsTypedNext()
    {
        QFETCH(int, command);
        const CharCommand& c = charCommands().at(command);
        QTextDocument document;
        document.setPlainText(QStringLiteral("Hello world"));
        const auto setAt = [&](int position) {
            const QTextCharFormat format = formatAt(&document, position);
            for (auto it = c.sets.cbegin(); it != c.sets.cend(); ++it) {
                if (format.property(it.key()) != it.value())
                    return false;
            }
            return true;
        };
        QTextCursor cursor = selection(&document, 6, 11);
        c.apply(cursor);
        QVERIFY(setAt(6) && setAt(10));
        QVERIFY(!formatAt(&document, 5).hasProperty(c.sets.firstKey()));

        // With nothing selected: what is typed next, and nothing already there.
        cursor = selection(&document, 5, 5);
        c.apply(cursor);
        QVERIFY(!formatAt(&document, 4).hasProperty(c.sets.firstKey()));
        cursor.insertText(QStringLiteral(","));
        QVERIFY(setAt(5));
    }

    void clearFormattingKeepsLinksInOneUndoStep()
    {
        QTextDocument document;
        document.setHtml(QStringLiteral("<p><b><i style=\"font-size:20pt\">bold </i></b>"
                                        "<a href=\"https://example.org/\"><b>link</b></a></p>"));
        QTextCursor cursor = selection(&document, 0, document.characterCount() - 1);
        tf::clearFormatting(cursor);
        for (int i = 0; i < document.characterCount() - 1; ++i) {
            const QTextCharFormat format = formatAt(&document, i);
            QVERIFY(!format.hasProperty(QTextFormat::FontWeight) && !format.fontItalic() &&
                    !format.fontUnderline() && !format.hasProperty(QTextFormat::FontPointSize));
            QCOMPARE(format.anchorHref(),
                     i < 5 ? QString() : QStringLiteral("https://example.org/"));
        }
        document.undo();
        QCOMPARE(formatAt(&document, 1).fontWeight(), int(QFont::Bold));
        QCOMPARE(formatAt(&document, 6).fontWeight(), int(QFont::Bold));

        // With nothing selected: what is typed next is plain.
        cursor = selection(&document, 2, 2);
        tf::clearFormatting(cursor);
        cursor.insertText(QStringLiteral("x"));
        QVERIFY(!formatAt(&document, 2).hasProperty(QTextFormat::FontWeight));
    }

    void fontSizeFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<qreal>("size"); // -1: no size
        QTest::newRow("decimal comma") << QStringLiteral("10,5") << QStringLiteral("de_DE") << 10.5;
        QTest::newRow("largest") << QStringLiteral("1638") << QStringLiteral("C") << 1638.0;
        QTest::newRow("too large") << QStringLiteral("1639") << QStringLiteral("C") << -1.0;
        QTest::newRow("zero") << QStringLiteral("0") << QStringLiteral("C") << -1.0;
    }

    void fontSizeFromText()
    {
        QFETCH(QString, text);
        QFETCH(QString, locale);
        QFETCH(qreal, size);
        QCOMPARE(tf::fontSizeFromText(text, QLocale(locale)).value_or(-1.0), size);
    }

    void paragraphFormatsAndListsApplyToEveryTouchedParagraph()
    {
        QTextDocument document;
        document.setPlainText(QStringLiteral("a\nb\nc"));
        const auto block = [&document](int n) {
            return document.findBlockByNumber(n);
        };
        QTextCursor cursor = selection(&document, 0, 3); // into the second paragraph
        tf::setAlignment(cursor, Qt::AlignHCenter);
        QCOMPARE(block(1).blockFormat().alignment(), Qt::Alignment(Qt::AlignHCenter));
        QVERIFY(!block(2).blockFormat().hasProperty(QTextFormat::BlockAlignment));

        tf::setList(cursor, QTextListFormat::ListDisc, true);
        QVERIFY(block(0).textList() && block(0).textList() == block(1).textList());
        QVERIFY(!block(2).textList());
        // The list at the cursor changes its kind and takes in the paragraph after it.
        cursor = selection(&document, 5, 0);
        tf::setList(cursor, QTextListFormat::ListDecimal, true);
        QCOMPARE(block(2).textList(), block(0).textList());
        QCOMPARE(block(0).textList()->format().style(), QTextListFormat::ListDecimal);
        // Each command is one step to undo.
        document.undo();
        QCOMPARE(block(0).textList()->format().style(), QTextListFormat::ListDisc);
        QVERIFY(!block(2).textList());

        // The second item goes one level deeper and back into the same list.
        cursor = selection(&document, 2, 2);
        tf::changeIndent(cursor, 1);
        QCOMPARE(block(1).textList()->format().indent(), 2);
        QVERIFY(block(1).textList() != block(0).textList());
        tf::changeIndent(cursor, -1);
        QCOMPARE(block(1).textList(), block(0).textList());
        tf::changeIndent(cursor, -1); // out of the list from its first level
        QVERIFY(!block(1).textList());
        tf::changeIndent(cursor, -1); // never below zero
        QCOMPARE(block(1).blockFormat().indent(), 0);

        // Off: out of the list, one step out from its level.
        cursor = selection(&document, 0, 0);
        tf::changeIndent(cursor, 1);
        tf::setList(cursor, QTextListFormat::ListDisc, false);
        QVERIFY(!block(0).textList());
        QCOMPARE(block(0).blockFormat().indent(), 1);
        // An indented paragraph becomes an item one level deeper, itself unindented.
        tf::setList(cursor, QTextListFormat::ListDecimal, true);
        QCOMPARE(block(0).textList()->format().indent(), 2);
        QCOMPARE(block(0).blockFormat().indent(), 0);
    }

    // Text, search, flags, where the cursor selection is, then the expected
    // match start (-1: none).
    void findsNextAndPrevious_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selEnd");
        QTest::addColumn<int>("expected");
        const auto row = [](const char* name, const char* text, const char* needle, int flags,
                            int selStart, int selEnd, int expected) {
            QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(needle) << flags
                                << selStart << selEnd << expected;
        };
        row("next after selection", "one two one", "one", 0, 0, 3, 8);
        row("wraps at end", "one two one", "one", Wrapped, 8, 11, 0);
        row("only match finds itself again", "xx one xx", "one", Wrapped, 3, 6, 3);
        row("overlap not taken forward", "aaaa", "aa", 0, 0, 2, 2);
        row("previous ends before selection", "aaaa", "aa", Back, 2, 4, 0);
        row("previous wraps at start", "one two one", "one", Back | Wrapped, 0, 3, 8);
        row("match case skips", "Hello hello", "hello", Case, 0, 0, 6);
        row("whole word skips part", "cat concat cat", "cat", Words, 0, 3, 11);
        row("whole word with punctuation", "(cat), cats", "cat", Words, 0, 0, 1);
        row("no match across paragraphs", "ab\ncd", "b\nc", 0, 0, 0, -1);
        row("empty needle", "abc", "", 0, 0, 0, -1);
    }

    void findsNextAndPrevious()
    {
        QFETCH(QString, text);
        QFETCH(QString, needle);
        QFETCH(int, flags);
        QFETCH(int, selStart);
        QFETCH(int, selEnd);
        QFETCH(int, expected);
        QTextDocument document;
        document.setPlainText(text);
        const FindResult result = findText(
            &document, needle, selection(&document, selStart, selEnd),
            flags & Back ? FindDirection::Backward : FindDirection::Forward, optionsOf(flags));
        QCOMPARE(result.match.isNull() ? -1 : result.match.selectionStart(), expected);
        QCOMPARE(result.match.selectedText(), expected < 0 ? QString() : needle);
        QCOMPARE(result.wrapped, bool(flags & Wrapped));
    }

    // The replacements are not searched again; they keep the bold of the text.
    void replaceAllKeepsFormatsInOneUndoStep_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("result");
        const auto row = [](const char* name, const char* text, const char* needle,
                            const char* replacement, int flags, int count, const char* result) {
            QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(needle)
                                << QString::fromLatin1(replacement) << flags << count
                                << QString::fromLatin1(result);
        };
        row("replacement holds needle", "a a", "a", "aa", 0, 2, "aa aa");
        row("overlapping run", "aaaa", "aa", "aab", 0, 2, "aabaab");
        row("case sensitive", "Dog dog DOG", "dog", "cat", Case, 1, "Dog cat DOG");
        row("whole words only", "he the hehe he", "he", "she", Words, 2, "she the hehe she");
        row("several paragraphs", "x\nx\nx", "x", "yy", 0, 3, "yy\nyy\nyy");
        row("none", "abc", "x", "y", 0, 0, "abc");
    }

    void replaceAllKeepsFormatsInOneUndoStep()
    {
        QFETCH(QString, text);
        QFETCH(QString, needle);
        QFETCH(QString, replacement);
        QFETCH(int, flags);
        QFETCH(int, count);
        QFETCH(QString, result);
        QTextDocument document;
        document.setPlainText(text);
        QTextCursor all = selection(&document, 0, document.characterCount() - 1);
        tf::setBold(all, true);
        document.clearUndoRedoStacks();
        QCOMPARE(replaceAll(&document, needle, replacement, optionsOf(flags)), count);
        QCOMPARE(document.toPlainText(), result);
        for (int i = 0; i < document.characterCount() - 1; ++i)
            QCOMPARE(formatAt(&document, i).fontWeight(), int(QFont::Bold));
        document.undo();
        QCOMPARE(document.toPlainText(), text);
    }

    // The status bar's counts: breaks between paragraphs are no characters, a
    // character outside the BMP is one, runs of spaces and tabs part words.
    void tablesChangeAsOneUndoStep_data();
    void tablesChangeAsOneUndoStep();
    void tabWalksTheCells();
    void picturesKeepTheirBytes();

    void countsWordsAndCharacters()
    {
        QTextDocument document;
        document.setPlainText(QStringLiteral("Hello  there\n\tworld \U0001F600"));
        const textedit::TextCounts counts = textedit::countText(document);
        QCOMPARE(counts.words, 4);
        QCOMPARE(counts.characters, 20);
        QCOMPARE(textedit::countText(QString()).words, 0);
        // Table and cell edges and pictures neither count nor join words.
        QTextCursor cursor(&document);
        cursor.movePosition(QTextCursor::End);
        cursor.insertImage(QStringLiteral("picture"));
        textinsert::insertTable(cursor, 2, 2);
        cursor.insertText(QStringLiteral("cell"));
        QCOMPARE(textedit::countText(document).words, 5);
        QCOMPARE(textedit::countText(document).characters, 24);
    }
};

// The table at the start of `document` as rows x columns, with its column shares.
QString tableShape(QTextDocument& document)
{
    const auto* table = qobject_cast<QTextTable*>(document.rootFrame()->childFrames().value(0));
    if (!table)
        return QStringLiteral("none");
    QString shape = QStringLiteral("%1x%2").arg(table->rows()).arg(table->columns());
    for (const QTextLength& share : table->format().columnWidthConstraints())
        shape += QLatin1Char(' ') + QString::number(share.rawValue(), 'f', 1);
    return shape;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

void TestTextEdit::tablesChangeAsOneUndoStep_data()
{
    QTest::addColumn<int>("change"); // -1: none
    QTest::addColumn<int>("rows");   // of the table inserted
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("shape"); // after the change
    using C = textinsert::TableChange;
    QTest::newRow("insert") << -1 << 2 << 3 << "2x3 33.3 33.3 33.3";
    QTest::newRow("bounded") << -1 << 0 << 100 << "1x64" + QString(" 1.6").repeated(64);
    QTest::newRow("row above") << int(C::RowAbove) << 2 << 2 << "3x2 50.0 50.0";
    QTest::newRow("row below") << int(C::RowBelow) << 2 << 2 << "3x2 50.0 50.0";
    QTest::newRow("column left") << int(C::ColumnLeft) << 2 << 3 << "2x4 25.0 25.0 25.0 25.0";
    QTest::newRow("column right") << int(C::ColumnRight) << 2 << 1 << "2x2 50.0 50.0";
    QTest::newRow("remove row") << int(C::RemoveRow) << 2 << 2 << "1x2 50.0 50.0";
    QTest::newRow("remove column") << int(C::RemoveColumn) << 1 << 4 << "1x3 33.3 33.3 33.3";
    QTest::newRow("last row stays") << int(C::RemoveRow) << 1 << 2 << "1x2 50.0 50.0";
    QTest::newRow("last column stays") << int(C::RemoveColumn) << 3 << 1 << "3x1 100.0";
}

// Each insert or change of a table is one step for Undo; a table never
// loses its last row or column.
void TestTextEdit::tablesChangeAsOneUndoStep()
{
    QFETCH(int, change);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(QString, shape);
    QTextDocument document;
    QTextCursor cursor(&document);
    QVERIFY(textinsert::insertTable(cursor, rows, columns));
    QTextCursor outside(&document);
    outside.movePosition(QTextCursor::End);
    QVERIFY(!textinsert::changeTable(outside, textinsert::TableChange::RowAbove));
    const QString inserted = tableShape(document);
    const bool changed =
        change >= 0 && textinsert::changeTable(cursor, textinsert::TableChange(change));
    QCOMPARE(tableShape(document), shape);
    document.undo();
    QCOMPARE(tableShape(document), changed ? inserted : QStringLiteral("none"));
}

// Tab's walk through a table: row by row, past a merged cell's parts, a new
// row after the last cell; back from the first cell goes nowhere.
void TestTextEdit::tabWalksTheCells()
{
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextTable* table = textinsert::insertTable(cursor, 2, 3);
    table->mergeCells(0, 1, 1, 2);
    QString walk;
    const auto cell = [&] {
        const QTextTableCell at = table->cellAt(cursor);
        walk += QStringLiteral(" %1,%2").arg(at.row()).arg(at.column());
    };
    QVERIFY(textinsert::moveToNextCell(cursor, true));
    cell();
    for (int i = 0; i < 5; ++i) {
        QVERIFY(textinsert::moveToNextCell(cursor, false));
        cell();
    }
    QVERIFY(textinsert::moveToNextCell(cursor, true));
    cell();
    QCOMPARE(walk, QStringLiteral(" 0,0 0,1 1,0 1,1 1,2 2,0 1,2"));
    document.undo();
    QCOMPARE(table->rows(), 2);
    QTextCursor before(&document);
    QVERIFY(!textinsert::moveToNextCell(before, false));
}

// Pictures keep PNG and JPEG bytes as they are and other formats as PNG, are
// made to fit the text width, and what is no picture inserts nothing.
void TestTextEdit::picturesKeepTheirBytes()
{
    QImage small(40, 20, QImage::Format_RGB32);
    small.fill(Qt::red);
    QImage wide(2000, 100, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    const struct
    {
        QByteArray bytes;
        QByteArray kept; // the resource's bytes
        QSizeF shown;
    } cases[] = {{encoded(small, "PNG"), encoded(small, "PNG"), {30, 15}},
                 {encoded(small, "JPEG"), encoded(small, "JPEG"), {30, 15}},
                 {encoded(small, "BMP"), encoded(small, "PNG"), {30, 15}},
                 {encoded(wide, "PNG"), encoded(wide, "PNG"), {481.9, 24.095}},
                 {"\x89PNG but not really", {}, {}},
                 {"plain text", {}, {}}};
    for (const auto& picture : cases) {
        QTextDocument document;
        QTextCursor cursor(&document);
        QCOMPARE(textinsert::insertPicture(cursor, picture.bytes), !picture.kept.isEmpty());
        if (picture.kept.isEmpty()) {
            QCOMPARE(document.characterCount(), 1);
            continue;
        }
        const QTextImageFormat format =
            QTextCursor(&document).block().begin().fragment().charFormat().toImageFormat();
        QCOMPARE(document.resource(QTextDocument::ImageResource, QUrl(format.name())).toByteArray(),
                 picture.kept);
        QCOMPARE(QSizeF(format.width(), format.height()), picture.shown);
        document.undo();
        QCOMPARE(document.characterCount(), 1);
    }
}

QTEST_MAIN(TestTextEdit)
#include "tst_textedit.moc"
