// Find and replace: the search functions on plain documents, then the bar on
// the real document window.

#include "app/layout.h"
#include "core/documentstate.h"
#include "engine/editingtools.h"
#include "engine/engine.h"
#include "engine/findreplace.h"
#include "feedback/colors.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace velko;

namespace {

QPushButton* button(FindBar* bar, const char* name)
{
    return bar->findChild<QPushButton*>(QLatin1String(name));
}

QTextCursor selection(QTextDocument* document, int start, int end)
{
    QTextCursor cursor(document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace

class TestFindReplace : public QObject
{
    Q_OBJECT
private slots:
    void findsNextAndPrevious_data();
    void findsNextAndPrevious();
    void findAllNeverOverlaps_data();
    void findAllNeverOverlaps();
    void replaceAllDoesNotRescanItsOwnText_data();
    void replaceAllDoesNotRescanItsOwnText();
    void replaceAllIsOneUndoStep();
    void selectionMatchesHonoursOptions();

    void barReplacesAsUserEdit();
    void barReplaceIsDisabledWhileReadOnly();
};

enum Flag { Case = 1, Words = 2, Back = 4 };

FindOptions optionsOf(int flags)
{
    return FindOptions{bool(flags & Case), bool(flags & Words)};
}

// Text, search, flags, where the cursor selection is, then the expected
// match start (-1: none) and whether it wrapped.
void TestFindReplace::findsNextAndPrevious_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("wrapped");
    const auto row = [](const char* name, const char* text, const char* needle, int flags,
                        int selStart, int selEnd, int expected, bool wrapped) {
        QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(needle) << flags
                            << selStart << selEnd << expected << wrapped;
    };
    row("first from start", "one two one", "one", 0, 0, 0, 0, false);
    row("next after selection", "one two one", "one", 0, 0, 3, 8, false);
    row("wraps at end", "one two one", "one", 0, 8, 11, 0, true);
    row("only match finds itself again", "xx one xx", "one", 0, 3, 6, 3, true);
    row("overlap not taken forward", "aaaa", "aa", 0, 0, 2, 2, false);
    row("overlap from inside", "aaaa", "aa", 0, 1, 1, 1, false);
    row("previous ends before selection", "aaaa", "aa", Back, 2, 4, 0, false);
    row("previous wraps at start", "one two one", "one", Back, 0, 3, 8, true);
    row("previous from end of text", "ab ab ab", "ab", Back, 8, 8, 6, false);
    row("ignores case", "Hello HELLO", "hello", 0, 0, 0, 0, false);
    row("match case skips", "Hello hello", "hello", Case, 0, 0, 6, false);
    row("match case none", "Hello HELLO", "hello", Case, 0, 0, -1, false);
    row("whole word skips part", "cat concat cat", "cat", Words, 0, 3, 11, false);
    row("whole word none", "concatenate", "cat", Words, 0, 0, -1, false);
    row("whole word backward", "cat concat cat", "cat", Words | Back, 11, 14, 0, false);
    row("whole word with punctuation", "(cat), cats", "cat", Words, 0, 0, 1, false);
    row("second paragraph", "alpha\nbeta\nalpha", "alpha", 0, 0, 5, 11, false);
    row("no match across paragraphs", "ab\ncd", "b\nc", 0, 0, 0, -1, false);
    row("empty needle", "abc", "", 0, 0, 0, -1, false);
    row("empty document", "", "a", Back, 0, 0, -1, false);
}

void TestFindReplace::findsNextAndPrevious()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(int, flags);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(int, expected);
    QFETCH(bool, wrapped);

    QTextDocument document;
    document.setPlainText(text);
    const FindResult result =
        findText(&document, needle, selection(&document, selStart, selEnd),
                 flags & Back ? FindDirection::Backward : FindDirection::Forward, optionsOf(flags));
    QCOMPARE(result.match.isNull(), expected < 0);
    if (expected < 0)
        return;
    QCOMPARE(result.match.selectionStart(), expected);
    QCOMPARE(result.match.selectionEnd(), expected + needle.size());
    QCOMPARE(result.wrapped, wrapped);
}

void TestFindReplace::findAllNeverOverlaps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QList<int>>("starts");
    QTest::newRow("pairs in a run") << "aaaaa" << QStringLiteral("aa") << QList<int>{0, 2};
    QTest::newRow("overlapping itself") << "abababa" << QStringLiteral("aba") << QList<int>{0, 4};
    QTest::newRow("across paragraphs") << "ab\nab" << QStringLiteral("ab") << QList<int>{0, 3};
    QTest::newRow("none") << "abc" << QStringLiteral("x") << QList<int>{};
}

void TestFindReplace::findAllNeverOverlaps()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(QList<int>, starts);
    QTextDocument document;
    document.setPlainText(text);
    QCOMPARE(findAll(&document, needle, FindOptions{}), starts);
}

void TestFindReplace::replaceAllDoesNotRescanItsOwnText_data()
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
    row("replacement ends with needle", "cat", "cat", "concat", 0, 1, "concat");
    row("overlapping run", "aaaa", "aa", "aab", 0, 2, "aabaab");
    row("case insensitive", "Dog dog DOG", "dog", "cat", 0, 3, "cat cat cat");
    row("case sensitive", "Dog dog DOG", "dog", "cat", Case, 1, "Dog cat DOG");
    row("whole words only", "he the hehe he", "he", "she", Words, 2, "she the hehe she");
    row("removes", "a-b-c", "-", "", 0, 2, "abc");
    row("several paragraphs", "x\nx\nx", "x", "yy", 0, 3, "yy\nyy\nyy");
}

void TestFindReplace::replaceAllDoesNotRescanItsOwnText()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(QString, replacement);
    QFETCH(int, flags);
    QFETCH(int, count);
    QFETCH(QString, result);
    QTextDocument document;
    document.setPlainText(text);
    QCOMPARE(replaceAll(&document, needle, replacement, optionsOf(flags)), count);
    QCOMPARE(document.toPlainText(), result);
}

void TestFindReplace::replaceAllIsOneUndoStep()
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("one two one two one"));
    // Keep the formatting of what is replaced.
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    selection(&document, 0, 3).mergeCharFormat(bold);
    QCOMPARE(replaceAll(&document, QStringLiteral("one"), QStringLiteral("1"), FindOptions{}), 3);
    QCOMPARE(document.toPlainText(), QStringLiteral("1 two 1 two 1"));
    QVERIFY(document.firstBlock().begin().fragment().charFormat().fontWeight() >= QFont::Bold);
    document.undo();
    QCOMPARE(document.toPlainText(), QStringLiteral("one two one two one"));
}

void TestFindReplace::selectionMatchesHonoursOptions()
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("Word words"));
    QVERIFY(selectionMatches(selection(&document, 0, 4), QStringLiteral("word"), FindOptions{}));
    QVERIFY(!selectionMatches(selection(&document, 0, 4), QStringLiteral("word"),
                              FindOptions{true, false}));
    QVERIFY(!selectionMatches(selection(&document, 5, 9), QStringLiteral("word"),
                              FindOptions{false, true}));
    QVERIFY(selectionMatches(selection(&document, 5, 9), QStringLiteral("word"), FindOptions{}));
    QVERIFY(!selectionMatches(selection(&document, 5, 10), QStringLiteral("word"), FindOptions{}));
    QVERIFY(!selectionMatches(selection(&document, 2, 2), QStringLiteral(""), FindOptions{}));
}

void TestFindReplace::barReplacesAsUserEdit()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    VelkoTextView* view = layout->engine->VelkoField;
    view->setPlainTextFromCode(QStringLiteral("red fish, blue fish, Fish"));
    QVERIFY(!layout->state->textChanged);

    layout->action(QStringLiteral("editReplace"))->trigger();
    auto* bar = layout->mainWindow->findChild<FindBar*>();
    QVERIFY(bar);
    QVERIFY(bar->isVisible());
    QVERIFY(bar->replaceField()->isVisible());
    bar->findField()->setText(QStringLiteral("fish"));
    bar->replaceField()->setText(QStringLiteral("cat"));
    bar->matchCaseBox()->setChecked(true);

    // Replace with nothing selected only finds; the second press replaces.
    button(bar, "replaceButton")->click();
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("fish"));
    QVERIFY(!layout->state->textChanged);
    button(bar, "replaceButton")->click();
    QCOMPARE(view->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));
    QVERIFY(layout->state->textChanged);
    QCOMPARE(labelColor(layout->engine->setFileNameLabel), colors::red());

    button(bar, "replaceAllButton")->click();
    QCOMPARE(view->toPlainText(), QStringLiteral("red cat, blue cat, Fish"));
    QCOMPARE(bar->statusText(), QStringLiteral("1 replaced"));

    layout->action(QStringLiteral("editUndo"))->trigger();
    QCOMPARE(view->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));
}

void TestFindReplace::barReplaceIsDisabledWhileReadOnly()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    VelkoTextView* view = layout->engine->VelkoField;
    view->setPlainTextFromCode(QStringLiteral("U2FsdGVkX1 secure output"));
    auto* bar = layout->mainWindow->findChild<FindBar*>();
    view->setReadOnly(true);
    QVERIFY(!button(bar, "replaceAllButton")->isEnabled());
    // Finding still works on the output.
    layout->action(QStringLiteral("editFind"))->trigger();
    bar->findField()->setText(QStringLiteral("secure"));
    layout->action(QStringLiteral("editFindNext"))->trigger();
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("secure"));
    bar->replaceAllOccurrences();
    QCOMPARE(view->toPlainText(), QStringLiteral("U2FsdGVkX1 secure output"));
    QVERIFY(!layout->state->textChanged);

    view->setReadOnly(false);
    QVERIFY(button(bar, "replaceAllButton")->isEnabled());
}

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
