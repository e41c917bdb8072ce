#include "rtf/plaintext.h"
#include "rtf/rtf.h"

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
    QStringList differing;
    for (const Entry& entry : std::as_const(m_entries)) {
        QTextDocument document;
        const Status status = rtf::read(readFile(kCorpus + "/files/" + entry.file), &document);
        if (!status)
            qInfo().noquote() << "refused:" << entry.file << status.error().detail;

        // "all3" and "a=b": take the first named reader; lo for all three.
        QString reader =
            entry.agreeing == "all3" ? QStringLiteral("lo") : entry.agreeing.section(u'=', 0, 0);
        if (entry.agreeing == "none" || entry.agreeing == "empty" || reader.isEmpty())
            continue;
        const QString reference = lettersAndDigits(QString::fromUtf8(
            readFile(kCorpus + "/reference/" + reader + "/" + referenceName(entry.file))));
        ++compared;
        if (lettersAndDigits(rtf::plainText(document)) != reference)
            differing.append(entry.file + " (" + entry.agreeing + ")");
    }
    qInfo().noquote() << "differs:" << differing.join(QStringLiteral(", "));
    QVERIFY(compared > 400);
    QVERIFY2(compared - differing.size() >= compared * 95 / 100,
             "fewer than 95 % of the files agree");
}

QTEST_MAIN(TestRtfCorpus)
#include "tst_rtfcorpus.moc"
