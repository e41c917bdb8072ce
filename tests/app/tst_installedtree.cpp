// The installed tree, as `cmake --install` lays it out under a temporary
// DESTDIR: the programs, the RC5 module, the desktop files and the manual
// pages, and the installed velko-cli finding its module on its own.
#include "testfiles.h"

#include "app/singleinstance.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The program's merged output, with a note in front when it failed.
QString run(const QString& program, const QStringList& arguments, const QByteArray& input = {},
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    const bool ok = process.waitForFinished(60000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const QString output = QString::fromUtf8(process.readAll()).trimmed();
    return ok ? output : QStringLiteral("failed: ") + output;
}

} // namespace

class InstalledTreeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installedFileIsValid_data();
    void installedFileIsValid();
    void entryLaunchesVelkoForItsTypes();
    void secureDocumentsAreRecognised();
    void installedProgramsFindTheRc5Module();

private:
    QTemporaryDir m_root;
    QString m_prefix;
    QString installed(const QString& relative) const { return m_prefix + u'/' + relative; }
    QString entryPath() const
    {
        return installed(QStringLiteral(VELKO_INSTALL_DATADIR "/applications/") +
                         velko::kApplicationId + QStringLiteral(".desktop"));
    }
};

void InstalledTreeTest::initTestCase()
{
    // The whole tree, as a package build installs it, then the MIME cache
    // that the package's trigger would build.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), m_root.path());
    QCOMPARE(run(QStringLiteral(VELKO_CMAKE_COMMAND),
                 {QStringLiteral("--install"), QStringLiteral(VELKO_BUILD_DIR)}, {}, environment)
                 .startsWith(QLatin1String("failed")),
             false);
    m_prefix = m_root.path() + QStringLiteral(VELKO_INSTALL_PREFIX);
    // Before the first QMimeDatabase: our tree first, then the system's.
    qputenv("XDG_DATA_HOME", m_root.filePath(QStringLiteral("no-user-data")).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", (installed(QStringLiteral(VELKO_INSTALL_DATADIR)) +
                              QStringLiteral(":/usr/local/share:/usr/share"))
                                 .toLocal8Bit());
    // It reports faults in a definition but still exits 0.
    QCOMPARE(run(QStringLiteral("update-mime-database"),
                 {installed(QStringLiteral(VELKO_INSTALL_DATADIR "/mime"))}),
             QString());
}

// Each installed file, with the validator that must pass it. Warnings and
// hints count as faults too: appstreamcli fails on them (--strict), the
// others must say nothing at all (pedantic notes of appstreamcli are not
// faults).
void InstalledTreeTest::installedFileIsValid_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("validator");
    const QString share = QStringLiteral(VELKO_INSTALL_DATADIR "/");
    const QString id = velko::kApplicationId;
    const QStringList none;
    const QStringList manPage{QStringLiteral("sh"), QStringLiteral("-c"),
                              QStringLiteral("gzip -dc \"$1\" | groff -man -ww -z -Tutf8"),
                              QStringLiteral("sh")};
    QTest::newRow("velko") << QStringLiteral(VELKO_INSTALL_BINDIR "/velko") << none;
    QTest::newRow("velko-cli") << QStringLiteral(VELKO_INSTALL_BINDIR "/velko-cli") << none;
    QTest::newRow("rc5 module") << QStringLiteral(VELKO_INSTALL_LIBDIR
                                                  "/velko/ossl-modules/velkorc5.so")
                                << none;
    QTest::newRow("desktop entry")
        << share + QStringLiteral("applications/") + id + QStringLiteral(".desktop")
        << QStringList{QStringLiteral("desktop-file-validate")};
    QTest::newRow("mime type") << share + QStringLiteral("mime/packages/") + id +
                                      QStringLiteral(".xml")
                               << none;
    QTest::newRow("icon") << share + QStringLiteral("icons/hicolor/scalable/apps/") + id +
                                 QStringLiteral(".svg")
                          << none;
    QTest::newRow("metainfo") << share + QStringLiteral("metainfo/") + id +
                                     QStringLiteral(".metainfo.xml")
                              << QStringList{QStringLiteral("appstreamcli"),
                                             QStringLiteral("validate"), QStringLiteral("--no-net"),
                                             QStringLiteral("--strict")};
    QTest::newRow("velko.1") << QStringLiteral(VELKO_INSTALL_MANDIR "/man1/velko.1.gz") << manPage;
    QTest::newRow("velko-cli.1") << QStringLiteral(VELKO_INSTALL_MANDIR "/man1/velko-cli.1.gz")
                                 << manPage;
}

void InstalledTreeTest::installedFileIsValid()
{
    QFETCH(QString, path);
    QFETCH(QStringList, validator);
    const QFileInfo file(installed(path));
    QVERIFY2(file.isFile(), qPrintable(file.filePath()));
    if (validator.isEmpty())
        return;
    const QString program = validator.takeFirst();
    const QString output = run(program, validator << file.filePath());
    if (program == QLatin1String("appstreamcli"))
        QVERIFY2(!output.startsWith(QLatin1String("failed")), qPrintable(output));
    else
        QCOMPARE(output, QString());
}

void InstalledTreeTest::entryLaunchesVelkoForItsTypes()
{
    const QByteArray entry = testsupport::readFile(entryPath());
    QVERIFY(entry.contains("\nExec=velko %F\n"));
    QVERIFY(entry.contains("\nMimeType=application/x-velko-srtf;application/rtf;text/rtf;\n"));
    QVERIFY(entry.contains("\nIcon=" + velko::kApplicationId.toUtf8() + '\n'));
    // The bus name, the entry's name and the window's desktop file agree;
    // the entry does not ask to be started over the bus.
    QVERIFY(!entry.contains("DBusActivatable"));
}

void InstalledTreeTest::secureDocumentsAreRecognised()
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

// Nothing tells the installed programs where the module is: no
// OPENSSL_MODULES, no option; they look beside their own installation.
void InstalledTreeTest::installedProgramsFindTheRc5Module()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("OPENSSL_MODULES"));
    environment.remove(QStringLiteral("OPENSSL_CONF"));
    const QString cli = installed(QStringLiteral(VELKO_INSTALL_BINDIR "/velko-cli"));
    QTemporaryDir work;
    const QByteArray rtf = "{\\rtf1\\ansi installed tree\\par}";
    QVERIFY(testsupport::writeFile(work.filePath(QStringLiteral("in.rtf")), rtf));
    const QString lock =
        run(cli,
            {QStringLiteral("lock"), QStringLiteral("--cipher"), QStringLiteral("rc5"),
             QStringLiteral("--keyword-fd"), QStringLiteral("0"),
             work.filePath(QStringLiteral("in.rtf")), work.filePath(QStringLiteral("out.srtf"))},
            "installed\n", environment);
    QCOMPARE(lock, QString());
    QCOMPARE(
        run(cli,
            {QStringLiteral("unlock"), QStringLiteral("--cipher"), QStringLiteral("rc5"),
             QStringLiteral("--keyword-fd"), QStringLiteral("0"),
             work.filePath(QStringLiteral("out.srtf")), work.filePath(QStringLiteral("back.rtf"))},
            "installed\n", environment),
        QString());
    QCOMPARE(testsupport::readFile(work.filePath(QStringLiteral("back.rtf"))), rtf);
    const QString velko = installed(QStringLiteral(VELKO_INSTALL_BINDIR "/velko"));
    QVERIFY(run(velko, {QStringLiteral("--version")}).contains(QStringLiteral(VELKO_VERSION)));
}

QTEST_GUILESS_MAIN(InstalledTreeTest)
#include "tst_installedtree.moc"
