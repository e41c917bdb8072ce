// The tree `cmake --install` lays out under a temporary DESTDIR: desktop
// files, manual pages, and the installed programs finding their RC5 module.
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
    // The whole tree, as a package build installs it, then the MIME cache that
    // the package's trigger would build (it reports faults in a definition but
    // still exits 0: it must say nothing).
    void initTestCase()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DESTDIR", m_root.path());
        QVERIFY(!run(VELKO_CMAKE_COMMAND, {"--install", VELKO_BUILD_DIR}, {}, environment)
                     .startsWith("failed"));
        m_prefix = m_root.path() + VELKO_INSTALL_PREFIX;
        // Before the first QMimeDatabase: our tree first, then the system's.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_root.filePath("no-user-data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(installed(VELKO_INSTALL_DATADIR) +
                                                   ":/usr/local/share:/usr/share"));
        QCOMPARE(run("update-mime-database", {installed(VELKO_INSTALL_DATADIR "/mime")}),
                 QString());
    }

    // Each installed file passes its validator, warnings and hints counted as
    // faults, bar appstreamcli's pedantic notes (the programs, the module and
    // the MIME type are seen at work below).
    void installedFileIsValid_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("validator");
        const QString share = VELKO_INSTALL_DATADIR "/";
        const QString id = velko::kApplicationId;
        const QStringList manPage{"sh", "-c", "gzip -dc \"$1\" | groff -man -ww -z -Tutf8", "sh"};
        QTest::newRow("desktop entry")
            << share + "applications/" + id + ".desktop" << QStringList{"desktop-file-validate"};
        QTest::newRow("icon") << share + "icons/hicolor/scalable/apps/" + id + ".svg"
                              << QStringList();
        QTest::newRow("metainfo") << share + "metainfo/" + id + ".metainfo.xml"
                                  << QStringList{"appstreamcli", "validate", "--no-net",
                                                 "--strict"};
        QTest::newRow("velko.1") << VELKO_INSTALL_MANDIR "/man1/velko.1.gz" << manPage;
        QTest::newRow("velko-cli.1") << VELKO_INSTALL_MANDIR "/man1/velko-cli.1.gz" << manPage;
    }

    void installedFileIsValid()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, validator);
        const QFileInfo file(installed(path));
        QVERIFY2(file.isFile(), qPrintable(file.filePath()));
        if (validator.isEmpty())
            return;
        const QString program = validator.takeFirst();
        const QString output = run(program, validator << file.filePath());
        QVERIFY2(program == "appstreamcli" ? !output.startsWith("failed") : output.isEmpty(),
                 qPrintable(output));
    }

    // The entry launches velko for its types; the bus name, the entry's name and
    // the window's desktop file agree, and it does not ask to be started over
    // the bus. Secure documents are recognised by name and by content.
    void entryAndTypes()
    {
        const QByteArray entry = testsupport::readFile(
            installed(VELKO_INSTALL_DATADIR "/applications/" + velko::kApplicationId + ".desktop"));
        QVERIFY(entry.contains("\nExec=velko %F\n"));
        QVERIFY(entry.contains("\nMimeType=application/x-velko-srtf;application/rtf;text/rtf;\n"));
        QVERIFY(entry.contains("\nIcon=" + velko::kApplicationId.toUtf8() + '\n'));
        QVERIFY(!entry.contains("DBusActivatable"));
        QTemporaryDir dir;
        for (const auto& [name, content, type] :
             {std::tuple{"letter.srtf", "", "application/x-velko-srtf"},
              {"renamed", "U2FsdGVkX1+vupppZksvRf5pq5g5XjFRlipRkwB0K1Y=\n",
               "application/x-velko-srtf"},
              {"letter.rtf", "{\\rtf1 hi}", "application/rtf"}}) {
            QVERIFY(testsupport::writeFile(dir.filePath(name), content));
            QCOMPARE(QMimeDatabase().mimeTypeForFile(dir.filePath(name)).name(), type);
        }
    }

    // Nothing tells the installed programs where the module is: no
    // OPENSSL_MODULES, no option; they look beside their own installation.
    void installedProgramsFindTheRc5Module()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("OPENSSL_MODULES");
        environment.remove("OPENSSL_CONF");
        QTemporaryDir work;
        const auto cli = [&](const char* command, const char* from, const char* to) {
            return run(installed(VELKO_INSTALL_BINDIR "/velko-cli"),
                       {command, "--cipher", "rc5", "--keyword-fd", "0", work.filePath(from),
                        work.filePath(to)},
                       "installed\n", environment);
        };
        const QByteArray rtf = "{\\rtf1\\ansi installed tree\\par}";
        QVERIFY(testsupport::writeFile(work.filePath("in.rtf"), rtf));
        QCOMPARE(cli("lock", "in.rtf", "out.srtf"), QString());
        QCOMPARE(cli("unlock", "out.srtf", "back.rtf"), QString());
        QCOMPARE(testsupport::readFile(work.filePath("back.rtf")), rtf);
        QVERIFY(
            run(installed(VELKO_INSTALL_BINDIR "/velko"), {"--version"}).contains(VELKO_VERSION));
    }

private:
    QTemporaryDir m_root;
    QString m_prefix;
    QString installed(const QString& relative) const { return m_prefix + u'/' + relative; }
};

QTEST_GUILESS_MAIN(InstalledTreeTest)
#include "tst_installedtree.moc"
