// The document window's frame: launch steps, the cipher pop-ups, the
// secondary windows, names for assistive tools, and what the window takes
// from the desktop (font, colours) and from the last run (its place).
#include "testsupport.h"

#include "app/application.h"
#include "core/desktop/desktopsettings.h"
#include "core/desktop/useraccount.h"
#include "core/preferences.h"
#include "feedback/childwindow.h"
#include "feedback/colors.h"
#include "feedback/sheets.h"
#include "feedback/velkofield_delegate.h"
#include "rtf/rtf.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>

#include <optional>

using namespace velko;

class FrameTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The desktop's settings in a file of the test's own, which the
        // gsettings tool changes as a settings panel would. GLib settles
        // where they live at its first use.
        QVERIFY(m_desktopSettings.isValid());
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_desktopSettings.path()));
        m_haveDesktopSettings = desktopColorScheme().has_value();
    }
    void init()
    {
        m_home.emplace();
        m_layout = testsupport::makeDocumentWindow();
    }
    void cleanup()
    {
        m_layout.reset();
        m_home.reset();
    }
    void launchStepsShowUserAndChangeToHome();
    void gecosFullName();
    void cipherPopUpsAreIndependent();
    void aboutBoxShownOnceFollowsTheWindowAndLetsItWork();
    void everyControlHasAnAccessibleNameAndIcon();
    void secondaryWindowsAreCentredDialogs();
    void desktopFontNames_data();
    void desktopFontNames();
    void newDocumentsAndColoursFollowTheDesktop();
    void windowPlaceIsRemembered();

private:
    void setDesktop(const char* key, const QString& value);

    QTemporaryDir m_desktopSettings;
    bool m_haveDesktopSettings = false;
    std::optional<testsupport::TempHome> m_home;
    std::unique_ptr<Layout> m_layout;
};

void FrameTest::launchStepsShowUserAndChangeToHome()
{
    const QString previous = QDir::currentPath();
    m_layout->appController->applicationDidFinishLaunching();
    QCOMPARE(m_layout->appController->currentUser->text(), fullUserName());
    QCOMPARE(QDir::currentPath(), QDir(m_home->path()).canonicalPath());
    QDir::setCurrent(previous);
    // The label follows its colour rule from the start.
    QCOMPARE(testsupport::flagsOf(*m_layout), "clean plain");
}

void FrameTest::gecosFullName()
{
    // Office fields are cut, "&" stands for the capitalised login, no name gives the login.
    QCOMPARE(fullNameFromGecos("Ada Lovelace,Room 1,555", "ada"), QStringLiteral("Ada Lovelace"));
    QCOMPARE(fullNameFromGecos("& Smith", "john"), QStringLiteral("John Smith"));
    QCOMPARE(fullNameFromGecos(",,,", "bob"), QStringLiteral("bob"));
}

// The document window's pop-up chooses the cipher to lock with, the
// unlock-on-open window's its own; both start at Blowfish.
void FrameTest::cipherPopUpsAreIndependent()
{
    DocumentState& state = *m_layout->state;
    QCOMPARE(state.cipher, QStringLiteral("-blowfish"));
    emit m_layout->engine->cipherPopUpButton->activated(3);
    QCOMPARE(state.cipher, QStringLiteral("-rc4"));
    QCOMPARE(state.selectedCipher, QStringLiteral("-blowfish"));
    emit m_layout->appController->btnPopUpButtonOpen->activated(1);
    QCOMPARE(state.selectedCipher, QStringLiteral("-des3"));
    QCOMPARE(state.cipher, QStringLiteral("-rc4"));
    QVERIFY(!state.textChanged);
}

void FrameTest::aboutBoxShownOnceFollowsTheWindowAndLetsItWork()
{
    QMainWindow* window = m_layout->mainWindow.get();
    QWidget* about = m_layout->engine->aboutWindowOpen;
    m_layout->action("btnShowAboutBox")->trigger();
    m_layout->action("btnShowAboutBox")->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QVERIFY(isChildWindowAttached(window, about));
    int shown = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        shown += top->isVisible() && top->objectName() == QLatin1String("aboutWindowOpen");
    QCOMPARE(shown, 1);

    const QPoint aboutBefore = about->pos();
    window->move(window->pos() + QPoint(40, 25));
    QTRY_COMPARE(about->pos(), aboutBefore + QPoint(40, 25));

    // The document window still takes typing while the box is up.
    window->activateWindow();
    testsupport::typeIntoView(*m_layout, QStringLiteral("abc"));
    QCOMPARE(m_layout->engine->VelkoField->toPlainText(), QStringLiteral("abc"));
    QVERIFY(m_layout->state->textChanged);

    // Escape closes it, as it closes Preferences.
    for (QWidget* shown : {about, m_layout->engine->windowPreferences}) {
        attachChildWindow(window, shown);
        QTRY_COMPARE(QApplication::activeWindow(), shown);
        QTest::keyClick(shown, Qt::Key_Escape);
        QVERIFY2(!shown->isVisible(), qPrintable(shown->objectName()));
        QVERIFY(!isChildWindowAttached(window, shown));
    }
}

void FrameTest::everyControlHasAnAccessibleNameAndIcon()
{
    QMainWindow* window = m_layout->mainWindow.get();
    for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
        // Skips Qt's own fields; the fields of editable boxes are named too.
        if (field->objectName() == QLatin1String("fileNameEdit") ||
            field->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QVERIFY2(!field->accessibleName().isEmpty(), qPrintable(field->objectName()));
    }
    for (QComboBox* box : window->findChildren<QComboBox*>())
        QVERIFY2(!box->accessibleName().isEmpty(), qPrintable(box->objectName()));
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->inherits("QLineEditIconButton"))
            continue;
        QVERIFY2(!button->text().isEmpty() || !button->accessibleName().isEmpty(),
                 qPrintable(button->objectName()));
    }
    // Every command shows its text and an icon, in the menus and on the bars,
    // where the desktop has no icon theme too; greyed out, no colour is left.
    // The highlight's letters stay dark on its swatch on a dark palette.
    const auto pixels = [](const QImage& image, auto count) {
        int n = 0;
        for (int i = 0; i < image.width() * image.height(); ++i)
            n += count(QColor::fromRgba(image.pixel(i % image.width(), i / image.width())));
        return n;
    };
    QList<QAction*> commands = m_layout->actions.values();
    QList<QAction*> menus = window->menuBar()->actions();
    while (!menus.isEmpty()) {
        for (QAction* item : menus.takeFirst()->menu()->actions()) {
            if (item->menu())
                menus << item;
            if (!item->isSeparator() && item->isEnabled()) // not "No Recent Documents"
                commands << item;
        }
    }
    for (QAction* action : std::as_const(commands)) {
        QVERIFY2(!action->text().isEmpty(), qPrintable(action->objectName()));
        QVERIFY2(!action->icon().pixmap(16).isNull(), qPrintable(action->text()));
        const QImage disabled = action->icon().pixmap(16, QIcon::Disabled).toImage();
        QVERIFY2(!pixels(disabled, [](QColor c) { return c.alpha() && c.hsvSaturation() > 8; }),
                 qPrintable(action->text()));
    }
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::WindowText, Qt::white);
    QApplication::setPalette(dark);
    const QImage highlight = m_layout->action("formatHighlightColor")->icon().pixmap(32).toImage();
    QApplication::setPalette(light);
    QVERIFY(pixels(highlight.copy(4, 8, 24, 16), [](QColor c) { return c.lightness() < 100; }));
}

void FrameTest::secondaryWindowsAreCentredDialogs()
{
    QMainWindow* window = m_layout->mainWindow.get();
    const QList<QWidget*> secondary = {
        m_layout->engine->aboutWindowOpen, m_layout->engine->windowEnterKeyWord,
        m_layout->engine->windowUnlockKeyword, m_layout->engine->translationWindow,
        m_layout->appController->windowUnlockFileWithKeyword};
    for (QWidget* child : secondary) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(child);
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::Dialog);
        QCOMPARE(accessible->text(QAccessible::Name), child->windowTitle());
        attachChildWindow(window, child);
        QVERIFY(QTest::qWaitForWindowExposed(child));
        const QPoint off = child->frameGeometry().center() - window->frameGeometry().center();
        QVERIFY2(off.manhattanLength() <= 4, qPrintable(child->objectName()));
        // The whole title fits in the title bar.
        QVERIFY2(child->width() >= titleFittingWidth(child), qPrintable(child->objectName()));
        detachChildWindow(window, child);
    }
    // Alerts too, centred at the width their title needs.
    QMessageBox* alert = createNotice(window, QMessageBox::Warning,
                                      QStringLiteral("The document could not be unlocked because "
                                                     "the keyword did not match it"));
    alert->open();
    QVERIFY(QTest::qWaitForWindowExposed(alert));
    QVERIFY(alert->width() >= titleFittingWidth(alert));
    const QPoint off = alert->frameGeometry().center() - window->frameGeometry().center();
    QVERIFY(off.manhattanLength() <= 4);
    alert->close();
}

void FrameTest::desktopFontNames_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    QTest::newRow("family and size") << "Cantarell 11"
                                     << "Cantarell" << 11.0 << false;
    QTest::newRow("styles") << "DejaVu Sans Bold Italic 10.5"
                            << "DejaVu Sans" << 10.5 << true;
    QTest::newRow("no size") << "  Liberation   Serif "
                             << "Liberation Serif" << 0.0 << false;
    QTest::newRow("only a size") << "12" << QString() << 0.0 << false;
}

void FrameTest::desktopFontNames()
{
    QFETCH(QString, description);
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(bool, bold);
    const std::optional<DesktopFont> font = parseDesktopFont(description);
    QCOMPARE(font.has_value(), !family.isEmpty());
    if (font) {
        QCOMPARE(font->family, family);
        QCOMPARE(font->pointSize, points);
        QCOMPARE(font->bold, bold);
    }
}

void FrameTest::setDesktop(const char* key, const QString& value)
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_desktopSettings.path());
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral("gsettings"),
               {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.interface"),
                QString::fromLatin1(key), value});
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitCode(), 0);
}

// A new document starts in the desktop's document font, not the last
// document's; the window turns dark and light with the desktop, the page
// stays white.
void FrameTest::newDocumentsAndColoursFollowTheDesktop()
{
    if (!m_haveDesktopSettings)
        QSKIP("the desktop's interface settings (gsettings-desktop-schemas) are not installed");
    VelkoTextView* view = m_layout->engine->VelkoField;
    setDesktop("document-font-name", QStringLiteral("DejaVu Serif 13"));
    QTRY_COMPARE(view->newDocumentFont().family(), QStringLiteral("DejaVu Serif"));
    QVERIFY(view->setRtfFromCode("{\\rtf1{\\fonttbl{\\f0 Times;}}\\f0\\fs40 Old}").ok());
    m_layout->action("btnNewAction")->trigger();
    QCOMPARE(view->document()->defaultFont().pointSizeF(), 13.0);
    testsupport::typeIntoView(*m_layout, QStringLiteral("new"));
    const QByteArray rtf = rtf::write(*view->document());
    QVERIFY2(rtf.contains("\\f0\\fnil\\fcharset0 DejaVu Serif;") && rtf.contains("\\fs26"),
             rtf.constData());
    QVERIFY(!rtf.contains("Times"));
    auto* sizeBox = m_layout->mainWindow->findChild<QComboBox*>(QStringLiteral("fontSizeBox"));
    QCOMPARE(sizeBox->currentText(), QStringLiteral("13"));

    const auto lightness = [](const QWidget* widget, QPalette::ColorRole role) {
        return widget->palette().color(role).lightness();
    };
    setDesktop("color-scheme", QStringLiteral("prefer-dark"));
    QTRY_VERIFY(lightness(m_layout->mainWindow.get(), QPalette::Window) < 128);
    QVERIFY(lightness(m_layout->mainWindow.get(), QPalette::WindowText) > 128);
    // The edit indicator keeps its meaning in a shade that reads on dark.
    QLabel* label = m_layout->engine->setFileNameLabel;
    QCOMPARE(labelColor(label), colors::red());
    QTRY_VERIFY(lightness(label, QPalette::WindowText) > 128);
    QCOMPARE(label->palette().color(QPalette::WindowText).hslHue(), colors::red().hslHue());
    QCOMPARE(view->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(view->palette().color(QPalette::Text), QColor(Qt::black));
    setDesktop("color-scheme", QStringLiteral("default"));
    QTRY_VERIFY(lightness(m_layout->mainWindow.get(), QPalette::Window) >= 128);
    QCOMPARE(label->palette().color(QPalette::WindowText), colors::red());
}

void FrameTest::windowPlaceIsRemembered()
{
    QMainWindow* window = m_layout->mainWindow.get();
    connectTermination(*m_layout);
    window->setGeometry(QRect(70, 90, 640, 410));
    emit m_layout->engine->terminateRequested();
    QTRY_VERIFY(!loadWindowGeometry().isEmpty());
    QMainWindow next;
    QVERIFY(next.restoreGeometry(loadWindowGeometry()));
    QCOMPARE(next.size(), QSize(640, 410));
}

QTEST_MAIN(FrameTest)
#include "tst_frame.moc"
