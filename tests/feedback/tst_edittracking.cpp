// The document window marks the user's edits, and only those, as unsaved.
#include "testsupport.h"

#include "app/layout.h"
#include "engine/engine.h"
#include "feedback/colors.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QTest>
#include <QTextCursor>

using namespace velko;

namespace {

// The window with a clean document whose text a command put in.
struct Window
{
    testsupport::TempHome home;
    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    Engine* engine = layout->engine;
    VelkoTextView* view = engine->VelkoField;
    QLabel* label = engine->setFileNameLabel;
    DocumentState* state = layout->state.get();

    Window()
    {
        view->setPlainTextFromCode(QStringLiteral("Hello"));
        setLabelColor(label, colors::blue());
        view->setFocus();
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    }
    bool marked() const { return state->textChanged && labelColor(label) == colors::red(); }
    QColor endColour() const
    {
        QTextCursor last(view->document());
        last.movePosition(QTextCursor::End);
        return last.charFormat().foreground().color();
    }
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
    void firstEditEndsOrangeDisplayOnly();
};

void EditTrackingTest::userEditsMarkTheDocument_data()
{
    QTest::addColumn<QString>("edit");
    for (const char* edit : {"type and delete", "paste", "cut", "undo", "bold"})
        QTest::newRow(edit) << QString::fromLatin1(edit);
}

void EditTrackingTest::userEditsMarkTheDocument()
{
    QFETCH(QString, edit);
    Window w;
    const QString labelText = w.label->text();
    if (edit == QLatin1String("type and delete")) {
        // Back to the same text, still an edit.
        QTest::keyClick(w.view, Qt::Key_X);
        QTest::keyClick(w.view, Qt::Key_Backspace);
        QCOMPARE(w.view->toPlainText(), QStringLiteral("Hello"));
    } else if (edit == QLatin1String("paste")) {
        QApplication::clipboard()->setText(QStringLiteral(" pasted"));
        w.view->paste();
        QVERIFY(w.view->toPlainText().endsWith(QLatin1String("pasted")));
    } else if (edit == QLatin1String("cut")) {
        w.view->selectAll();
        w.view->cut();
    } else if (edit == QLatin1String("undo")) {
        // Undoing a command's undoable insert is the user's change.
        {
            VelkoTextView::CodeChange change(w.view);
            w.view->textCursor().insertText(QStringLiteral(" inserted"));
        }
        QVERIFY(!w.state->textChanged);
        w.view->undo();
        QCOMPARE(w.view->toPlainText(), QStringLiteral("Hello"));
    } else {
        // What the format tools do with the user's selection.
        w.view->selectAll();
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        w.view->mergeCurrentCharFormat(bold);
    }
    QVERIFY(w.marked());
    QCOMPARE(w.label->text(), labelText);
    QVERIFY(!w.state->isLastSavedASecureFile);
}

void EditTrackingTest::commandsReplacingTextAreNotEdits_data()
{
    QTest::addColumn<QString>("command");
    for (const char* command : {"open", "new", "clear", "save", "colour"})
        QTest::newRow(command) << QString::fromLatin1(command);
}

void EditTrackingTest::commandsReplacingTextAreNotEdits()
{
    QFETCH(QString, command);
    Window w;
    const QString path = w.home.filePath(QStringLiteral("doc.rtf"));
    QVERIFY(testsupport::writeFile(path, "{\\rtf1\\ansi {\\b Opened} text\\par}"));
    w.state->fileName = path;
    w.engine->showPathInLabelAndTitle(path);

    if (command == QLatin1String("open"))
        w.engine->openRecentDocument(path);
    else if (command == QLatin1String("new"))
        w.engine->btnNewAction();
    else if (command == QLatin1String("clear"))
        w.engine->btnClearAction();
    else if (command == QLatin1String("save"))
        w.engine->btnSaveAction();
    else
        w.view->setWholeTextColorFromCode(colors::orange());
    QVERIFY(!QApplication::activeModalWidget());
    QTest::qWait(10);
    QVERIFY(!w.state->textChanged);
    QCOMPARE(labelColor(w.label), colors::blue());
    // A replaced text cannot be undone back into the old one.
    if (command != QLatin1String("colour") && command != QLatin1String("save")) {
        QVERIFY(!w.view->document()->isUndoAvailable());
        w.view->undo();
        QVERIFY(!w.state->textChanged);
    }
    // Edits are still seen after the command.
    QTest::keyClicks(w.view, QStringLiteral("!"));
    QVERIFY(w.marked());
}

void EditTrackingTest::firstEditEndsOrangeDisplayOnly()
{
    // As Secure leaves it, once the view is editable again.
    Window w;
    w.view->setPlainTextFromCode(QStringLiteral("U2FsdGVkX1+secret"));
    w.view->setWholeTextColorFromCode(colors::orange());
    w.state->textColorSetToOrangeAfterEncryption = true;
    QTest::keyClicks(w.view, QStringLiteral("ab"));
    QVERIFY(!w.state->textColorSetToOrangeAfterEncryption);
    QCOMPARE(w.endColour(), colors::black());

    // Later edits leave the colours the text holds.
    w.view->selectAll();
    w.view->setTextColor(QColor(0, 128, 0));
    QTest::keyClick(w.view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(w.view, QStringLiteral("c"));
    QCOMPARE(w.endColour(), QColor(0, 128, 0));
}

QTEST_MAIN(EditTrackingTest)
#include "tst_edittracking.moc"
