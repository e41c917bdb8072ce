// The desktop entry, the secure document type and the icon, as installed.
#include "testfiles.h"

#include "app/singleinstance.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The program's merged output, with a note in front when it failed.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ok = process.waitForFinished(60000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const QString output = QString::fromUtf8(process.readAll()).trimmed();
    return ok ? output : QStringLiteral("failed: ") + output;
}

} // namespace

class DesktopFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void entryIsValidAndLaunchesVelkoForItsTypes();
    void secureDocumentsAreRecognised();

private:
    QTemporaryDir m_prefix;
    QString entryPath() const
    {
        return m_prefix.filePath(QStringLiteral("share/applications/") + velko::kApplicationId +
                                 QStringLiteral(".desktop"));
    }
};

void DesktopFilesTest::initTestCase()
{
    // Installs only the desktop files, then builds the MIME cache as a
    // package's post-install step would.
    QCOMPARE(QProcess::execute(QStringLiteral(VELKO_CMAKE_COMMAND),
                               {QStringLiteral("--install"), QStringLiteral(VELKO_BUILD_DIR),
                                QStringLiteral("--component"), QStringLiteral("desktop"),
                                QStringLiteral("--prefix"), m_prefix.path()}),
             0);
    // Before the first QMimeDatabase: our tree first, then the system's.
    qputenv("XDG_DATA_HOME", m_prefix.filePath(QStringLiteral("no-user-data")).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", (m_prefix.filePath(QStringLiteral("share")) +
                              QStringLiteral(":/usr/local/share:/usr/share"))
                                 .toLocal8Bit());
    // It reports faults in a definition but still exits 0.
    QCOMPARE(run(QStringLiteral("update-mime-database"),
                 {m_prefix.filePath(QStringLiteral("share/mime"))}),
             QString());
}

void DesktopFilesTest::entryIsValidAndLaunchesVelkoForItsTypes()
{
    // Warnings and hints count as faults too.
    QCOMPARE(run(QStringLiteral("desktop-file-validate"), {entryPath()}), QString());
    const QByteArray entry = testsupport::readFile(entryPath());
    QVERIFY(entry.contains("\nExec=velko %F\n"));
    QVERIFY(entry.contains("\nMimeType=application/x-velko-srtf;application/rtf;text/rtf;\n"));
    QVERIFY(entry.contains("\nIcon=" + velko::kApplicationId.toUtf8() + '\n'));
    // The bus name, the entry's name and the window's desktop file agree;
    // the entry does not ask to be started over the bus.
    QVERIFY(!entry.contains("DBusActivatable"));
    QVERIFY(
        QFileInfo::exists(m_prefix.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/") +
                                            velko::kApplicationId + QStringLiteral(".svg"))));
}

void DesktopFilesTest::secureDocumentsAreRecognised()
{
    const struct
    {
        const char* name;
        QByteArray content;
        const char* type;
    } cases[] = {
        {"letter.srtf", {}, "application/x-velko-srtf"},
        {"renamed", "U2FsdGVkX1+vupppZksvRf5pq5g5XjFRlipRkwB0K1Y=\n", "application/x-velko-srtf"},
        {"letter.rtf", "{\\rtf1 hi}", "application/rtf"},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        QVERIFY(testsupport::writeFile(path, c.content));
        QCOMPARE(QMimeDatabase().mimeTypeForFile(path).name(), QString::fromLatin1(c.type));
    }
}

QTEST_GUILESS_MAIN(DesktopFilesTest)
#include "tst_desktopfiles.moc"
