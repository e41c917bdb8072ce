#include "rtf/rtf.h"
#include "structure.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

using namespace velko;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A page length LibreOffice gives ("8.2681in", "21cm") in centimetres.
double centimetres(const QString& length)
{
    const double value = length.left(length.size() - 2).toDouble();
    return length.endsWith(QLatin1String("in")) ? value * 2.54 : value;
}

} // namespace

// Our RTF as LibreOffice reads it, and LibreOffice's RTF read by us, written
// again and read by LibreOffice. Runs where LibreOffice (soffice) is installed.
class TestRtfLibreOffice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tablePictureAndHeading();
    void whatTheViewCannotShow();

private:
    // Converts `rtf` with soffice; the converted file's bytes.
    QByteArray convert(const QByteArray& rtf, const char* format);

    QString m_soffice;
    QTemporaryDir m_dir;
};

void TestRtfLibreOffice::initTestCase()
{
    m_soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (m_soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed: our RTF is not checked against it");
    QVERIFY(m_dir.isValid());
}

QByteArray TestRtfLibreOffice::convert(const QByteArray& rtf, const char* format)
{
    QFile file(m_dir.filePath(QStringLiteral("in.rtf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size())
        return {};
    file.close();
    QProcess soffice;
    soffice.start(m_soffice, {"-env:UserInstallation=file://" + m_dir.filePath("profile"),
                              "--headless", "--convert-to", QString::fromLatin1(format), "--outdir",
                              m_dir.filePath("out"), file.fileName()});
    if (!soffice.waitForFinished(180000) || soffice.exitCode() != 0)
        qWarning() << "soffice:" << soffice.readAllStandardError();
    return readFile(m_dir.filePath(QStringLiteral("out/in.")) + QString::fromLatin1(format));
}

void TestRtfLibreOffice::tablePictureAndHeading()
{
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextBlockFormat heading;
    heading.setHeadingLevel(1);
    cursor.setBlockFormat(heading);
    cursor.insertText("Chapter");
    cursor.insertBlock(QTextBlockFormat());
    QTextTable* table = cursor.insertTable(2, 2);
    for (int cell = 0; cell < 4; ++cell)
        table->cellAt(cell / 2, cell % 2)
            .firstCursorPosition()
            .insertText(QStringLiteral("cell%1").arg(cell));
    cursor.movePosition(QTextCursor::End);
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::blue);
    document.addResource(QTextDocument::ImageResource, QUrl("blue.png"), image);
    QTextImageFormat picture;
    picture.setName("blue.png");
    cursor.insertImage(picture);

    const QString html = QString::fromUtf8(convert(rtf::write(document), "html"));
    QVERIFY2(QRegularExpression("<h1[^>]*>(<[^>]*>)*Chapter").match(html).hasMatch(),
             qPrintable(html));
    QVERIFY(html.contains(QLatin1String("<table")));
    for (int cell = 0; cell < 4; ++cell)
        QVERIFY(html.contains(QStringLiteral("cell%1").arg(cell)));
    QVERIFY(html.contains(QLatin1String("<img")));
}

// A document LibreOffice wrote (from tests/rtf/data/libreoffice-kept.fodt):
// an A4 page with a header and a footer, a footnote, hidden text, a page
// break, a bookmark, a comment and a page number field. All of it comes back
// from LibreOffice after our read and write.
void TestRtfLibreOffice::whatTheViewCannotShow()
{
    QTextDocument document;
    QVERIFY(
        rtf::read(readFile(VELKO_SOURCE_DIR "/tests/rtf/data/libreoffice-kept.rtf"), &document));
    QCOMPARE(structureOf(document),
             QStringLiteral("First page text^1 with a note, and {v}hidden./~Second "
                            "{bkmkstart}{bkmkend}page{atnid}{atnauthor}{chatn}{annotation} "
                            "text, page 2./notes(@^1The footnote text.)/"));
    const QByteArray written = rtf::write(document);
    QTextDocument again;
    QVERIFY(rtf::read(written, &again));
    again.setDefaultFont(document.defaultFont());
    QCOMPARE(rtf::write(again), written);

    const QString odt = QString::fromUtf8(convert(written, "fodt"));
    const auto attribute = [&odt](const char* name) {
        return QRegularExpression(QStringLiteral("%1=\"([^\"]*)\"").arg(name))
            .match(odt)
            .captured(1);
    };
    QCOMPARE(qRound(centimetres(attribute("fo:page-width")) * 10), 210);
    QCOMPARE(qRound(centimetres(attribute("fo:page-height")) * 10), 297);
    QCOMPARE(attribute("fo:break-before"), QStringLiteral("page"));
    QCOMPARE(attribute("text:display"), QStringLiteral("none"));
    for (const char* text : {"Running head", "Running foot", "The footnote text.", "secret words",
                             "<text:note ", "<text:bookmark text:name=\"mark1\"", "Jo Reviewer",
                             "A comment on the page.", "<text:page-number "})
        QVERIFY2(odt.contains(QLatin1String(text)), text);
}

QTEST_MAIN(TestRtfLibreOffice)
#include "tst_rtflibreoffice.moc"
