// The text view tells the user's changes from the program's own.
#include "core/documentstate.h"
#include "feedback/colors.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"

#include <QApplication>
#include <QLabel>
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
    void firstEditAfterOrangeTurnsTextBlack();
};

void TextViewTest::codeChangesAreNotEdits()
{
    VelkoTextView view;
    QSignalSpy edits(&view, &VelkoTextView::userTextChanged);
    view.setPlainTextFromCode(QStringLiteral("from a command"));
    view.setWholeTextColorFromCode(colors::orange());
    view.clearFromCode();
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
    view.undo();
    QCOMPARE(edits.count(), 3);
}

void TextViewTest::badRtfLeavesTheViewAsItWas()
{
    VelkoTextView view;
    view.setPlainTextFromCode(QStringLiteral("precious text"));
    const Status status = view.setRtfFromCode("this is not rtf at all");
    QVERIFY(!status.ok());
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
    QVERIFY(!cursor.charFormat().font().italic());
    QCOMPARE(view.toPlainText(), QStringLiteral("U2FsdGVkX1+abc"));
    // Text and colour put in by a command leave nothing to undo.
    view.setWholeTextColorFromCode(Qt::darkYellow);
    QCOMPARE(view.document()->availableUndoSteps(), 0);
    QVERIFY(!view.document()->isModified());
}

void TextViewTest::firstEditAfterOrangeTurnsTextBlack()
{
    DocumentState state;
    VelkoTextView view;
    QLabel label;
    VelkoField_delegate delegate;
    delegate.VelkoField = &view;
    delegate.fileNameTextField = &label;
    delegate.state = &state;
    delegate.connectToView();

    view.setPlainTextFromCode(QStringLiteral("U2FsdGVkX1..."));
    view.setWholeTextColorFromCode(colors::orange());
    state.textColorSetToOrangeAfterEncryption = true;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setFocus();
    view.moveCursor(QTextCursor::End);
    QTest::keyClicks(&view, QStringLiteral("z"));
    QVERIFY(state.textChanged);
    QVERIFY(!state.textColorSetToOrangeAfterEncryption);
    QCOMPARE(labelColor(&label), colors::red());
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::End);
    QCOMPARE(cursor.charFormat().foreground().color(), colors::black());
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextCharacter);
    QCOMPARE(cursor.charFormat().foreground().color(), colors::black());
}

QTEST_MAIN(TextViewTest)
#include "tst_velkotextview.moc"
