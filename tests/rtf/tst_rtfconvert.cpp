#include "rtf/rtf.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

// velko-cli convert, run as the real program on real files.
class TestRtfConvert : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void formats_data();
    void formats();
    void standardStreams();
    void failures_data();
    void failures();

private:
    int run(const QStringList& args, const QByteArray& input = {}, QByteArray* output = nullptr);
    QString path(const QString& name) const { return m_dir->filePath(name); }
    static void put(const QString& file, const QByteArray& data);
    static QByteArray get(const QString& file);

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

const QByteArray kDocument =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green128\\blue0;}"
    "Gr\\'fc\\'dfe {\\b\\cf1 orange} \\u8364?\\par second line\\par}";

} // namespace

void TestRtfConvert::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    put(path("in.rtf"), kDocument);
}

int TestRtfConvert::run(const QStringList& args, const QByteArray& input, QByteArray* output)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", m_dir->path());
    environment.insert("XDG_RUNTIME_DIR", m_dir->path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELKO_BIN_DIR "/velko-cli"), QStringList{"convert"} + args);
    if (!process.waitForStarted())
        return -1;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return -2;
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -3;
}

void TestRtfConvert::put(const QString& file, const QByteArray& data)
{
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(data);
}

QByteArray TestRtfConvert::get(const QString& file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

void TestRtfConvert::formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("txt") << "txt";
    QTest::newRow("html") << "html";
    QTest::newRow("rtf") << "rtf";
}

void TestRtfConvert::formats()
{
    QFETCH(QString, format);
    QCOMPARE(run({"--to", format, path("in.rtf"), path("out")}), 0);
    const QByteArray out = get(path("out"));
    if (format == "txt") {
        QCOMPARE(out, QString("Grüße orange €\nsecond line\n").toUtf8());
    } else if (format == "html") {
        QTextDocument document;
        document.setHtml(QString::fromUtf8(out));
        QCOMPARE(document.toPlainText(), QString("Grüße orange €\nsecond line"));
        QVERIFY(out.contains("#ff8000"));
    } else {
        QTextDocument document;
        QVERIFY(velko::rtf::read(out, &document).ok());
        QCOMPARE(document.toPlainText(), QString("Grüße orange €\nsecond line"));
        QCOMPARE(velko::rtf::write(document), out); // already normalised
    }
}

void TestRtfConvert::standardStreams()
{
    QByteArray out;
    QCOMPARE(run({"--to", "txt", "-", "-"}, kDocument, &out), 0);
    QCOMPARE(out, QString("Grüße orange €\nsecond line\n").toUtf8());
}

void TestRtfConvert::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::newRow("no format") << QStringList{"in.rtf", "out"} << 1;
    QTest::newRow("unknown format") << QStringList{"--to", "pdf", "in.rtf", "out"} << 1;
    QTest::newRow("missing output") << QStringList{"--to", "txt", "in.rtf"} << 1;
    QTest::newRow("unknown option") << QStringList{"--to", "txt", "--fast", "in.rtf", "out"} << 1;
    QTest::newRow("not RTF") << QStringList{"--to", "txt", "plain.txt", "out"} << 2;
    QTest::newRow("too deep") << QStringList{"--to", "rtf", "deep.rtf", "out"} << 2;
    QTest::newRow("missing input") << QStringList{"--to", "txt", "absent.rtf", "out"} << 4;
    QTest::newRow("output folder missing")
        << QStringList{"--to", "txt", "in.rtf", "no/such/dir/out"} << 4;
}

void TestRtfConvert::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    put(path("plain.txt"), "just text");
    put(path("deep.rtf"), "{\\rtf1 " + QByteArray(5000, '{'));
    put(path("out"), "previous content");
    for (QString& arg : args) {
        if (!arg.startsWith('-') && arg != "txt" && arg != "rtf" && arg != "pdf")
            arg = path(arg);
    }
    QCOMPARE(run(args), status);
    QCOMPARE(get(path("out")), QByteArray("previous content")); // nothing half-written
}

QTEST_MAIN(TestRtfConvert)
#include "tst_rtfconvert.moc"
