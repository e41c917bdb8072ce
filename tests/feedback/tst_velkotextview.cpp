// The text view tells the user's changes from the program's own.
#include "feedback/colors.h"
#include "feedback/velkotextview.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>

using namespace velko;

class TextViewTest : public QObject
{
    Q_OBJECT
private slots:
    void codeChangesAreNotEdits();
    void badRtfLeavesTheViewAsItWas();
    void plainTextFromCodeCarriesNoFormatting();
};

void TextViewTest::codeChangesAreNotEdits()
{
    VelkoTextView view;
    QSignalSpy edits(&view, &VelkoTextView::userTextChanged);
    view.setPlainTextFromCode(QStringLiteral("from a command"));
    view.setWholeTextColorFromCode(colors::orange());
    {
        VelkoTextView::CodeChange change(&view);
        QTextCursor(view.document()).insertText(QStringLiteral("inserted by code"));
    }
    QVERIFY(view.setRtfFromCode("{\\rtf1\\ansi hello}").ok());
    QCOMPARE(edits.count(), 0);

    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setFocus();
    QTest::keyClicks(&view, QStringLiteral("x"));
    QCOMPARE(edits.count(), 1);
    // After a command replaced the document, edits are still seen.
    QVERIFY(view.setRtfFromCode("{\\rtf1\\ansi again}").ok());
    QTest::keyClick(&view, Qt::Key_End);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QCOMPARE(edits.count(), 2);
}

void TextViewTest::badRtfLeavesTheViewAsItWas()
{
    VelkoTextView view;
    view.setPlainTextFromCode(QStringLiteral("precious text"));
    QVERIFY(!view.setRtfFromCode("this is not rtf at all").ok());
    QCOMPARE(view.toPlainText(), QStringLiteral("precious text"));
}

void TextViewTest::plainTextFromCodeCarriesNoFormatting()
{
    VelkoTextView view;
    QVERIFY(view.setRtfFromCode("{\\rtf1\\ansi\\b\\i bold}").ok());
    view.moveCursor(QTextCursor::End);
    view.setPlainTextFromCode(QStringLiteral("U2FsdGVkX1+abc"));
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::End);
    QVERIFY(!cursor.charFormat().font().bold());
    // Text and colour put in by a command leave nothing to undo.
    view.setWholeTextColorFromCode(Qt::darkYellow);
    QCOMPARE(view.document()->availableUndoSteps(), 0);
    QVERIFY(!view.document()->isModified());
}

QTEST_MAIN(TextViewTest)
#include "tst_velkotextview.moc"
