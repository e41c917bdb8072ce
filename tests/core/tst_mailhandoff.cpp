// Handing a message to the desktop's mail client through xdg-email.
#include "fakemailclient.h"

#include "core/desktop/mailhandoff.h"

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
    // Nothing a shell script could split, glob or unescape on its way through
    // xdg-email: only unreserved characters, '@', '/', and %XX escapes.
    void uriLeavesNoRawSeparators()
    {
        const QString uri = mailtoUri({"a b@c", "s*[?]", "x\\ny\r\nz\tq'\"`$", "/p, q/é"});
        static const QRegularExpression safe("^[A-Za-z0-9._~@/%-]*$");
        for (const QString& pair : uri.mid(QString("mailto:?").size()).split('&'))
            QVERIFY2(safe.match(pair.section('=', 1)).hasMatch(), qPrintable(pair));
        QVERIFY(uri.contains("x%5Cny%0D%0Az")); // line breaks become CR LF
    }

    // A failure is told with the exit, long before the grace period ends; a
    // client still running when it ends counts as handed over and is left to
    // finish its work.
    void handOverReports()
    {
        std::optional<Status> status =
            handOver("/bin/sh", {"-c", "echo 'it went wrong' >&2; exit 4"}, 60000);
        QVERIFY(status && !status->ok());
        QCOMPARE(status->error().detail, "it went wrong");
        status = handOver("/nowhere/no-such-xdg-email", {}, 60000);
        QVERIFY(status && !status->ok());
        QCOMPARE(status->error().code, ErrorCode::MailFailed);
        QVERIFY(status->error().detail.contains("no-such-xdg-email"));

        const QString marker = m_home.filePath("still-alive");
        status = handOver("/bin/sh", {"-c", "sleep 1; touch '" + marker + "'"}, 200);
        QVERIFY(status && status->ok());
        QVERIFY(!QFile::exists(marker));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
    }

    // xdg-email's own Thunderbird road, "thunderbird -compose to=...,attachment='...'",
    // gets the attachment as a file URL: no comma to split the list on.
    void thunderbirdGetsCommaFreeAttachment()
    {
        const QString handler = "fake-thunderbird.desktop";
        testsupport::FakeMailClient client(m_home.path(), "thunderbird", handler);
        QDir(m_home.path()).mkpath("a dir, ü");
        const QString path = m_home.filePath("a dir, ü/nöte, 1.rtf");
        QVERIFY(testsupport::writeFile(path, "{\\rtf1 x}"));
        QCOMPARE(attachmentFormFor(handler, path), AttachmentForm::FileUrl);
        QCOMPARE(attachmentFormFor(handler, "/a/b"), AttachmentForm::Path);

        const MailMessage message{"someone@example.org", "s", "b", path};
        const std::optional<Status> status = handOver(
            m_xdgEmail, xdgEmailArguments(message, attachmentFormFor(handler, path)), 5000);
        QVERIFY2(status && status->ok(),
                 status && !status->ok() ? qPrintable(status->error().detail) : "no report");
        const QStringList arguments = client.arguments();
        QCOMPARE(arguments.value(0), "-compose");
        const QString attachment =
            arguments.value(1).section("attachment='", 1).section('\'', 0, 0);
        QVERIFY2(!attachment.contains(','), qPrintable(arguments.value(1)));
        QCOMPARE(QUrl(attachment).toLocalFile(), path);
    }

private:
    testsupport::TempHome m_home;
    const QString m_xdgEmail = testsupport::genericXdgEmail(m_home.path());
};

QTEST_GUILESS_MAIN(MailHandOffTest)
#include "tst_mailhandoff.moc"
