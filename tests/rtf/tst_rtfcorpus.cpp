#include "rtf/plaintext.h"
#include "rtf/rtf.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTextDocument>

using namespace velko;

namespace {

const QString kCorpus = QStringLiteral(VELKO_RTF_CORPUS);

// Letters and digits only: the references differ in layout, not in words.
QString lettersAndDigits(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (QChar::isLetterOrNumber(c))
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "dir/name.rtf" -> "dir/name.txt"
QString referenceName(const QString& file)
{
    const qsizetype dot = file.lastIndexOf(u'.');
    return (dot > file.lastIndexOf(u'/') ? file.left(dot) : file) + QStringLiteral(".txt");
}

QString firstDifference(const QString& ours, const QString& theirs)
{
    qsizetype i = 0;
    while (i < ours.size() && i < theirs.size() && ours.at(i) == theirs.at(i))
        ++i;
    const qsizetype from = qMax<qsizetype>(0, i - 20);
    return QStringLiteral("at %1 of %2/%3: ours \"%4\" theirs \"%5\"")
        .arg(i)
        .arg(ours.size())
        .arg(theirs.size())
        .arg(ours.mid(from, 50), theirs.mid(from, 50));
}

} // namespace

// Reads every document of the shared corpus in place. Where at least two
// independent readers agree on the text, ours has to agree with them too.
class TestRtfCorpus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void agreesWithReferences();

private:
    struct Entry
    {
        QString file;
        QString agreeing;
    };
    QList<Entry> m_entries;
};

void TestRtfCorpus::initTestCase()
{
    const QByteArray index = readFile(kCorpus + "/index.tsv");
    if (index.isEmpty())
        QSKIP("the RTF corpus is not here");
    const QList<QByteArray> lines = index.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split('\t');
        if (fields.size() >= 2)
            m_entries.append({QString::fromUtf8(fields.at(0)), QString::fromUtf8(fields.at(1))});
    }
    QVERIFY(m_entries.size() > 600);
}

void TestRtfCorpus::agreesWithReferences()
{
    int compared = 0;
    int agreed = 0;
    int refused = 0;
    qint64 slowest = 0;
    QString slowestFile;
    QStringList differing;
    for (const Entry& entry : std::as_const(m_entries)) {
        const QByteArray data = readFile(kCorpus + "/files/" + entry.file);
        QTextDocument document;
        QElapsedTimer timer;
        timer.start();
        const Status status = rtf::read(data, &document);
        const qint64 elapsed = timer.elapsed();
        if (elapsed > slowest) {
            slowest = elapsed;
            slowestFile = entry.file;
        }
        if (!status) {
            ++refused;
            qInfo().noquote() << "refused:" << entry.file << status.error().detail;
        }

        // "all3" and "a=b": take the first named reader; lo for all three.
        QString reader =
            entry.agreeing == "all3" ? QStringLiteral("lo") : entry.agreeing.section(u'=', 0, 0);
        if (entry.agreeing == "none" || entry.agreeing == "empty" || reader.isEmpty())
            continue;
        const QString reference = lettersAndDigits(QString::fromUtf8(
            readFile(kCorpus + "/reference/" + reader + "/" + referenceName(entry.file))));
        const QString ours = lettersAndDigits(rtf::plainText(document));
        ++compared;
        if (ours == reference) {
            ++agreed;
        } else {
            differing.append(entry.file + " (" + entry.agreeing + ") " +
                             firstDifference(ours, reference));
        }
    }
    for (const QString& line : std::as_const(differing))
        qInfo().noquote() << "differs:" << line;
    qInfo().noquote() << QStringLiteral(
                             "agree on %1 of %2 files (%3 %), %4 refused, slowest %5 ms (%6)")
                             .arg(agreed)
                             .arg(compared)
                             .arg(100.0 * agreed / qMax(1, compared), 0, 'f', 1)
                             .arg(refused)
                             .arg(slowest)
                             .arg(slowestFile);
    QVERIFY2(slowest < 5000, "a document took seconds: a hang in the making");
    QVERIFY(compared > 400);
    QVERIFY2(agreed >= compared * 95 / 100, "fewer than 95 % of the files agree");
}

QTEST_MAIN(TestRtfCorpus)
#include "tst_rtfcorpus.moc"
