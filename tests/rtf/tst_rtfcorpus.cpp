#include "rtf/plaintext.h"
#include "rtf/rtf.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocument>

using namespace velko;

namespace {

// Letters and digits only: the references differ in layout, not in words.
QString lettersAndDigits(QStringView text)
{
    QString out;
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

} // namespace

// Reads every document of the shared corpus in place. Where at least two
// independent readers agree on the text, ours has to agree with them too.
// Skips only when the build names no corpus; a named one that is missing fails.
class TestRtfCorpus : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithReferences();
};

void TestRtfCorpus::agreesWithReferences()
{
    const QString corpus = QStringLiteral(VELKO_RTF_CORPUS_DIR);
    if (corpus.isEmpty())
        QSKIP("no RTF corpus configured (CMake: VELKO_RTF_CORPUS_DIR)");
    const QList<QByteArray> lines = readFile(corpus + "/index.tsv").split('\n');
    QVERIFY2(lines.size() > 600, qPrintable(corpus + " holds no RTF corpus (index.tsv)"));

    int compared = 0;
    QStringList differing;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split('\t');
        if (fields.size() < 2)
            continue;
        const QString file = QString::fromUtf8(fields.at(0));
        const QString agreeing = QString::fromUtf8(fields.at(1));
        QTextDocument document;
        const Status status = rtf::read(readFile(corpus + "/files/" + file), &document);
        if (!status)
            qInfo().noquote() << "refused:" << file << status.error().detail;

        // "all3" and "a=b": take the first named reader; lo for all three.
        const QString reader =
            agreeing == "all3" ? QStringLiteral("lo") : agreeing.section(u'=', 0, 0);
        if (agreeing == "none" || agreeing == "empty" || reader.isEmpty())
            continue;
        static const QRegularExpression extension(QStringLiteral("\\.[^./]*$"));
        const QString reference = lettersAndDigits(QString::fromUtf8(readFile(
            corpus + "/reference/" + reader + "/" + QString(file).remove(extension) + ".txt")));
        ++compared;
        if (lettersAndDigits(rtf::plainText(document)) != reference)
            differing.append(file + " (" + agreeing + ")");
    }
    qInfo().noquote() << "differs:" << differing.join(QStringLiteral(", "));
    qInfo("agree: %d of %d (%.1f %%)", int(compared - differing.size()), compared,
          100.0 * (compared - differing.size()) / qMax(1, compared));
    QVERIFY(compared > 400);
    QVERIFY2(compared - differing.size() >= compared * 95 / 100,
             "fewer than 95 % of the files agree");
}

QTEST_MAIN(TestRtfCorpus)
#include "tst_rtfcorpus.moc"
