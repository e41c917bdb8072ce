// The text view tells the user's changes from the program's own, and the
// document window marks the user's edits, and only those, as unsaved.
#include "testsupport.h"

using namespace velko;
using testsupport::flagsOf;

namespace {

// The window with a clean document whose text a command put in.
struct Window
{
    testsupport::TempHome home;
    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    Engine* engine = layout->engine;
    VelkoTextView* view = engine->VelkoField;

    Window()
    {
        view->setPlainTextFromCode("Hello");
        setLabelColor(engine->setFileNameLabel, colors::blue());
        view->setFocus();
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    }
};

} // namespace

class EditTrackingTest : public QObject
{
    Q_OBJECT

private slots:
    // Plain text put in by a command carries none of the formatting before it,
    // and text and colour from code leave nothing to undo. (That they are no
    // edits the window's flags show in every command's test.)
    void plainTextFromCodeIsPlain()
    {
        VelkoTextView view;
        QVERIFY(view.setRtfFromCode("{\\rtf1\\ansi{\\header private}\\b\\i bold}").ok());
        view.moveCursor(QTextCursor::End);
        view.setPlainTextFromCode("U2FsdGVkX1+abc");
        QVERIFY(!view.rtfOfWholeText().contains("private")); // nor what was kept beside it
        QTextCursor cursor(view.document());
        cursor.movePosition(QTextCursor::End);
        QVERIFY(!cursor.charFormat().font().bold());
        view.setWholeTextColorFromCode(Qt::darkYellow);
        QCOMPARE(view.document()->availableUndoSteps(), 0);
        QVERIFY(!view.document()->isModified());
    }

    void userEditsMarkTheDocument_data()
    {
        QTest::addColumn<QString>("edit");
        for (const char* edit :
             {"type and delete", "undo", "bold", "type after lock", "undo clear"})
            QTest::newRow(edit) << QString::fromLatin1(edit);
    }

    // Each of these is the user's edit: typing back to the same text, undoing a
    // command's undoable insert, formatting, the first keystroke after a lock
    // (which ends its orange display), and undoing Clear, which itself is none.
    void userEditsMarkTheDocument()
    {
        QFETCH(QString, edit);
        Window w;
        if (edit == "type and delete") {
            QTest::keyClick(w.view, Qt::Key_X);
            QTest::keyClick(w.view, Qt::Key_Backspace);
        } else if (edit == "undo") {
            {
                VelkoTextView::CodeChange change(w.view);
                w.view->textCursor().insertText(" inserted");
            }
            QCOMPARE(flagsOf(*w.layout), "clean plain");
            w.view->undo();
        } else if (edit == "bold") {
            w.view->selectAll();
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            w.view->mergeCurrentCharFormat(bold);
        } else if (edit == "type after lock") {
            w.view->setWholeTextColorFromCode(colors::orange());
            w.layout->state->textColorSetToOrangeAfterEncryption = true;
            QTest::keyClicks(w.view, "ab");
            QCOMPARE(w.view->currentCharFormat().foreground().color(), colors::black());
        } else {
            w.engine->btnClearAction();
            QVERIFY(w.view->isEmpty());
            QCOMPARE(flagsOf(*w.layout), "clean plain");
            w.view->undo();
            QCOMPARE(w.view->toPlainText(), "Hello");
        }
        QCOMPARE(flagsOf(*w.layout), "edited plain");
    }

    // Open leaves a clean document whose replaced text Undo cannot bring back;
    // the next keystroke is an edit. (Save's flags are in the save table.)
    void openIsNoEdit()
    {
        Window w;
        const QString path = w.home.filePath("doc.rtf");
        QVERIFY(testsupport::writeFile(path, "{\\rtf1\\ansi {\\b Opened} text\\par}"));
        w.engine->openRecentDocument(path);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(flagsOf(*w.layout), "clean plain");
        w.view->undo();
        QCOMPARE(w.view->toPlainText(), "Opened text");
        QCOMPARE(flagsOf(*w.layout), "clean plain");
        QTest::keyClicks(w.view, "!");
        QCOMPARE(flagsOf(*w.layout), "edited plain");
    }

    // Typed inside a field's result, text edits the result; typed right
    // after it (by mouse or by keys), the text is the user's own.
    void typingAfterAFieldResultIsNoPartOfIt()
    {
        Window w;
        QVERIFY(
            w.view->setRtfFromCode("{\\rtf1 p{\\field{\\*\\fldinst PAGE}{\\fldrslt 12}}\\par}"));
        QTextCursor cursor = w.view->textCursor();
        cursor.setPosition(2);
        w.view->setTextCursor(cursor);
        QTest::keyClicks(w.view, "x");
        QTest::keyClick(w.view, Qt::Key_End);
        QTest::keyClicks(w.view, " of 9");
        QVERIFY2(w.view->rtfOfWholeText().contains("{\\fldrslt{1x2}}} of 9"),
                 w.view->rtfOfWholeText().constData());
    }
};

QTEST_MAIN(EditTrackingTest)
#include "tst_edittracking.moc"
