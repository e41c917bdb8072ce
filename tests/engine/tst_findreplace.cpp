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

// Text, search, options, where the cursor selection is, direction, then the
// expected match start (-1: none) and whether it wrapped.
void TestFindReplace::findsNextAndPrevious_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWords");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("wrapped");

    QTest::newRow("first from start") << "one two one"
                                      << "one" << false << false << 0 << 0 << false << 0 << false;
    QTest::newRow("next after selection")
        << "one two one"
        << "one" << false << false << 0 << 3 << false << 8 << false;
    QTest::newRow("wraps at end") << "one two one"
                                  << "one" << false << false << 8 << 11 << false << 0 << true;
    QTest::newRow("only match finds itself again")
        << "xx one xx"
        << "one" << false << false << 3 << 6 << false << 3 << true;
    QTest::newRow("overlap not taken forward")
        << "aaaa"
        << "aa" << false << false << 0 << 2 << false << 2 << false;
    QTest::newRow("overlap from inside") << "aaaa"
                                         << "aa" << false << false << 1 << 1 << false << 1 << false;
    QTest::newRow("previous ends before selection")
        << "aaaa"
        << "aa" << false << false << 2 << 4 << true << 0 << false;
    QTest::newRow("previous wraps at start")
        << "one two one"
        << "one" << false << false << 0 << 3 << true << 8 << true;
    QTest::newRow("previous from end of text")
        << "ab ab ab"
        << "ab" << false << false << 8 << 8 << true << 6 << false;
    QTest::newRow("ignores case") << "Hello HELLO"
                                  << "hello" << false << false << 0 << 0 << false << 0 << false;
    QTest::newRow("match case skips") << "Hello hello"
                                      << "hello" << true << false << 0 << 0 << false << 6 << false;
    QTest::newRow("match case none") << "Hello HELLO"
                                     << "hello" << true << false << 0 << 0 << false << -1 << false;
    QTest::newRow("whole word skips part")
        << "cat concat cat"
        << "cat" << false << true << 0 << 3 << false << 11 << false;
    QTest::newRow("whole word none") << "concatenate"
                                     << "cat" << false << true << 0 << 0 << false << -1 << false;
    QTest::newRow("whole word backward")
        << "cat concat cat"
        << "cat" << false << true << 11 << 14 << true << 0 << false;
    QTest::newRow("whole word with punctuation")
        << "(cat), cats"
        << "cat" << false << true << 0 << 0 << false << 1 << false;
    QTest::newRow("second paragraph")
        << "alpha\nbeta\nalpha"
        << "alpha" << false << false << 0 << 5 << false << 11 << false;
    QTest::newRow("no match across paragraphs")
        << "ab\ncd"
        << "b\nc" << false << false << 0 << 0 << false << -1 << false;
    QTest::newRow("empty needle") << "abc"
                                  << "" << false << false << 0 << 0 << false << -1 << false;
    QTest::newRow("empty document") << ""
                                    << "a" << false << false << 0 << 0 << true << -1 << false;
}

void TestFindReplace::findsNextAndPrevious()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWords);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(bool, backward);
    QFETCH(int, expected);
    QFETCH(bool, wrapped);

    QTextDocument document;
    document.setPlainText(text);
    const FindResult result = findText(&document, needle, selection(&document, selStart, selEnd),
                                       backward ? FindDirection::Backward : FindDirection::Forward,
                                       FindOptions{matchCase, wholeWords});
    if (expected < 0) {
        QVERIFY(result.match.isNull());
        return;
    }
    QVERIFY(!result.match.isNull());
    QCOMPARE(result.match.selectionStart(), expected);
    QCOMPARE(result.match.selectionEnd(), expected + needle.size());
    QCOMPARE(result.wrapped, wrapped);
}

void TestFindReplace::findAllNeverOverlaps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QList<int>>("starts");
    QTest::newRow("pairs in a run") << "aaaaa"
                                    << "aa" << QList<int>{0, 2};
    QTest::newRow("pattern overlapping itself") << "abababa"
                                                << "aba" << QList<int>{0, 4};
    QTest::newRow("across paragraphs") << "ab\nab"
                                       << "ab" << QList<int>{0, 3};
    QTest::newRow("none") << "abc"
                          << "x" << QList<int>{};
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
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWords");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("result");
    QTest::newRow("replacement holds needle") << "a a"
                                              << "a"
                                              << "aa" << false << false << 2 << "aa aa";
    QTest::newRow("replacement ends with needle") << "cat"
                                                  << "cat"
                                                  << "concat" << false << false << 1 << "concat";
    QTest::newRow("overlapping run") << "aaaa"
                                     << "aa"
                                     << "aab" << false << false << 2 << "aabaab";
    QTest::newRow("case insensitive") << "Dog dog DOG"
                                      << "dog"
                                      << "cat" << false << false << 3 << "cat cat cat";
    QTest::newRow("case sensitive") << "Dog dog DOG"
                                    << "dog"
                                    << "cat" << true << false << 1 << "Dog cat DOG";
    QTest::newRow("whole words only") << "he the hehe he"
                                      << "he"
                                      << "she" << false << true << 2 << "she the hehe she";
    QTest::newRow("removes") << "a-b-c"
                             << "-"
                             << "" << false << false << 2 << "abc";
    QTest::newRow("several paragraphs") << "x\nx\nx"
                                        << "x"
                                        << "yy" << false << false << 3 << "yy\nyy\nyy";
}

void TestFindReplace::replaceAllDoesNotRescanItsOwnText()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(QString, replacement);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWords);
    QFETCH(int, count);
    QFETCH(QString, result);
    QTextDocument document;
    document.setPlainText(text);
    QCOMPARE(replaceAll(&document, needle, replacement, FindOptions{matchCase, wholeWords}), count);
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
    bar->findChild<QPushButton*>(QStringLiteral("replaceButton"))->click();
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("fish"));
    QVERIFY(!layout->state->textChanged);
    bar->findChild<QPushButton*>(QStringLiteral("replaceButton"))->click();
    QCOMPARE(view->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));
    QVERIFY(layout->state->textChanged);
    QCOMPARE(labelColor(layout->engine->setFileNameLabel), colors::red());

    bar->findChild<QPushButton*>(QStringLiteral("replaceAllButton"))->click();
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
    QVERIFY(!bar->findChild<QPushButton*>(QStringLiteral("replaceAllButton"))->isEnabled());
    QVERIFY(!layout->action(QStringLiteral("editReplace"))->isEnabled());
    // Finding still works on the output.
    layout->action(QStringLiteral("editFind"))->trigger();
    bar->findField()->setText(QStringLiteral("secure"));
    layout->action(QStringLiteral("editFindNext"))->trigger();
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("secure"));
    bar->replaceAllOccurrences();
    QCOMPARE(view->toPlainText(), QStringLiteral("U2FsdGVkX1 secure output"));
    QVERIFY(!layout->state->textChanged);

    view->setReadOnly(false);
    QVERIFY(bar->findChild<QPushButton*>(QStringLiteral("replaceAllButton"))->isEnabled());
}

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
