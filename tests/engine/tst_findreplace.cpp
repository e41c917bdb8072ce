// Find and replace: the search functions on plain documents, then the bar on
// the real document window.

#include "app/layout.h"
#include "core/documentstate.h"
#include "engine/editingtools.h"
#include "engine/engine.h"
#include "feedback/findbar.h"
#include "feedback/velkotextview.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
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
    void replaceAllDoesNotRescanItsOwnText_data();
    void replaceAllDoesNotRescanItsOwnText();
    void replaceAllKeepsFormatsInOneUndoStep();
    void barReplacesAsUserEditButNotReadOnlyText();
};

enum Flag { Case = 1, Words = 2, Back = 4, Wrapped = 8 };

FindOptions optionsOf(int flags)
{
    return FindOptions{bool(flags & Case), bool(flags & Words)};
}

// Text, search, flags, where the cursor selection is, then the expected
// match start (-1: none).
void TestFindReplace::findsNextAndPrevious_data()
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

void TestFindReplace::findsNextAndPrevious()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(int, flags);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(int, expected);
    QTextDocument document;
    document.setPlainText(text);
    const FindResult result =
        findText(&document, needle, selection(&document, selStart, selEnd),
                 flags & Back ? FindDirection::Backward : FindDirection::Forward, optionsOf(flags));
    QCOMPARE(result.match.isNull() ? -1 : result.match.selectionStart(), expected);
    QCOMPARE(result.match.selectedText(), expected < 0 ? QString() : needle);
    QCOMPARE(result.wrapped, bool(flags & Wrapped));
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
    row("overlapping run", "aaaa", "aa", "aab", 0, 2, "aabaab");
    row("case sensitive", "Dog dog DOG", "dog", "cat", Case, 1, "Dog cat DOG");
    row("whole words only", "he the hehe he", "he", "she", Words, 2, "she the hehe she");
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

void TestFindReplace::replaceAllKeepsFormatsInOneUndoStep()
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("one two one two one"));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    selection(&document, 0, 3).mergeCharFormat(bold);
    QCOMPARE(replaceAll(&document, QStringLiteral("one"), QStringLiteral("1"), FindOptions{}), 3);
    QCOMPARE(document.toPlainText(), QStringLiteral("1 two 1 two 1"));
    QVERIFY(document.firstBlock().begin().fragment().charFormat().fontWeight() >= QFont::Bold);
    document.undo();
    QCOMPARE(document.toPlainText(), QStringLiteral("one two one two one"));
}

void TestFindReplace::barReplacesAsUserEditButNotReadOnlyText()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    VelkoTextView* view = layout->engine->VelkoField;
    view->setPlainTextFromCode(QStringLiteral("red fish, blue fish, Fish"));
    layout->action(QStringLiteral("editReplace"))->trigger();
    auto* bar = layout->mainWindow->findChild<FindBar*>();
    QVERIFY(bar);
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
    button(bar, "replaceAllButton")->click();
    QCOMPARE(view->toPlainText(), QStringLiteral("red cat, blue cat, Fish"));
    QCOMPARE(bar->statusText(), QStringLiteral("1 replaced"));
    layout->action(QStringLiteral("editUndo"))->trigger();
    QCOMPARE(view->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));

    // Read-only text (a lock's output) can be searched but not replaced.
    view->setReadOnly(true);
    QVERIFY(!button(bar, "replaceAllButton")->isEnabled());
    layout->action(QStringLiteral("editFindNext"))->trigger();
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("fish"));
    bar->replaceAllOccurrences();
    QCOMPARE(view->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));
}

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
