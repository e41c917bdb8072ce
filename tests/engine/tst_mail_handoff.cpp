#include "fakemailclient.h"
#include "testsupport.h"

#include "core/mailhandoff.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <optional>

using namespace velko;

namespace {

// Runs a hand-over until it reports; nothing when it never does.
std::optional<Status> handOver(const QString& program, const QStringList& arguments, int graceMs,
                               qint64* elapsedMs = nullptr)
{
    std::optional<Status> result;
    QElapsedTimer timer;
    timer.start();
    auto* handOff = new MailHandOff;
    QObject::connect(handOff, &MailHandOff::handedOver,
                     [&result](const Status& status) { result = status; });
    handOff->start(program, arguments, graceMs);
    while (!result && timer.elapsed() < graceMs + 5000)
        QTest::qWait(10);
    if (elapsedMs)
        *elapsedMs = timer.elapsed();
    return result;
}

} // namespace

class MailHandOffTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void uriLeavesNoRawSeparators();

    void earlyFailureIsReportedAtOnce();
    void clientStillRunningIsLeftRunning();
    void missingProgramIsReported();

    void thunderbirdGetsCommaFreeAttachment();

private:
    testsupport::TempHome m_home;
};

void MailHandOffTest::initTestCase()
{
    testsupport::useGenericDesktop(m_home.path());
}

void MailHandOffTest::uriLeavesNoRawSeparators()
{
    // Nothing a shell script could split, glob or unescape on its way through
    // xdg-email: only unreserved characters, '@', '/', and %XX escapes.
    const QString uri =
        mailtoUri({QStringLiteral("a b@c"), QStringLiteral("s*[?]"),
                   QStringLiteral("x\\ny\r\nz\tq'\"`$"), QStringLiteral("/p, q/é")});
    const QString query = uri.mid(QStringLiteral("mailto:?").size());
    for (const QString& pair : query.split(QLatin1Char('&'))) {
        const QString value = pair.section(QLatin1Char('='), 1);
        for (QChar c : value) {
            QVERIFY2((c.isLetterOrNumber() && c.unicode() < 128) ||
                         QStringLiteral("-._~@/%").contains(c),
                     qPrintable(QStringLiteral("raw '%1' in %2").arg(c).arg(pair)));
        }
    }
    // Line breaks are CR LF whatever the field held.
    QVERIFY(uri.contains(QLatin1String("x%5Cny%0D%0Az")));
}

void MailHandOffTest::earlyFailureIsReportedAtOnce()
{
    qint64 elapsed = 0;
    const std::optional<Status> status =
        handOver(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("echo 'it went wrong' >&2; exit 4")}, 20000,
                 &elapsed);
    QVERIFY(status.has_value());
    QVERIFY(!status->ok());
    QCOMPARE(status->error().code, ErrorCode::MailFailed);
    QCOMPARE(status->error().detail, QStringLiteral("it went wrong"));
    // The answer comes with the exit, not at the end of the grace period.
    QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
}

void MailHandOffTest::clientStillRunningIsLeftRunning()
{
    const QString marker = m_home.filePath(QStringLiteral("still-alive"));
    QFile::remove(marker);
    const std::optional<Status> status =
        handOver(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("sleep 1; touch '%1'").arg(marker)}, 200);
    QVERIFY(status.has_value());
    QVERIFY(status->ok());
    QVERIFY(!QFile::exists(marker));
    // Reported as handed over, and not killed: it finishes its work.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
}

void MailHandOffTest::missingProgramIsReported()
{
    const std::optional<Status> status =
        handOver(m_home.filePath(QStringLiteral("no-such-xdg-email")), {}, 1000);
    QVERIFY(status.has_value());
    QVERIFY(!status->ok());
    QCOMPARE(status->error().code, ErrorCode::MailFailed);
    QVERIFY(status->error().detail.contains(QLatin1String("no-such-xdg-email")));
}

void MailHandOffTest::thunderbirdGetsCommaFreeAttachment()
{
    // xdg-email's own Thunderbird road: "thunderbird -compose to=...,attachment='...'".
    testsupport::FakeMailClient client(m_home.path(), QStringLiteral("thunderbird"),
                                       QStringLiteral("fake-thunderbird.desktop"));
    QVERIFY(isThunderbirdHandler(QStringLiteral("fake-thunderbird.desktop")));
    QDir(m_home.path()).mkpath(QStringLiteral("a dir, ü"));
    const QString path = m_home.filePath(QStringLiteral("a dir, ü/nöte, 1.rtf"));
    QVERIFY(testsupport::writeFile(path, "{\\rtf1 x}"));
    QCOMPARE(attachmentFormFor(QStringLiteral("fake-thunderbird.desktop"), path),
             AttachmentForm::FileUrl);
    QCOMPARE(attachmentFormFor(QStringLiteral("fake-thunderbird.desktop"), QStringLiteral("/a/b")),
             AttachmentForm::Path);

    const MailMessage message{QStringLiteral("someone@example.org"), QStringLiteral("s"),
                              QStringLiteral("b"), path};
    const std::optional<Status> status =
        handOver(testsupport::xdgEmailWithDisplay(m_home.path()),
                 xdgEmailArguments(
                     message, attachmentFormFor(QStringLiteral("fake-thunderbird.desktop"), path)),
                 10000);
    QVERIFY(status.has_value());
    QVERIFY2(status->ok(), qPrintable(status->ok() ? QString() : status->error().detail));

    const QStringList arguments = client.arguments();
    QCOMPARE(arguments.size(), 2);
    QCOMPARE(arguments.at(0), QStringLiteral("-compose"));
    const QString compose = arguments.at(1);
    const int start = compose.indexOf(QLatin1String("attachment='"));
    QVERIFY2(start >= 0, qPrintable(compose));
    const QString attachment = compose.mid(start + 12).section(QLatin1Char('\''), 0, 0);
    QVERIFY2(!attachment.contains(QLatin1Char(',')), qPrintable(attachment));
    QCOMPARE(QUrl(attachment).toLocalFile(), path);
}

QTEST_GUILESS_MAIN(MailHandOffTest)
#include "tst_mail_handoff.moc"
