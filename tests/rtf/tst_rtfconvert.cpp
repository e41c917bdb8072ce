#include "rtf/rtf.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

namespace {

const QByteArray kDocument =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green128\\blue0;}"
    "Gr\\'fc\\'dfe {\\b\\cf1 orange} \\u8364?\\par second line\\par}";
const QString kText = QStringLiteral("Grüße orange €\nsecond line");

void put(const QString& file, const QByteArray& data)
{
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(data) == data.size());
}

QByteArray get(const QString& file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

} // namespace

// velko-cli convert, run on real files with its home in the test's folder.
class TestRtfConvert : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        put(path("in.rtf"), kDocument);
        put(path("plain.txt"), "just text");
    }
    void convertsToEachFormat();
    void failuresLeaveOutputAlone();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // The exit status; -1 when it did not end normally in time.
    int run(const QStringList& args, const QByteArray& input = {})
    {
        QProcess process;
        process.start(QStringLiteral(VELKO_BIN_DIR "/velko-cli"), QStringList{"convert"} + args);
        process.waitForStarted();
        process.write(input);
        process.closeWriteChannel();
        const bool ended =
            process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit;
        m_out = process.readAllStandardOutput();
        return ended ? process.exitCode() : -1;
    }

    QTemporaryDir m_dir;
    QByteArray m_out; // the last run's standard output
};

void TestRtfConvert::convertsToEachFormat()
{
    QCOMPARE(run({"--to", "txt", "-", "-"}, kDocument), 0);
    QCOMPARE(m_out, (kText + '\n').toUtf8());

    QCOMPARE(run({"--to", "html", path("in.rtf"), path("out.html")}), 0);
    QTextDocument document;
    document.setHtml(QString::fromUtf8(get(path("out.html"))));
    QCOMPARE(document.toPlainText(), kText);
    QVERIFY(document.toHtml().contains("#ff8000"));

    QCOMPARE(run({"--to", "rtf", path("in.rtf"), path("out.rtf")}), 0);
    const QByteArray rtf = get(path("out.rtf"));
    QVERIFY(velko::rtf::read(rtf, &document).ok());
    QCOMPARE(document.toPlainText(), kText);
    QCOMPARE(velko::rtf::write(document), rtf); // already normalised
}

// Nothing half-written: the output file keeps what it held.
void TestRtfConvert::failuresLeaveOutputAlone()
{
    const QList<QPair<QStringList, int>> cases = {
        {{"--to", "pdf", "in.rtf", "out"}, 1},        // unknown format
        {{"--to", "txt", "plain.txt", "out"}, 2},     // not RTF
        {{"--to", "txt", "in.rtf", "no/dir/out"}, 4}, // output folder missing
    };
    for (auto [args, status] : cases) {
        put(path("out"), "previous content");
        for (qsizetype i = 2; i < args.size(); ++i)
            args[i] = path(args[i]);
        QVERIFY2(run(args) == status, qPrintable(args.join(QLatin1Char(' '))));
        QCOMPARE(get(path("out")), QByteArray("previous content"));
    }
}

QTEST_MAIN(TestRtfConvert)
#include "tst_rtfconvert.moc"
