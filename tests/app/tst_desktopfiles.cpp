// The desktop entry, the secure document type and the icon, as installed.
#include "testsupport.h"

#include "app/singleinstance.h"

#include <QDir>
#include <QMimeDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

} // namespace

class DesktopFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void entryIsValid();
    void entryLaunchesVelkoForItsTypes();
    void secureDocumentsAreRecognised_data();
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
    const Run install = run(QStringLiteral(VELKO_CMAKE_COMMAND),
                            {QStringLiteral("--install"), QStringLiteral(VELKO_BUILD_DIR),
                             QStringLiteral("--component"), QStringLiteral("desktop"),
                             QStringLiteral("--prefix"), m_prefix.path()});
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    // Before the first QMimeDatabase: our tree first, then the system's.
    qputenv("XDG_DATA_HOME", m_prefix.filePath(QStringLiteral("no-user-data")).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", (m_prefix.filePath(QStringLiteral("share")) +
                              QStringLiteral(":/usr/local/share:/usr/share"))
                                 .toLocal8Bit());
    const Run update = run(QStringLiteral("update-mime-database"),
                           {m_prefix.filePath(QStringLiteral("share/mime"))});
    QVERIFY2(update.exitCode == 0, qPrintable(update.output));
    // It reports faults in a definition but still exits 0.
    QVERIFY2(update.output.trimmed().isEmpty(), qPrintable(update.output));
}

void DesktopFilesTest::entryIsValid()
{
    QVERIFY(QFileInfo::exists(entryPath()));
    const Run validate = run(QStringLiteral("desktop-file-validate"), {entryPath()});
    QVERIFY2(validate.exitCode == 0, qPrintable(validate.output));
    // Warnings and hints count as faults too.
    QVERIFY2(validate.output.trimmed().isEmpty(), qPrintable(validate.output));
}

void DesktopFilesTest::entryLaunchesVelkoForItsTypes()
{
    QFile file(entryPath());
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QHash<QString, QString> entry;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            entry.insert(line.left(equals), line.mid(equals + 1));
    }
    QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("velko %F"));
    QCOMPARE(entry.value(QStringLiteral("Icon")), velko::kApplicationId);
    QCOMPARE(entry.value(QStringLiteral("MimeType")),
             QStringLiteral("application/x-velko-srtf;application/rtf;text/rtf;"));
    // The bus name, the entry's name and the window's desktop file agree;
    // the entry does not ask to be started over the bus.
    QVERIFY(!entry.contains(QStringLiteral("DBusActivatable")));
    // The icon it names is installed.
    QFile icon(m_prefix.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/") +
                                 velko::kApplicationId + QStringLiteral(".svg")));
    QVERIFY(icon.open(QIODevice::ReadOnly));
    QVERIFY(icon.readAll().contains("<svg"));
}

void DesktopFilesTest::secureDocumentsAreRecognised_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("type");
    const QByteArray locked = "U2FsdGVkX1+vupppZksvRf5pq5g5XjFRlipRkwB0K1Y=\n";
    QTest::newRow("by extension") << "letter.srtf" << QByteArray() << "application/x-velko-srtf";
    QTest::newRow("by capital extension")
        << "LETTER.SRTF" << QByteArray("x") << "application/x-velko-srtf";
    QTest::newRow("by content, no extension") << "renamed" << locked << "application/x-velko-srtf";
    QTest::newRow("other text, no extension")
        << "notes" << QByteArray("Hello there\n") << "text/plain";
    QTest::newRow("rich text stays rich text")
        << "letter.rtf" << QByteArray("{\\rtf1 hi}") << "application/rtf";
}

void DesktopFilesTest::secureDocumentsAreRecognised()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, type);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(testsupport::writeFile(path, content));
    QMimeDatabase database;
    QCOMPARE(database.mimeTypeForFile(path).name(), type);
    if (type == QLatin1String("application/x-velko-srtf")) {
        QCOMPARE(database.mimeTypeForName(type).comment(),
                 QStringLiteral("Secure rich text document"));
    }
}

QTEST_GUILESS_MAIN(DesktopFilesTest)
#include "tst_desktopfiles.moc"
