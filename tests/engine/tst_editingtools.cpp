// The editing tools on the real document window: every format command through
// its action or the size box, read-only output, the find bar, shortcuts, zoom
// and PDF export. The commands themselves are tested on bare documents in
// textedit/tst_textedit.cpp.

#include "testsupport.h"

#include "engine/editingtools.h"
#include "feedback/findbar.h"
#include "feedback/viewzoom.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFontDialog>
#include <QImage>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

using namespace velko;

namespace {

struct Window
{
    testsupport::TempHome home;
    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    VelkoTextView* view() const { return layout->engine->VelkoField; }
    EditingTools* tools() const { return layout->mainWindow->findChild<EditingTools*>(); }
    // Triggers the named actions in turn.
    template <typename... Names> void trigger(Names... names) const
    {
        (layout->action(QString::fromLatin1(names))->trigger(), ...);
    }
    void select(int start, int end) const
    {
        QTextCursor cursor = view()->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        view()->setTextCursor(cursor);
    }
    // Types `text` into the size field and presses Return.
    void typeSize(const QString& text) const
    {
        QLineEdit* edit = tools()->fontSizeBox()->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    bool markedChanged() const
    {
        return layout->state->textChanged &&
               labelColor(layout->engine->setFileNameLabel) == colors::red();
    }
};

} // namespace

class TestEditingTools : public QObject
{
    Q_OBJECT
private slots:
    // Each command through its action ("size:N": N typed into the size box), on
    // "Hello" selected: applied as the user's edit and taken back by one Undo.
    // The clipboard holds bold text; the dialogs answer #123456 and Serif 17.
    void actionEditsAreUndoable_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QString>("shows"); // in the document's HTML after, not before
        QTest::addColumn<bool>("removes");  // instead: in the HTML before, not after
        const auto row = [](const char* action, const char* shows,
                            const char* start = "{\\rtf1 Hello world}", bool removes = false) {
            QTest::newRow(action) << QString::fromLatin1(action) << QByteArray(start)
                                  << QString::fromLatin1(shows) << removes;
        };
        row("formatBold", "font-weight:700");
        row("formatItalic", "font-style:italic");
        row("formatUnderline", "text-decoration: underline");
        row("formatStrikeOut", "line-through");
        row("formatSuperscript", "vertical-align:super");
        row("formatSubscript", "vertical-align:sub");
        row("formatTextColor", " color:#123456");
        row("formatHighlightColor", "background-color:#123456");
        row("formatFont", "font-size:17pt");
        row("size:18", "font-size:18pt"); // one of the box's own sizes
        row("size:21", "font-size:21pt"); // typed, not one of them
        row("formatClear", "font-weight:700", "{\\rtf1{\\b Hello} world}", true);
        row("formatAlignCenter", "align=\"center\"");
        row("formatAlignRight", "align=\"right\"");
        row("formatAlignJustify", "align=\"justify\"");
        row("formatAlignLeft", " align=", "{\\rtf1\\qc Hello world}", true);
        row("formatIndentMore", "-qt-block-indent:1");
        row("formatIndentLess", "-qt-block-indent:1", "{\\rtf1\\velkoindent1 Hello world}", true);
        row("formatBulletList", "<ul");
        row("formatNumberedList", "<ol");
        row("editPastePlainText", ">strong world<"); // without the bold of the copied text
        row("formatInsertTable", "<table");
        row("formatInsertPicture", "<img src=\"velko-picture:");
        row("tableInsertColumnRight", "<td width=\"33.3333%\"",
            "{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl Hello\\cell b\\cell\\row}");
        row("paste picture", "<img src=\"velko-picture:");
    }

    void actionEditsAreUndoable()
    {
        QFETCH(QString, action);
        QFETCH(QByteArray, start);
        QFETCH(QString, shows);
        QFETCH(bool, removes);
        Window w;
        QVERIFY(w.view()->setRtfFromCode(start).ok());
        // A table's rows and columns change from within its first cell.
        w.select(action.startsWith(QLatin1String("table")) ? 1 : 0, 5);
        const QString before = w.view()->toHtml();
        QVERIFY(before.contains(shows) == removes);
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::green);
        const QString picturePath = w.home.filePath(QStringLiteral("picture.png"));
        QVERIFY(picture.save(picturePath));
        auto* copied = new QMimeData;
        if (action == QLatin1String("paste picture")) {
            copied->setImageData(picture);
            action = QStringLiteral("editPaste");
        } else {
            copied->setHtml(QStringLiteral("<b>strong</b>"));
            copied->setText(QStringLiteral("strong"));
        }
        QApplication::clipboard()->setMimeData(copied);
        QTimer::singleShot(50, w.layout->mainWindow.get(), [picturePath] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (auto* panel = qobject_cast<QFileDialog*>(dialog))
                return testsupport::acceptPanel(panel, picturePath);
            if (auto* colors = qobject_cast<QColorDialog*>(dialog))
                colors->setCurrentColor(QColor(0x12, 0x34, 0x56));
            if (auto* fonts = qobject_cast<QFontDialog*>(dialog))
                fonts->setCurrentFont(QFont(QStringLiteral("Serif"), 17));
            if (auto* answered = qobject_cast<QDialog*>(dialog))
                answered->accept();
        });
        if (action.startsWith(QLatin1String("size:")))
            w.typeSize(action.mid(5));
        else
            w.layout->action(action)->trigger();
        QTRY_VERIFY2(w.view()->toHtml().contains(shows) != removes, qPrintable(w.view()->toHtml()));
        QVERIFY(w.markedChanged());
        w.trigger("editUndo");
        QCOMPARE(w.view()->toHtml(), before);
    }

    // Nonsense typed into the size box changes nothing; the box shows the size
    // again. A family's name too long for its box shows from its start.
    void sizeBoxTakesTypedSizes()
    {
        Window w;
        w.view()->setPlainTextFromCode(QStringLiteral("Hello world"));
        w.select(0, 5);
        const QString shown = w.tools()->fontSizeBox()->currentText();
        QCOMPARE(shown.toDouble(), w.view()->document()->defaultFont().pointSizeF());
        const QString before = w.view()->toHtml();
        w.typeSize(QStringLiteral("huge"));
        QTRY_COMPARE(w.tools()->fontSizeBox()->currentText(), shown);
        QCOMPARE(w.view()->toHtml(), before);

        QTextCharFormat longName;
        longName.setFontFamilies({QStringLiteral("A Family Whose Name Runs Long Past Its Box")});
        w.view()->textCursor().mergeCharFormat(longName);
        w.select(1, 2);
        QCOMPARE(w.tools()->fontFamilyBox()->lineEdit()->cursorPosition(), 0);
    }

    void readOnlyOutputDisablesChangingCommands()
    {
        Window w;
        w.view()->setPlainTextFromCode(QStringLiteral("U2FsdGVkX19output"));
        w.select(0, 5);
        w.view()->setReadOnly(true);
        const QStringList changing{"editUndo",  "editRedo",           "editCut",
                                   "editPaste", "editPastePlainText", "editReplace"};
        for (const QAction* action : w.tools()->actions()) {
            const QString name = action->objectName();
            const bool changes = name.startsWith(QLatin1String("format")) ||
                                 name.startsWith(QLatin1String("table")) || changing.contains(name);
            QVERIFY2(action->isEnabled() != changes, qPrintable(name));
        }
        QVERIFY(!w.tools()->fontSizeBox()->isEnabled() && !w.tools()->fontFamilyBox()->isEnabled());

        // Even called directly, nothing changes the output.
        w.tools()->setBold(true);
        w.tools()->setList(QTextListFormat::ListDisc, true);
        QVERIFY(!w.view()->toHtml().contains(QLatin1String("font-weight:700")));
        QVERIFY(!w.view()->toHtml().contains(QLatin1String("<ul")));
        QVERIFY(!w.layout->state->textChanged);
    }

    void findBarReplacesAsUserEditButNotReadOnlyText()
    {
        Window w;
        w.view()->setPlainTextFromCode(QStringLiteral("red fish, blue fish, Fish"));
        w.trigger("editReplace");
        FindBar* bar = w.tools()->findBar();
        QVERIFY(bar->isVisible());
        bar->findField()->setText(QStringLiteral("fish"));
        bar->replaceField()->setText(QStringLiteral("cat"));
        bar->matchCaseBox()->setChecked(true);
        const auto click = [bar](const char* button) {
            bar->findChild<QPushButton*>(QLatin1String(button))->click();
        };

        // Replace with nothing selected only finds; the second press replaces.
        click("replaceButton");
        QCOMPARE(w.view()->textCursor().selectedText(), QStringLiteral("fish"));
        QVERIFY(!w.layout->state->textChanged);
        click("replaceButton");
        QCOMPARE(w.view()->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));
        QVERIFY(w.markedChanged());
        click("replaceAllButton");
        QCOMPARE(w.view()->toPlainText(), QStringLiteral("red cat, blue cat, Fish"));
        QCOMPARE(bar->statusText(), QStringLiteral("1 replaced"));
        w.trigger("editUndo");
        QCOMPARE(w.view()->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));

        // Read-only text (a lock's output) can be searched but not replaced.
        w.view()->setReadOnly(true);
        QVERIFY(!bar->findChild<QPushButton*>(QStringLiteral("replaceAllButton"))->isEnabled());
        w.trigger("editFindNext");
        QCOMPARE(w.view()->textCursor().selectedText(), QStringLiteral("fish"));
        bar->replaceAllOccurrences();
        QCOMPARE(w.view()->toPlainText(), QStringLiteral("red cat, blue fish, Fish"));
    }

    // No key does two things: shortcuts, and the Alt letters of the menus and the
    // window's controls (a check box once took Alt+H from Help). The keys other
    // editors use for these commands are there on every platform.
    void keysAreUniqueAndWhereUsersLook()
    {
        Window w;
        QHash<QKeySequence, QString> owners;
        for (auto it = w.layout->actions.cbegin(); it != w.layout->actions.cend(); ++it) {
            for (const QKeySequence& key : it.value()->shortcuts()) {
                QVERIFY2(!owners.contains(key), qPrintable(key.toString() + ' ' + it.key()));
                owners.insert(key, it.key());
            }
        }
        QCOMPARE(owners.value(QKeySequence(QStringLiteral("Ctrl+H"))),
                 QStringLiteral("editReplace"));
        QCOMPARE(owners.value(QKeySequence(QStringLiteral("Ctrl+Shift+S"))),
                 QStringLiteral("btnSaveAsAction"));
        QCOMPARE(owners.value(QKeySequence(QStringLiteral("Ctrl+="))),
                 QStringLiteral("viewZoomIn"));

        QStringList texts;
        for (QAction* menu : w.layout->mainWindow->menuBar()->actions())
            texts << menu->text();
        for (QAbstractButton* button :
             w.layout->mainWindow->centralWidget()->findChildren<QAbstractButton*>())
            texts << button->text();
        for (QLabel* label : w.layout->mainWindow->centralWidget()->findChildren<QLabel*>()) {
            if (label->buddy())
                texts << label->text();
        }
        QHash<QChar, QString> letters;
        for (const QString& text : std::as_const(texts)) {
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            if (amp < 0 || amp + 1 >= text.size())
                continue;
            const QChar letter = text.at(amp + 1).toLower();
            QVERIFY2(!letters.contains(letter), qPrintable(letters.value(letter) + " / " + text));
            letters.insert(letter, text);
        }
        QVERIFY(letters.size() >= 8);

        // Tab types a tab; Ctrl+Tab and F6 leave the text.
        w.layout->mainWindow->show();
        QApplication::setActiveWindow(w.layout->mainWindow.get());
        w.view()->setFocus();
        QTest::keyClick(w.view(), Qt::Key_Tab);
        QCOMPARE(w.view()->toPlainText(), QStringLiteral("\t"));
        for (const QKeyCombination key : {Qt::CTRL | Qt::Key_Tab, QKeyCombination(Qt::Key_F6)}) {
            w.view()->setFocus();
            QTest::keyClick(w.view(), key.key(), key.keyboardModifiers());
            QVERIFY2(!w.view()->hasFocus(), qPrintable(QKeySequence(key).toString()));
        }
    }

    void zoomScalesWhatTheViewShows()
    {
        Window w;
        w.view()->setPlainTextFromCode(QStringLiteral("Some text to lay out"));
        const auto height = [&w] {
            return w.view()->document()->documentLayout()->documentSize().height();
        };
        const qreal actual = height();
        w.trigger("viewZoomIn", "viewZoomIn");
        QCOMPARE(w.tools()->zoom()->factor(), 1.25);
        // The document's margin is not magnified, its text is.
        const qreal margins = 2 * w.view()->document()->documentMargin();
        QVERIFY(height() - margins > (actual - margins) * 1.2);
        // A document read anew is shown at the same magnification.
        QVERIFY(w.view()->setRtfFromCode("{\\rtf1 Some text to lay out}").ok());
        const qreal zoomed = height();
        w.trigger("viewActualSize");
        QVERIFY(zoomed > height() * 1.2);
        for (int i = 0; i < 20; ++i)
            w.trigger("viewZoomOut");
        QCOMPARE(w.tools()->zoom()->factor(), 0.5);
        QVERIFY(!w.layout->state->textChanged);
    }

    void exportAsPdfReplacesTheFile()
    {
        Window w;
        QVERIFY(w.view()
                    ->setRtfFromCode("{\\rtf1{\\b Dear} reader\\par{\\strike struck} {\\i marked}}")
                    .ok());
        const Status status =
            w.tools()->exportPdfTo(w.home.filePath(QStringLiteral("no/dir/out.pdf")));
        QCOMPARE(status.ok() ? ErrorCode{} : status.error().code, ErrorCode::FileWrite);

        const QString kept = w.home.filePath(QStringLiteral("kept.pdf"));
        QVERIFY(testsupport::writeFile(kept, "old"));
        QVERIFY(w.tools()->exportPdfTo(kept).ok());
        QVERIFY(testsupport::readFile(kept).startsWith("%PDF-"));

        const QString path = w.home.filePath(QStringLiteral("letter.pdf"));
        testsupport::answerNextModalPanel(w.home.filePath(QStringLiteral("letter")));
        w.trigger("fileExportPdf");

        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QProcess tool;
        tool.start(pdftotext, {path, QStringLiteral("-")});
        QVERIFY(tool.waitForFinished(30000) && tool.exitCode() == 0);
        const QString text = QString::fromUtf8(tool.readAllStandardOutput());
        QVERIFY2(text.contains("Dear reader") && text.contains("struck marked"), qPrintable(text));
    }
};

QTEST_MAIN(TestEditingTools)
#include "tst_editingtools.moc"
