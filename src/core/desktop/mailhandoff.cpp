#include "core/desktop/mailhandoff.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

namespace velko {

namespace {

// Characters left as they are besides the unreserved ones: both are common
// in addresses and paths, and xdg-email leaves them alone too.
const QByteArray kKeptAsIs = QByteArrayLiteral("@/");

QString encoded(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, kKeptAsIs));
}

// RFC 6068: line breaks in a mailto body are CR LF.
QString withCrLf(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

QString fileUrl(const QString& path)
{
    return QLatin1String("file://") +
           QString::fromLatin1(QUrl::toPercentEncoding(path, QByteArrayLiteral("/")));
}

// The program named by the Exec key of a desktop entry's main group.
QString execProgram(const QString& desktopFile)
{
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup || !line.startsWith(QLatin1String("Exec=")))
            continue;
        const QString command = line.mid(5).trimmed();
        if (command.startsWith(QLatin1Char('"')))
            return command.mid(1).section(QLatin1Char('"'), 0, 0);
        return command.section(QLatin1Char(' '), 0, 0);
    }
    return {};
}

} // namespace

QString mailtoUri(const MailMessage& message, AttachmentForm form)
{
    QStringList fields;
    if (!message.recipient.isEmpty())
        fields << QLatin1String("to=") + encoded(message.recipient);
    fields << QLatin1String("subject=") + encoded(message.subject);
    fields << QLatin1String("body=") + encoded(withCrLf(message.body));
    if (!message.attachmentPath.isEmpty()) {
        const QString attachment = form == AttachmentForm::FileUrl ? fileUrl(message.attachmentPath)
                                                                   : message.attachmentPath;
        fields << QLatin1String("attach=") + encoded(attachment);
    }
    return QLatin1String("mailto:?") + fields.join(QLatin1Char('&'));
}

QStringList xdgEmailArguments(const MailMessage& message, AttachmentForm form)
{
    return {QStringLiteral("--utf8"), mailtoUri(message, form)};
}

AttachmentForm attachmentFormFor(const QString& desktopId, const QString& attachmentPath)
{
    if (attachmentPath.contains(QLatin1Char(',')) && isThunderbirdHandler(desktopId))
        return AttachmentForm::FileUrl;
    return AttachmentForm::Path;
}

Result<QString> mailtoHandler(const QString& xdgMimePath)
{
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.start(xdgMimePath, {QStringLiteral("query"), QStringLiteral("default"),
                              QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForStarted())
        return makeError(
            ErrorCode::MailFailed,
            QStringLiteral("%1 could not be started (is xdg-utils installed?)").arg(xdgMimePath));
    if (!query.waitForFinished(10000)) {
        query.kill();
        query.waitForFinished();
        return makeError(ErrorCode::MailFailed,
                         QStringLiteral("%1 did not answer in time").arg(xdgMimePath));
    }
    const QString desktopId = QString::fromLocal8Bit(query.readAllStandardOutput())
                                  .section(QLatin1Char('\n'), 0, 0)
                                  .trimmed();
    if (query.exitStatus() != QProcess::NormalExit || desktopId.isEmpty())
        return makeError(ErrorCode::MailNoClient);
    return desktopId;
}

bool isThunderbirdHandler(const QString& desktopId)
{
    const QString desktopFile =
        QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    if (desktopFile.isEmpty())
        return false;
    QString program = execProgram(desktopFile);
    if (program.isEmpty())
        return false;
    if (!QFileInfo(program).isAbsolute())
        program = QStandardPaths::findExecutable(program);
    const QString resolved = QFileInfo(program).canonicalFilePath();
    const QString judged = resolved.isEmpty() ? program : resolved;
    return judged.contains(QLatin1String("thunderbird")) ||
           judged.contains(QLatin1String("icedove"));
}

Status xdgEmailStatus(int exitCode, const QString& errorOutput)
{
    const QString detail = errorOutput.trimmed();
    switch (exitCode) {
    case 0:
        return {};
    case 2: // a file does not exist
    case 5: // a file cannot be read
        return makeError(ErrorCode::FileRead, detail);
    case 3: // no method to open mailto links
        return makeError(ErrorCode::MailNoClient, detail);
    default:
        return makeError(ErrorCode::MailFailed,
                         detail.isEmpty()
                             ? QStringLiteral("xdg-email exited with code %1").arg(exitCode)
                             : detail);
    }
}

// --- MailHandOff -------------------------------------------------------------

MailHandOff::MailHandOff() = default;

MailHandOff::~MailHandOff() = default;

void MailHandOff::start(const QString& program, const QStringList& arguments, int graceMs)
{
    m_program = program;
    m_process = new QProcess(this);
    // No pipes back to us: a client still writing to them after the
    // application has quit would be killed by SIGPIPE. Errors go to a file.
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_errorFile =
        new QTemporaryFile(QDir::tempPath() + QStringLiteral("/velko-mail-XXXXXX.log"), this);
    m_process->setStandardErrorFile(m_errorFile->open() ? m_errorFile->fileName()
                                                        : QProcess::nullDevice());
    // Its own session: the client survives a terminal hang-up or Ctrl-C
    // aimed at the application.
    m_process->setChildProcessModifier([] { ::setsid(); });

    connect(m_process, &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                onFinished(exitCode, static_cast<int>(status));
            });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onStartFailed();
    });
    m_grace = new QTimer(this);
    m_grace->setSingleShot(true);
    connect(m_grace, &QTimer::timeout, this, &MailHandOff::onGraceOver);

    m_grace->start(graceMs);
    m_process->start(program, arguments);
}

void MailHandOff::onFinished(int exitCode, int exitStatus)
{
    m_grace->stop();
    if (exitStatus != QProcess::NormalExit)
        report(makeError(ErrorCode::MailFailed,
                         QStringLiteral("%1 stopped unexpectedly").arg(m_program)));
    else
        report(xdgEmailStatus(exitCode, errorOutput()));
    deleteLater();
}

void MailHandOff::onStartFailed()
{
    m_grace->stop();
    report(makeError(
        ErrorCode::MailFailed,
        QStringLiteral("%1 could not be started: %2").arg(m_program, m_process->errorString())));
    deleteLater();
}

void MailHandOff::onGraceOver()
{
    // An exit that happened just before the timer is still an early exit.
    if (m_process->state() == QProcess::NotRunning || m_process->waitForFinished(0))
        return;
    report({});
}

void MailHandOff::report(const Status& status)
{
    if (m_reported)
        return;
    m_reported = true;
    emit handedOver(status);
}

QString MailHandOff::errorOutput() const
{
    if (!m_errorFile || m_errorFile->fileName().isEmpty())
        return {};
    QFile file(m_errorFile->fileName());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.read(4096));
}

} // namespace velko
