// Save, Save As, Open, New, Clear and Quit driven through the real window.
#include "testsupport.h"

#include "app/appcontroller.h"
#include "app/layout.h"
#include "core/recentdocuments.h"
#include "engine/engine.h"
#include "feedback/colors.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"
#include "rtf/rtf.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace velko;
using testsupport::acceptPanel;
using testsupport::clickAlertButton;
using testsupport::readFile;
using testsupport::waitForAlert;
using testsupport::waitForPanel;

namespace {

// What a failed or cancelled command must leave as it was.
struct Snapshot
{
    QString fileName;
    bool textChanged, isLastSavedASecureFile, orange;
    QString html;
    bool readOnly;
    QString label, title;
    QColor labelColour;

    static Snapshot of(const Layout& l)
    {
        const DocumentState& s = *l.state;
        return {s.fileName,
                s.textChanged,
                s.isLastSavedASecureFile,
                s.textColorSetToOrangeAfterEncryption,
                l.engine->VelkoField->toHtml(),
                l.engine->VelkoField->isReadOnly(),
                l.engine->setFileNameLabel->text(),
                l.mainWindow->windowTitle(),
                labelColor(l.engine->setFileNameLabel)};
    }
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

// A document with bold, italic, coloured and centred text.
QByteArray formattedRtf()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("Bold"), bold);
    QTextCharFormat italicRed;
    italicRed.setFontItalic(true);
    italicRed.setForeground(QColor(200, 0, 0));
    cursor.insertText(QStringLiteral(" red italic"), italicRed);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.insertBlock(centred);
    cursor.insertText(QStringLiteral("Centred line €"), QTextCharFormat());
    return rtf::write(doc);
}

} // namespace

class FilesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveDecisionTable_data();
    void saveDecisionTable();
    void warningFirstButtonClearsSecureFlag_data();
    void warningFirstButtonClearsSecureFlag();
    void saveAsKeepsLabelColourAndFlags();
    void failedWritesChangeNothingAfterTheWrite_data();
    void failedWritesChangeNothingAfterTheWrite();
    void openResetsStateAndSavesFormatting();
    void openAsksFirstWithUnsavedEdits();
    void unreadableOrNonRtfFileChangesNothing_data();
    void unreadableOrNonRtfFileChangesNothing();
    void newWithAndWithoutAlert();
    void clearLeavesFlags();
    void quitAndWindowClose_data();
    void quitAndWindowClose();
    void quitAlertGoesOnTheSendersWindow();
    void openRecentMenu();

private:
    void type(const QString& text)
    {
        m_view->setFocus();
        QTest::keyClicks(m_view, text);
    }
    // As after an earlier save to `path`.
    void setDocumentPath(const QString& path)
    {
        m_state->fileName = path;
        m_engine->showPathInLabelAndTitle(path);
    }
    void setSecure(bool secure, bool orange)
    {
        m_state->isLastSavedASecureFile = secure;
        m_state->textColorSetToOrangeAfterEncryption = orange;
    }
    QString desktopPath(const char* name) const
    {
        return m_desktop + QLatin1Char('/') + QLatin1String(name);
    }
    Snapshot snapshot() const { return Snapshot::of(*m_layout); }
    QString title() const { return m_layout->mainWindow->windowTitle(); }

    std::unique_ptr<testsupport::TempHome> m_home;
    std::unique_ptr<Layout> m_layout;
    QString m_desktop;
    Engine* m_engine = nullptr;
    DocumentState* m_state = nullptr;
    VelkoTextView* m_view = nullptr;
    QLabel* m_label = nullptr;
};

void FilesTest::init()
{
    m_home = std::make_unique<testsupport::TempHome>();
    m_desktop = m_home->makeDesktop();
    m_layout = testsupport::makeDocumentWindow();
    m_engine = m_layout->engine;
    m_state = m_layout->state.get();
    m_view = m_engine->VelkoField;
    m_label = m_engine->setFileNameLabel;
}

void FilesTest::cleanup()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    m_layout.reset();
    m_home.reset();
}

void FilesTest::saveDecisionTable_data()
{
    QTest::addColumn<bool>("untitled");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("secure");
    QTest::addColumn<QString>("shows"); // "panel", an alert's message, or "" for in place
    const QString encrypted = QStringLiteral("Attention, trying to save encrypted text!");
    const QString plain = QStringLiteral("Warning, trying to save as plain text!");
    QTest::newRow("untitled, secure flag") << true << true << true << "panel";
    QTest::newRow("untitled, plain") << true << true << false << "panel";
    QTest::newRow("untitled, enciphered view") << true << false << false << encrypted;
    QTest::newRow("path, enciphered view, secure") << false << false << true << encrypted;
    QTest::newRow("path, secure flag") << false << true << true << plain;
    QTest::newRow("path, plain: in place") << false << true << false << "";
}

void FilesTest::saveDecisionTable()
{
    QFETCH(bool, untitled);
    QFETCH(bool, editable);
    QFETCH(bool, secure);
    QFETCH(QString, shows);

    const QString path = desktopPath("doc.rtf");
    if (!untitled)
        setDocumentPath(path);
    type(QStringLiteral("Some text"));
    m_view->setReadOnly(!editable);
    setSecure(secure, true);
    const Snapshot before = snapshot();

    m_engine->btnSaveAction();

    if (shows.isEmpty()) {
        QTextDocument written;
        QVERIFY(rtf::read(readFile(path), &written).ok());
        QCOMPARE(written.toPlainText(), QStringLiteral("Some text"));
        QCOMPARE(readFile(path), m_state->DataToWrite);
        QCOMPARE(labelColor(m_label), colors::blue());
        QVERIFY(!m_state->textChanged);
        QVERIFY(!m_state->textColorSetToOrangeAfterEncryption);
        QCOMPARE(title(), before.title);
        QCOMPARE(recentDocuments(), QStringList());
        return;
    }
    if (shows == QLatin1String("panel")) {
        QFileDialog* panel = waitForPanel();
        QVERIFY(panel);
        QCOMPARE(panel->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(QDir(panel->directory()).canonicalPath(), QDir(m_desktop).canonicalPath());
        auto* name = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        QCOMPARE(name->text(), QStringLiteral("untitled.rtf"));
        panel->reject();
    } else {
        QMessageBox* alert = waitForAlert();
        QVERIFY(alert);
        QCOMPARE(alert->text(), shows);
        QCOMPARE(alert->icon(), QMessageBox::Warning);
        QCOMPARE(alert->buttons().size(), 2);
        QVERIFY(clickAlertButton(alert, QStringLiteral("Cancel")));
    }
    QTest::qWait(20);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(snapshot(), before);
    QVERIFY(!QFile::exists(path));
}

void FilesTest::warningFirstButtonClearsSecureFlag_data()
{
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("confirmPanel");
    QTest::newRow("plain-save warning, panel cancelled") << true << "Save as unsecured" << false;
    QTest::newRow("plain-save warning, panel confirmed") << true << "Save as unsecured" << true;
    QTest::newRow("encrypted warning, panel confirmed") << false << "Save as plain text" << true;
}

void FilesTest::warningFirstButtonClearsSecureFlag()
{
    QFETCH(bool, editable);
    QFETCH(QString, button);
    QFETCH(bool, confirmPanel);

    setDocumentPath(desktopPath("locked.srtf"));
    m_view->setPlainTextFromCode(QStringLiteral("U2FsdGVkX1 enciphered"));
    m_view->setReadOnly(!editable);
    setSecure(true, !editable);

    m_engine->btnSaveAction();
    QVERIFY(clickAlertButton(waitForAlert(), button));
    QFileDialog* panel = waitForPanel();
    QVERIFY(panel);
    // Cleared as soon as the panel is up, whatever it answers.
    QVERIFY(!m_state->isLastSavedASecureFile);

    const QString target = desktopPath("plain.rtf");
    if (!confirmPanel) {
        panel->reject();
        QTest::qWait(20);
        QVERIFY(!QFile::exists(target));
        QCOMPARE(m_view->isReadOnly(), !editable);
        return;
    }
    acceptPanel(panel, target);
    QCOMPARE(m_state->fileName, target);
    QCOMPARE(m_label->text(), target);
    QCOMPARE(title(), target);
    QCOMPARE(readFile(target), m_state->DataToWrite);
    QVERIFY(!m_view->isReadOnly());
    QVERIFY(!m_state->textColorSetToOrangeAfterEncryption);
    QCOMPARE(labelColor(m_label), colors::blue());
    QCOMPARE(recentDocuments(), QStringList{target});
}

void FilesTest::saveAsKeepsLabelColourAndFlags()
{
    m_view->setReadOnly(true);
    setSecure(true, true);
    m_view->setPlainTextFromCode(QStringLiteral("U2FsdGVkX1 orange"));
    setLabelColor(m_label, colors::red());
    m_state->textChanged = true;

    const QString target = desktopPath("copy.rtf");
    testsupport::answerNextModalPanel(target);
    m_engine->btnSaveAsAction(); // no warning in any state
    QCOMPARE(m_state->fileName, target);
    QCOMPARE(title(), target);
    QCOMPARE(readFile(target), m_state->DataToWrite);
    QVERIFY(!m_state->textChanged);
    QVERIFY(!m_view->isReadOnly());
    QCOMPARE(labelColor(m_label), colors::red());
    QVERIFY(m_state->isLastSavedASecureFile);
    QVERIFY(m_state->textColorSetToOrangeAfterEncryption);
    QCOMPARE(recentDocuments(), QStringList());

    // Cancel writes nothing and changes nothing.
    const Snapshot before = snapshot();
    testsupport::answerNextModalPanel(QString());
    m_engine->btnSaveAsAction();
    QCOMPARE(snapshot(), before);
}

void FilesTest::failedWritesChangeNothingAfterTheWrite_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("in place, path is a folder") << "in place";
    QTest::newRow("panel, missing folder") << "panel";
    QTest::newRow("save as, missing folder") << "save as";
}

void FilesTest::failedWritesChangeNothingAfterTheWrite()
{
    QFETCH(QString, how);
    const bool inPlace = how == QLatin1String("in place");
    const QString path = desktopPath(inPlace ? "folder.rtf" : "missing/doc.rtf");
    if (inPlace) {
        QVERIFY(QDir().mkpath(path));
        setDocumentPath(path);
    }
    type(QStringLiteral("unsaved words"));
    const QString text = m_view->toPlainText();

    if (inPlace) {
        m_engine->btnSaveAction();
    } else if (how == QLatin1String("panel")) {
        m_engine->btnSaveAction();
        acceptPanel(waitForPanel(), path);
    } else {
        testsupport::answerNextModalPanel(path);
        m_engine->btnSaveAsAction();
    }

    QMessageBox* alert = waitForAlert();
    QVERIFY(alert);
    QCOMPARE(alert->icon(), QMessageBox::Warning);
    QVERIFY2(alert->informativeText().contains(path), qPrintable(alert->informativeText()));
    alert->accept();
    QVERIFY(m_state->textChanged);
    QCOMPARE(labelColor(m_label), colors::red());
    QVERIFY(!m_view->isReadOnly());
    QCOMPARE(m_view->toPlainText(), text);
    QCOMPARE(recentDocuments(), QStringList());
    QVERIFY(!QFileInfo(path).isFile());
}

void FilesTest::openResetsStateAndSavesFormatting()
{
    const QString path = desktopPath("formatted.rtf");
    QVERIFY(testsupport::writeFile(path, formattedRtf()));
    m_view->setReadOnly(true);
    setSecure(true, true);
    setLabelColor(m_label, colors::red());

    m_engine->btnOpenAction(); // textChanged NO: the panel at once
    QFileDialog* panel = waitForPanel();
    QVERIFY(panel);
    QCOMPARE(panel->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(panel->fileMode(), QFileDialog::ExistingFile);
    acceptPanel(panel, path);
    QCOMPARE(m_state->fileName, path);
    QCOMPARE(m_label->text(), path);
    QCOMPARE(title(), path);
    QCOMPARE(labelColor(m_label), colors::blue());
    QVERIFY(!m_state->textChanged);
    QVERIFY(!m_state->textColorSetToOrangeAfterEncryption);
    QVERIFY(!m_state->isLastSavedASecureFile);
    QVERIFY(!m_view->isReadOnly());
    QCOMPARE(recentDocuments(), QStringList{path});

    QCOMPARE(m_view->toPlainText(), QStringLiteral("Bold red italic\nCentred line €"));

    // Saved again (in place, no warning): text and attributes survive.
    m_engine->btnSaveAction();
    QVERIFY(!QApplication::activeModalWidget());
    QTextDocument doc;
    QVERIFY(rtf::read(readFile(path), &doc).ok());
    QCOMPARE(doc.toPlainText(), m_view->toPlainText());
    QTextCursor at(&doc);
    at.setPosition(1);
    QCOMPARE(at.charFormat().fontWeight(), int(QFont::Bold));
    QVERIFY(!at.charFormat().fontItalic());
    at.setPosition(7);
    QVERIFY(at.charFormat().fontItalic());
    QCOMPARE(at.charFormat().foreground().color(), QColor(200, 0, 0));
    QCOMPARE(doc.lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
}

void FilesTest::openAsksFirstWithUnsavedEdits()
{
    const QString path = desktopPath("other.rtf");
    QVERIFY(testsupport::writeFile(path, formattedRtf()));
    type(QStringLiteral("precious"));
    const Snapshot before = snapshot();

    m_engine->btnOpenAction();
    QMessageBox* alert = waitForAlert();
    QCOMPARE(alert->text(), QStringLiteral("Document not saved."));
    QVERIFY(clickAlertButton(alert, QStringLiteral("Cancel")));
    QCOMPARE(snapshot(), before);

    m_engine->btnOpenAction();
    QVERIFY(clickAlertButton(waitForAlert(), QStringLiteral("Open anyway")));
    waitForPanel()->reject(); // the text is lost only when a file is chosen
    QTest::qWait(20);
    QCOMPARE(snapshot(), before);

    m_engine->btnOpenAction();
    QVERIFY(clickAlertButton(waitForAlert(), QStringLiteral("Open anyway")));
    acceptPanel(waitForPanel(), path);
    QVERIFY(m_view->toPlainText().startsWith(QLatin1String("Bold")));
    QVERIFY(!m_state->textChanged);
}

void FilesTest::unreadableOrNonRtfFileChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: no file of that name
    QTest::newRow("missing") << "gone.rtf" << QByteArray();
    QTest::newRow("folder") << "folder.rtf" << QByteArray();
    QTest::newRow("plain text") << "text.rtf" << QByteArray("just words, no rtf\n");
    QTest::newRow("empty") << "empty.rtf" << QByteArray("");
    QTest::newRow("binary") << "image.rtf" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11);
}

void FilesTest::unreadableOrNonRtfFileChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString path = m_desktop + QLatin1Char('/') + name;
    if (name.startsWith(QLatin1String("folder")))
        QVERIFY(QDir().mkpath(path));
    else if (!content.isNull())
        QVERIFY(testsupport::writeFile(path, content));

    type(QStringLiteral("keep me"));
    m_state->textChanged = false; // so Open goes straight on
    m_state->isLastSavedASecureFile = true;
    const Snapshot before = snapshot();

    if (content.isEmpty() || !QFileInfo(path).isFile()) {
        m_engine->openRecentDocument(path);
    } else {
        m_engine->btnOpenAction();
        acceptPanel(waitForPanel(), path);
    }
    QMessageBox* alert = waitForAlert();
    QVERIFY(alert);
    QVERIFY2(alert->informativeText().contains(path), qPrintable(alert->informativeText()));
    alert->accept();
    QCOMPARE(snapshot(), before);
    QCOMPARE(recentDocuments(), QStringList());
}

void FilesTest::newWithAndWithoutAlert()
{
    const QString path = desktopPath("n.rtf");
    const QString untitled = QStringLiteral("untitled.rtf");
    setDocumentPath(path);
    setSecure(true, true);

    // No edits: no alert, the label keeps its colour.
    m_view->setPlainTextFromCode(QStringLiteral("old"));
    m_view->setReadOnly(true);
    setLabelColor(m_label, colors::orange());
    m_engine->btnNewAction();
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(m_view->isEmpty());
    QVERIFY(!m_view->isReadOnly());
    QCOMPARE(m_state->fileName, untitled);
    QCOMPARE(m_label->text(), untitled);
    QCOMPARE(title(), untitled);
    QCOMPARE(labelColor(m_label), colors::orange());

    // Edits: the alert; Cancel keeps everything, OK starts afresh with a blue label.
    setDocumentPath(path);
    type(QStringLiteral("edited")); // the first edit also ends the orange display
    m_state->textColorSetToOrangeAfterEncryption = true;
    const Snapshot before = snapshot();
    m_engine->btnNewAction();
    QMessageBox* alert = waitForAlert();
    QCOMPARE(alert->text(), QStringLiteral("Create new document?"));
    QCOMPARE(alert->informativeText(), QStringLiteral("Document not saved!"));
    QVERIFY(clickAlertButton(alert, QStringLiteral("Cancel")));
    QCOMPARE(snapshot(), before);

    m_engine->btnNewAction();
    QVERIFY(clickAlertButton(waitForAlert(), QStringLiteral("OK")));
    QVERIFY(m_view->isEmpty());
    QCOMPARE(m_state->fileName, untitled);
    QCOMPARE(title(), untitled);
    QCOMPARE(labelColor(m_label), colors::blue());
    QVERIFY(!m_state->textChanged);
    // Neither path touches the secure flags.
    QVERIFY(m_state->isLastSavedASecureFile);
    QVERIFY(m_state->textColorSetToOrangeAfterEncryption);
}

void FilesTest::clearLeavesFlags()
{
    setDocumentPath(desktopPath("c.rtf"));
    type(QStringLiteral("to be cleared"));
    m_view->setReadOnly(true);
    setSecure(true, true);
    Snapshot before = snapshot();

    m_engine->btnClearAction();
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(m_view->isEmpty());
    const Snapshot after = snapshot();
    before.html = after.html;
    before.readOnly = false;
    QCOMPARE(after, before);
}

void FilesTest::quitAndWindowClose_data()
{
    QTest::addColumn<bool>("byClosingWindow");
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("ends");
    for (bool close : {false, true}) {
        const char* how = close ? "close" : "quit";
        QTest::addRow("%s, no edits", how) << close << false << QString() << true;
        QTest::addRow("%s, edits, OK", how) << close << true << "OK" << true;
        QTest::addRow("%s, edits, Cancel", how) << close << true << "Cancel" << false;
    }
}

void FilesTest::quitAndWindowClose()
{
    QFETCH(bool, byClosingWindow);
    QFETCH(bool, edited);
    QFETCH(QString, answer);
    QFETCH(bool, ends);

    QSignalSpy engineEnds(m_engine, &Engine::terminateRequested);
    QSignalSpy controllerEnds(m_layout->appController, &AppController::terminateRequested);
    if (edited)
        type(QStringLiteral("unsaved"));
    const Snapshot before = snapshot();

    if (byClosingWindow)
        m_layout->mainWindow->close();
    else
        m_layout->action(QStringLiteral("btnQuitAction"))->trigger();

    if (edited) {
        QVERIFY(m_layout->mainWindow->isVisible()); // the close was refused
        QMessageBox* alert = waitForAlert();
        QVERIFY(alert);
        QCOMPARE(alert->text(), QStringLiteral("Quit Velko?"));
        QCOMPARE(alert->informativeText(),
                 QStringLiteral("Document not saved! Do you really want to quit?"));
        QCOMPARE(alert->parentWidget(), m_layout->mainWindow.get());
        QVERIFY(clickAlertButton(alert, answer));
    }
    QCOMPARE(engineEnds.count() + controllerEnds.count(), ends ? 1 : 0);
    if (!ends) {
        QCOMPARE(snapshot(), before);
        QVERIFY(m_layout->mainWindow->isVisible());
    }
}

void FilesTest::quitAlertGoesOnTheSendersWindow()
{
    QWidget other;
    auto* quit = new QPushButton(QStringLiteral("Quit"), &other);
    connect(quit, &QPushButton::clicked, m_engine, &Engine::btnQuitAction);
    other.show();
    type(QStringLiteral("x"));
    quit->click();
    QMessageBox* alert = waitForAlert();
    QVERIFY(alert);
    QCOMPARE(alert->parentWidget(), &other);
    QVERIFY(clickAlertButton(alert, QStringLiteral("Cancel")));
}

void FilesTest::openRecentMenu()
{
    const QString a = desktopPath("a.rtf");
    const QString b = desktopPath("b.rtf");
    QVERIFY(testsupport::writeFile(b, formattedRtf()));
    type(QStringLiteral("first"));
    m_engine->btnSaveAction();
    acceptPanel(waitForPanel(), a);
    QCOMPARE(recentDocuments(), QStringList{a});
    type(QStringLiteral(" more"));
    m_engine->btnSaveAction(); // in place: not noted again
    m_engine->openRecentDocument(b);
    QCOMPARE(recentDocuments(), (QStringList{b, a}));

    QMenu* menu = m_layout->openRecentMenu;
    emit menu->aboutToShow();
    const QList<QAction*> entries = menu->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0)->data().toString(), b);
    QVERIFY(entries.at(1)->text().contains(QLatin1String("a.rtf")));

    // With unsaved edits the choice asks first.
    type(QStringLiteral("edit"));
    entries.at(1)->trigger();
    QVERIFY(clickAlertButton(waitForAlert(), QStringLiteral("Open anyway")));
    QCOMPARE(m_state->fileName, a);
    QCOMPARE(m_view->toPlainText(), QStringLiteral("first more"));
    QVERIFY(!m_state->textChanged);
}

QTEST_MAIN(FilesTest)
#include "tst_files.moc"
