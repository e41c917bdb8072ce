// The document window marks the user's edits, and only those, as unsaved.
#include "testsupport.h"

#include "app/layout.h"
#include "engine/engine.h"
#include "feedback/colors.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"

#include <QApplication>
#include <QTest>

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
    QColor labelColour() const { return labelColor(engine->setFileNameLabel); }
};

} // namespace

class EditTrackingTest : public QObject
{
    Q_OBJECT

private slots:
    void userEditsMarkTheDocument_data();
    void userEditsMarkTheDocument();
    void commandsReplacingTextAreNotEdits_data();
    void commandsReplacingTextAreNotEdits();
    void clearIsUndoable();
};

void EditTrackingTest::userEditsMarkTheDocument_data()
{
    QTest::addColumn<QString>("edit");
    for (const char* edit : {"type and delete", "undo", "bold", "type after lock"})
        QTest::newRow(edit) << QString::fromLatin1(edit);
}

void EditTrackingTest::userEditsMarkTheDocument()
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
        QVERIFY(!w.state->textChanged);
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
        QVERIFY(!w.state->textColorSetToOrangeAfterEncryption);
        QCOMPARE(w.view->currentCharFormat().foreground().color(), colors::black());
    }
    QVERIFY(w.state->textChanged);
    QCOMPARE(w.labelColour(), colors::red());
}

void EditTrackingTest::commandsReplacingTextAreNotEdits_data()
{
    QTest::addColumn<QString>("command");
    for (const char* command : {"open", "save"})
        QTest::newRow(command) << QString::fromLatin1(command);
}

void EditTrackingTest::commandsReplacingTextAreNotEdits()
{
    QFETCH(QString, command);
    Window w;
    const QString path = w.home.filePath(QStringLiteral("doc.rtf"));
    QVERIFY(testsupport::writeFile(path, "{\\rtf1\\ansi {\\b Opened} text\\par}"));
    w.state->fileName = path;
    w.engine->showPathInLabelAndTitle(path); // Save in place writes where the label says
    if (command == QLatin1String("open"))
        w.engine->openRecentDocument(path);
    else
        w.engine->btnSaveAction();
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(w.labelColour(), colors::blue());
    QVERIFY(!w.state->textChanged);
    w.view->undo(); // a replaced text cannot be brought back
    QVERIFY(!w.state->textChanged);
    QTest::keyClicks(w.view, QStringLiteral("!")); // edits are still seen
    QVERIFY(w.state->textChanged);
}

// Clear is no edit, but one step that Undo takes back (and the step back is
// the user's edit).
void EditTrackingTest::clearIsUndoable()
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

QTEST_MAIN(EditTrackingTest)
#include "tst_edittracking.moc"
