// The text view tells the user's changes from the program's own, and the
// document window marks the user's edits, and only those, as unsaved.
#include "testsupport.h"

using namespace velko;

namespace {

// The window with a clean document whose text a command put in.
struct Window
{
    testsupport::TempHome home;
    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    Engine* engine = layout->engine;
    VelkoTextView* view = engine->VelkoField;
    DocumentState* state = layout->state.get();

    Window()
    {
        view->setPlainTextFromCode(QStringLiteral("Hello"));
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
    void codeChangesAreNotEdits()
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

    // Bad RTF leaves the view as it was; plain text put in by a command carries
    // no formatting, and text and colour from code leave nothing to undo.
    void badOrPlainTextFromCode()
    {
        VelkoTextView view;
        view.setPlainTextFromCode(QStringLiteral("precious text"));
        QVERIFY(!view.setRtfFromCode("this is not rtf at all").ok());
        QCOMPARE(view.toPlainText(), QStringLiteral("precious text"));

        QVERIFY(view.setRtfFromCode("{\\rtf1\\ansi{\\header private}\\b\\i bold}").ok());
        view.moveCursor(QTextCursor::End);
        view.setPlainTextFromCode(QStringLiteral("U2FsdGVkX1+abc"));
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
        for (const char* edit : {"type and delete", "undo", "bold", "type after lock"})
            QTest::newRow(edit) << QString::fromLatin1(edit);
    }

    void userEditsMarkTheDocument()
    {
        QFETCH(QString, edit);
        Window w;
        if (edit == QLatin1String("type and delete")) {
            // Back to the same text, still an edit.
            QTest::keyClick(w.view, Qt::Key_X);
            QTest::keyClick(w.view, Qt::Key_Backspace);
        } else if (edit == QLatin1String("undo")) {
            // Undoing a command's undoable insert is the user's change.
            {
                VelkoTextView::CodeChange change(w.view);
                w.view->textCursor().insertText(QStringLiteral(" inserted"));
            }
            QCOMPARE(testsupport::flagsOf(*w.layout), "clean plain");
            w.view->undo();
        } else if (edit == QLatin1String("bold")) {
            w.view->selectAll();
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            w.view->mergeCurrentCharFormat(bold);
        } else { // the first edit ends the orange display a lock leaves
            w.view->setWholeTextColorFromCode(colors::orange());
            w.state->textColorSetToOrangeAfterEncryption = true;
            QTest::keyClicks(w.view, QStringLiteral("ab"));
            QCOMPARE(w.view->currentCharFormat().foreground().color(), colors::black());
        }
        QCOMPARE(testsupport::flagsOf(*w.layout), "edited plain");
    }

    void commandsReplacingTextAreNotEdits_data()
    {
        QTest::addColumn<QString>("command");
        for (const char* command : {"open", "save"})
            QTest::newRow(command) << QString::fromLatin1(command);
    }

    void commandsReplacingTextAreNotEdits()
    {
        QFETCH(QString, command);
        Window w;
        const QString path = w.home.filePath(QStringLiteral("doc.rtf"));
        QVERIFY(testsupport::writeFile(path, "{\\rtf1\\ansi {\\b Opened} text\\par}"));
        testsupport::setDocumentPath(*w.layout, path); // Save in place writes where the label says
        if (command == QLatin1String("open"))
            w.engine->openRecentDocument(path);
        else
            w.engine->btnSaveAction();
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(testsupport::flagsOf(*w.layout), "clean plain");
        w.view->undo(); // a replaced text cannot be brought back
        QCOMPARE(testsupport::flagsOf(*w.layout), "clean plain");
        QTest::keyClicks(w.view, QStringLiteral("!")); // edits are still seen
        QCOMPARE(testsupport::flagsOf(*w.layout), "edited plain");
    }

    // Clear is no edit, but one step that Undo takes back (and the step back is
    // the user's edit).
    void clearIsUndoable()
    {
        Window w;
        w.view->clearFromCode();
        QTest::keyClicks(w.view, QStringLiteral("Kept"));
        w.state->textChanged = false;
        w.engine->btnClearAction();
        QVERIFY(w.view->isEmpty());
        QVERIFY(!w.state->textChanged);
        w.view->undo();
        QCOMPARE(w.view->toPlainText(), QStringLiteral("Kept"));
        QVERIFY(w.state->textChanged);
    }
};

QTEST_MAIN(EditTrackingTest)
#include "tst_edittracking.moc"
