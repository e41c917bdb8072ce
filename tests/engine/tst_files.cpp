// Save, Save As, Open, New and Quit driven through the real window; the
// ways they fail or are called off are in the table of commands that
// change nothing.
#include "testsupport.h"

#include "app/application.h"
#include "core/desktop/recentdocuments.h"
#include "engine/documentbuilder.h"
#include "feedback/childwindow.h"
#include "feedback/spellcheckview.h"
#include "rtf/rtf.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QProgressDialog>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QTreeView>

#include <optional>
#include <utility>

using namespace velko;
using namespace testsupport;

// A document with bold, italic, coloured and centred text.
static const QByteArray kFormattedRtf = "{\\rtf1\\ansi{\\colortbl;\\red200\\green0\\blue0;}{\\b "
                                        "Bold}{\\i\\cf1  red italic}\\par\\pard\\qc Centred line "
                                        "\\u8364?\\par}";

class FilesTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home.emplace();
        m_desktop = m_home->makeDesktop();
        m_layout = makeDocumentWindow();
        m_engine = m_layout->engine;
        m_state = m_layout->state.get();
        m_view = m_engine->VelkoField;
    }
    void cleanup()
    {
        dismissModals();
        m_layout.reset();
        m_home.reset();
    }
    void saveDecisionTable_data()
    {
        QTest::addColumn<bool>("untitled");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("secure");
        QTest::addColumn<QString>("shows");  // "panel", an alert's message, or "" for in place
        QTest::addColumn<QString>("button"); // the alert's button; the panel is then confirmed
        const QString encrypted = QStringLiteral("Attention, trying to save encrypted text!");
        const QString plain = QStringLiteral("Warning, trying to save as plain text!");
        QTest::newRow("untitled, plain") << true << true << false << "panel" << QString();
        // Without a desktop folder the panel starts at home and makes no folder.
        QTest::newRow("untitled, no desktop") << true << true << false << "panel" << QString();
        QTest::newRow("untitled, enciphered view")
            << true << false << false << encrypted << "Save as plain text";
        QTest::newRow("path, enciphered view, secure")
            << false << false << true << encrypted << "Save as plain text";
        QTest::newRow("path, secure flag") << false << true << true << plain << "Save as unsecured";
        QTest::newRow("path, plain: in place") << false << true << false << QString() << QString();
    }

    void saveDecisionTable()
    {
        QFETCH(bool, untitled);
        QFETCH(bool, editable);
        QFETCH(bool, secure);
        QFETCH(QString, shows);
        QFETCH(QString, button);
        // A saved document's panel starts at its own folder and name.
        const bool noDesktop = QByteArray(QTest::currentDataTag()).contains("no desktop");
        QString folder = untitled ? m_desktop : m_home->filePath(QStringLiteral("Documents"));
        if (noDesktop)
            QVERIFY(QDir(std::exchange(folder, m_home->path())).removeRecursively());
        QVERIFY(QDir().mkpath(folder));
        QString target = folder + (secure ? "/letter.srtf" : "/letter.rtf");
        if (!untitled)
            setDocumentPath(*m_layout, target);
        type(QStringLiteral("Some text"));
        m_view->setReadOnly(!editable);
        m_state->isLastSavedASecureFile = secure;
        m_state->textColorSetToOrangeAfterEncryption = true;

        m_engine->btnSaveAction();
        if (!shows.isEmpty()) {
            if (shows != QLatin1String("panel")) {
                QMessageBox* alert = waitForAlert();
                QCOMPARE(alert ? alert->text() : QString(), shows);
                QVERIFY(clickAlertButton(alert, button));
            }
            QFileDialog* panel = waitForPanel();
            QVERIFY(panel);
            // The alert's first button clears the flag as soon as the panel is up.
            QVERIFY(!m_state->isLastSavedASecureFile);
            QCOMPARE(QDir(panel->directory()).canonicalPath(), QDir(folder).canonicalPath());
            QCOMPARE(panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
                     untitled ? "untitled.rtf" : "letter.rtf");
            target = folder + "/plain.rtf";
            acceptPanel(panel, target);
        }
        QCOMPARE(QDir(m_desktop).exists(), !noDesktop);
        QCOMPARE(QDir(m_home->filePath(QStringLiteral("Documents"))).exists(), !untitled);
        QVERIFY(readFile(target).contains("Some text"));
        QCOMPARE(readFile(target), m_state->DataToWrite);
        QCOMPARE(m_state->fileName, target);
        QCOMPARE(flagsOf(*m_layout), "clean plain");
    }

    // Save As never warns. The document is then the plain file; the orange flag
    // stays for the first edit to clear.
    void saveAsMakesThePlainFileTheDocument()
    {
        type(QStringLiteral("x"));
        showSecureOutput();
        const QString target = desktopPath("copy.rtf");
        answerNextModalPanel(target);
        m_engine->btnSaveAsAction();
        QCOMPARE(readFile(target), m_state->DataToWrite);
        QCOMPARE(m_state->fileName, target);
        QCOMPARE(flagsOf(*m_layout), "clean plain orange");

        // Edited again, Save writes that file in place and asks nothing.
        type(QStringLiteral("y"));
        m_engine->btnSaveAction();
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(readFile(target), m_state->DataToWrite);
        QCOMPARE(flagsOf(*m_layout), "clean plain");
    }

    void openResetsStateAndSavesFormatting()
    {
        const QString path = desktopPath("formatted.rtf");
        QVERIFY(writeFile(path, kFormattedRtf));
        showSecureOutput();
        // The keyboard was on the check box (a space would tick it); the
        // opened text has it next.
        m_engine->chkBoxShowEncryptedOutputAfterEncryption->setFocus();
        m_engine->btnOpenAction(); // no edits: the panel at once
        QFileDialog* panel = waitForPanel();
        // Its list shows the whole size, kind and date of each file.
        auto* tree = panel->findChild<QTreeView*>(QStringLiteral("treeView"));
        QAbstractItemView* list = tree;
        QTRY_VERIFY(list->model()->rowCount(list->rootIndex()) > 0);
        for (int column = 1; column < 4; ++column)
            QTRY_VERIFY(tree->header()->sectionSize(column) >= list->sizeHintForColumn(column));
        acceptPanel(panel, path);
        QCOMPARE(m_layout->mainWindow->focusWidget(), m_view);
        QCOMPARE(m_layout->mainWindow->windowTitle(), path);
        QCOMPARE(flagsOf(*m_layout), "clean plain");
        QCOMPARE(m_view->toPlainText(), QStringLiteral("Bold red italic\nCentred line €"));

        // Saved again (in place, no warning): text and attributes survive.
        m_engine->btnSaveAction();
        QTextDocument doc;
        doc.setDefaultFont(m_view->document()->defaultFont());
        QVERIFY(rtf::read(readFile(path), &doc).ok());
        QCOMPARE(rtf::write(doc), rtf::write(*m_view->document()));
    }

    // A large document is built off the window's thread, its progress shown.
    // Cancel leaves the document shown as it was, with its undo history and
    // its edits; left alone, the build ends in the opened document.
    void largeDocumentOpensWithProgress()
    {
        QByteArray rtf = "{\\rtf1\\ansi ";
        while (rtf.size() < m_engine->backgroundBuildBytes)
            rtf += "A paragraph of the large document.\\par\n";
        rtf += "The end, mispeled.}";
        const QString path = desktopPath("large.rtf");
        QVERIFY(writeFile(path, rtf));
        m_engine->progressAfterMs = 0;
        QCoreApplication::processEvents(); // the dictionary opens
        type(QStringLiteral("Kept"));
        const QStringList before = snapshotOf(*m_layout);

        m_engine->openPlainDocument(path);
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        QVERIFY(progress);
        QCOMPARE(progress->windowModality(), Qt::WindowModal);
        QVERIFY(progress->minimumWidth() >= titleFittingWidth(progress)); // the whole title shows
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        QTRY_VERIFY(!m_engine->findChild<DocumentBuilder*>()); // its thread ended
        QCOMPARE(snapshotOf(*m_layout), before);
        QVERIFY(m_view->document()->isUndoAvailable());
        QVERIFY(m_view->document()->isModified());

        m_engine->openPlainDocument(path);
        QTRY_COMPARE(m_state->fileName, path);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(m_view->toPlainText().endsWith(QStringLiteral("document.\nThe end, mispeled.")));
        QCOMPARE(flagsOf(*m_layout), "clean plain");
        // Where there is a dictionary, the spelling marks came with it.
        if (m_layout->mainWindow->findChild<SpellCheckView*>()->checker())
            QCOMPARE(m_view->document()->lastBlock().layout()->formats().size(), 1);
    }

    // New starts afresh at once without edits, after the alert's OK with them;
    // neither way touches the secure flag.
    void newDocument()
    {
        setDocumentPath(*m_layout, desktopPath("n.rtf"));
        m_view->setPlainTextFromCode(QStringLiteral("old"));
        showSecureOutput();
        m_engine->cipherPopUpButton->setFocus();
        m_engine->btnNewAction();
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(m_view->isEmpty());
        QCOMPARE(m_layout->mainWindow->focusWidget(), m_view);
        QCOMPARE(m_engine->setFileNameLabel->text(), QStringLiteral("untitled.rtf"));
        QCOMPARE(flagsOf(*m_layout), "clean secure orange");

        type(QStringLiteral("edited"));
        m_engine->btnNewAction();
        QVERIFY(clickAlertButton(waitForAlert(), QStringLiteral("OK")));
        QVERIFY(m_view->isEmpty());
        QCOMPARE(flagsOf(*m_layout), "clean secure");
    }

    void quitAndWindowClose_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("edited"); // then asked once, and answered OK
        QTest::newRow("quit, edited") << QStringLiteral("quit") << true;
        QTest::newRow("close, edited") << QStringLiteral("close") << true;
        QTest::newRow("close, clean") << QStringLiteral("close") << false;
    }

    // Runs the real event loop, wired as the program wires it: it ends after at
    // most one question (the window's close on the way out must not ask again).
    void quitAndWindowClose()
    {
        QFETCH(QString, how);
        QFETCH(bool, edited);
        connectTermination(*m_layout);
        if (edited)
            type(QStringLiteral("unsaved"));
        QStringList questions;
        QTimer answering;
        QObject::connect(&answering, &QTimer::timeout, [&] {
            auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (shown && shown->isVisible() && clickAlertButton(shown, QStringLiteral("OK")))
                questions << shown->informativeText();
        });
        answering.start(50);
        QTimer::singleShot(0, [&] {
            if (how == QLatin1String("quit"))
                m_layout->action("btnQuitAction")->trigger();
            else
                m_layout->mainWindow->close();
        });
        QTimer::singleShot(3000, [] { QCoreApplication::exit(1); }); // the loop did not end
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(questions, edited ? QStringList{"Document not saved! Do you really want to quit?"}
                                   : QStringList());
    }

    void openRecentMenu()
    {
        const QString a = desktopPath("a.rtf");
        const QString b = desktopPath("b.rtf");
        QVERIFY(writeFile(b, kFormattedRtf));
        type(QStringLiteral("first"));
        m_engine->btnSaveAction();
        acceptPanel(waitForPanel(), a);
        QCOMPARE(recentDocuments(), QStringList{a});
        m_engine->openRecentDocument(b);
        QCOMPARE(recentDocuments(), (QStringList{b, a}));

        emit m_layout->openRecentMenu->aboutToShow();
        const QList<QAction*> entries = m_layout->openRecentMenu->actions();
        QCOMPARE(entries.size(), 2);
        entries.at(1)->trigger();
        QCOMPARE(m_state->fileName, a);
        QCOMPARE(m_view->toPlainText(), QStringLiteral("first"));
    }

private:
    void type(const QString& text) { typeIntoView(*m_layout, text); }
    // Where a secure document's output is shown, orange and read-only; the
    // label red, for the command to put right.
    void showSecureOutput()
    {
        setLabelColor(m_engine->setFileNameLabel, colors::red());
        m_view->setReadOnly(true);
        m_state->isLastSavedASecureFile = m_state->textColorSetToOrangeAfterEncryption = true;
    }
    QString desktopPath(const QString& name) const { return m_desktop + '/' + name; }

    std::optional<TempHome> m_home;
    std::unique_ptr<Layout> m_layout;
    QString m_desktop;
    Engine* m_engine = nullptr;
    DocumentState* m_state = nullptr;
    VelkoTextView* m_view = nullptr;
};

QTEST_MAIN(FilesTest)
#include "tst_files.moc"
