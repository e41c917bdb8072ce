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
#include <QMainWindow>
#include <QMimeData>
#include <QTest>
#include <QTextCursor>

using namespace velko;

class EditTrackingTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void userEditsMarkTheDocument_data();
    void userEditsMarkTheDocument();
    void commandsReplacingTextAreNotEdits_data();
    void commandsReplacingTextAreNotEdits();
    void firstEditEndsOrangeDisplayOnly();

private:
    std::unique_ptr<testsupport::TempHome> m_home;
    std::unique_ptr<Layout> m_layout;
    VelkoTextView* m_view = nullptr;
    QLabel* m_label = nullptr;
    DocumentState* m_state = nullptr;
};

void EditTrackingTest::init()
{
    m_home = std::make_unique<testsupport::TempHome>();
    m_layout = testsupport::makeDocumentWindow();
    m_view = m_layout->engine->VelkoField;
    m_label = m_layout->engine->setFileNameLabel;
    m_state = m_layout->state.get();
    // A clean document with text put in by a command.
    m_view->setPlainTextFromCode(QStringLiteral("Hello"));
    setLabelColor(m_label, colors::blue());
    m_view->setFocus();
    QTest::keyClick(m_view, Qt::Key_End, Qt::ControlModifier);
}

void EditTrackingTest::cleanup()
{
    m_layout.reset();
    m_home.reset();
}

void EditTrackingTest::userEditsMarkTheDocument_data()
{
    QTest::addColumn<QString>("edit");
    QTest::newRow("typing") << "typing";
    QTest::newRow("type then delete back") << "type and delete";
    QTest::newRow("backspace") << "backspace";
    QTest::newRow("paste") << "paste";
    QTest::newRow("cut") << "cut";
    QTest::newRow("undo of a command's insert") << "undo";
    QTest::newRow("bold on a selection") << "bold";
}

void EditTrackingTest::userEditsMarkTheDocument()
{
    QFETCH(QString, edit);
    const QString labelText = m_label->text();

    if (edit == QLatin1String("typing")) {
        QTest::keyClicks(m_view, QStringLiteral(" world"));
    } else if (edit == QLatin1String("type and delete")) {
        QTest::keyClick(m_view, Qt::Key_X);
        QTest::keyClick(m_view, Qt::Key_Backspace);
        QCOMPARE(m_view->toPlainText(), QStringLiteral("Hello"));
    } else if (edit == QLatin1String("backspace")) {
        QTest::keyClick(m_view, Qt::Key_Backspace);
    } else if (edit == QLatin1String("paste")) {
        QApplication::clipboard()->setText(QStringLiteral(" pasted"));
        m_view->paste();
        QVERIFY(m_view->toPlainText().endsWith(QLatin1String("pasted")));
    } else if (edit == QLatin1String("cut")) {
        m_view->selectAll();
        m_view->cut();
    } else if (edit == QLatin1String("undo")) {
        // Text inserted through the cursor by a command is undoable; undoing
        // it is the user's change.
        {
            VelkoTextView::CodeChange change(m_view);
            m_view->textCursor().insertText(QStringLiteral(" inserted"));
        }
        QVERIFY(!m_state->textChanged);
        m_view->undo();
        QCOMPARE(m_view->toPlainText(), QStringLiteral("Hello"));
    } else if (edit == QLatin1String("bold")) {
        // What the format tools do with the user's selection.
        m_view->selectAll();
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        m_view->mergeCurrentCharFormat(bold);
    }
    QVERIFY(m_state->textChanged);
    QCOMPARE(labelColor(m_label), colors::red());
    QCOMPARE(m_label->text(), labelText);
    QVERIFY(!m_state->isLastSavedASecureFile);
}

void EditTrackingTest::commandsReplacingTextAreNotEdits_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("open") << "open";
    QTest::newRow("new") << "new";
    QTest::newRow("clear") << "clear";
    QTest::newRow("save in place") << "save";
    QTest::newRow("whole text colour") << "colour";
}

void EditTrackingTest::commandsReplacingTextAreNotEdits()
{
    QFETCH(QString, command);
    const QString path = m_home->filePath(QStringLiteral("doc.rtf"));
    QVERIFY(testsupport::writeFile(path, "{\\rtf1\\ansi {\\b Opened} text\\par}"));
    m_state->fileName = path;
    m_layout->engine->showPathInLabelAndTitle(path);
    const QColor colour = colors::blue();

    if (command == QLatin1String("open"))
        m_layout->engine->openRecentDocument(path);
    else if (command == QLatin1String("new"))
        m_layout->engine->btnNewAction();
    else if (command == QLatin1String("clear"))
        m_layout->engine->btnClearAction();
    else if (command == QLatin1String("save"))
        m_layout->engine->btnSaveAction();
    else
        m_view->setWholeTextColorFromCode(colors::orange());
    QVERIFY(!QApplication::activeModalWidget());
    QTest::qWait(10);

    QVERIFY(!m_state->textChanged);
    QCOMPARE(labelColor(m_label), colour);
    // A replaced text cannot be undone back into the old one.
    if (command != QLatin1String("colour") && command != QLatin1String("save")) {
        QVERIFY(!m_view->document()->isUndoAvailable());
        m_view->undo();
        QVERIFY(!m_state->textChanged);
    }
    // Edits are still seen after the command.
    QTest::keyClicks(m_view, QStringLiteral("!"));
    QVERIFY(m_state->textChanged);
    QCOMPARE(labelColor(m_label), colors::red());
}

void EditTrackingTest::firstEditEndsOrangeDisplayOnly()
{
    // As Secure leaves it, then Clear makes the view editable again.
    m_view->setPlainTextFromCode(QStringLiteral("U2FsdGVkX1+secret"));
    m_view->setWholeTextColorFromCode(colors::orange());
    m_view->setReadOnly(true);
    m_state->textColorSetToOrangeAfterEncryption = true;
    m_layout->engine->btnClearAction();
    QVERIFY(m_state->textColorSetToOrangeAfterEncryption);

    QTest::keyClicks(m_view, QStringLiteral("ab"));
    QVERIFY(!m_state->textColorSetToOrangeAfterEncryption);
    QCOMPARE(QTextCursor(m_view->document()).charFormat().foreground().color(), colors::black());
    QTextCursor last(m_view->document());
    last.movePosition(QTextCursor::End);
    QCOMPARE(last.charFormat().foreground().color(), colors::black());

    // Later edits leave the colours the text holds.
    m_view->selectAll();
    m_view->setTextColor(QColor(0, 128, 0));
    QTest::keyClick(m_view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(m_view, QStringLiteral("c"));
    last.movePosition(QTextCursor::End);
    QCOMPARE(last.charFormat().foreground().color(), QColor(0, 128, 0));
}

QTEST_MAIN(EditTrackingTest)
#include "tst_edittracking.moc"
