#include "fakemailclient.h"

#include "core/desktop/mailhandoff.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <optional>

using namespace velko;

namespace {

// Runs a hand-over until it reports, for at most 10 s: nothing when it
// has not by then.
std::optional<Status> handOver(const QString& program, const QStringList& arguments, int graceMs)
{
    std::optional<Status> result;
    auto* handOff = new MailHandOff;
    QObject::connect(handOff, &MailHandOff::handedOver,
                     [&result](const Status& status) { result = status; });
    handOff->start(program, arguments, graceMs);
    return QTest::qWaitFor([&result] { return result.has_value(); }, 10000) ? result : std::nullopt;
}

} // namespace

class MailHandOffTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::useGenericDesktop(m_home.path()); }
    void uriLeavesNoRawSeparators();
    void handOverReports();
    void thunderbirdGetsCommaFreeAttachment();

private:
    testsupport::TempHome m_home;
};

// Nothing a shell script could split, glob or unescape on its way through
// xdg-email: only unreserved characters, '@', '/', and %XX escapes.
void MailHandOffTest::uriLeavesNoRawSeparators()
{
    const QString uri =
        mailtoUri({QStringLiteral("a b@c"), QStringLiteral("s*[?]"),
                   QStringLiteral("x\\ny\r\nz\tq'\"`$"), QStringLiteral("/p, q/é")});
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9._~@/%-]*$"));
    for (const QString& pair : uri.mid(QStringLiteral("mailto:?").size()).split(QLatin1Char('&')))
        QVERIFY2(safe.match(pair.section(QLatin1Char('='), 1)).hasMatch(), qPrintable(pair));
    QVERIFY(uri.contains(QLatin1String("x%5Cny%0D%0Az"))); // line breaks become CR LF
}

// A failure is told with the exit, long before the grace period ends; a
// client still running when it ends counts as handed over and is left to
// finish its work.
void MailHandOffTest::handOverReports()
{
    std::optional<Status> status =
        handOver(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), "echo 'it went wrong' >&2; exit 4"}, 60000);
    QVERIFY(status && !status->ok());
    QCOMPARE(status->error().detail, QStringLiteral("it went wrong"));
    status = handOver(QStringLiteral("/nowhere/no-such-xdg-email"), {}, 60000);
    QVERIFY(status && !status->ok());
    QCOMPARE(status->error().code, ErrorCode::MailFailed);
    QVERIFY(status->error().detail.contains(QLatin1String("no-such-xdg-email")));

    const QString marker = m_home.filePath(QStringLiteral("still-alive"));
    status =
        handOver(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("sleep 1; touch '%1'").arg(marker)}, 200);
    QVERIFY(status && status->ok());
    QVERIFY(!QFile::exists(marker));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
}

// xdg-email's own Thunderbird road: "thunderbird -compose to=...,attachment='...'".
void MailHandOffTest::thunderbirdGetsCommaFreeAttachment()
{
    const QString handler = QStringLiteral("fake-thunderbird.desktop");
    testsupport::FakeMailClient client(m_home.path(), QStringLiteral("thunderbird"), handler);
    QDir(m_home.path()).mkpath(QStringLiteral("a dir, ü"));
    const QString path = m_home.filePath(QStringLiteral("a dir, ü/nöte, 1.rtf"));
    QVERIFY(testsupport::writeFile(path, "{\\rtf1 x}"));
    QCOMPARE(attachmentFormFor(handler, path), AttachmentForm::FileUrl);
    QCOMPARE(attachmentFormFor(handler, QStringLiteral("/a/b")), AttachmentForm::Path);

    const MailMessage message{QStringLiteral("someone@example.org"), QStringLiteral("s"),
                              QStringLiteral("b"), path};
    const std::optional<Status> status =
        handOver(testsupport::xdgEmailWithDisplay(m_home.path()),
                 xdgEmailArguments(message, attachmentFormFor(handler, path)), 5000);
    QVERIFY2(status && status->ok(),
             status && !status->ok() ? qPrintable(status->error().detail) : "no report");

    const QStringList arguments = client.arguments();
    QCOMPARE(arguments.value(0), QStringLiteral("-compose"));
    const QString attachment = arguments.value(1)
                                   .section(QLatin1String("attachment='"), 1)
                                   .section(QLatin1Char('\''), 0, 0);
    QVERIFY2(!attachment.contains(QLatin1Char(',')), qPrintable(arguments.value(1)));
    QCOMPARE(QUrl(attachment).toLocalFile(), path);
}

QTEST_GUILESS_MAIN(MailHandOffTest)
#include "tst_mailhandoff.moc"
