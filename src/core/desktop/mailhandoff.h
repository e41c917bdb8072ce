#pragma once

#include "core/result.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;
class QTemporaryFile;
class QTimer;

// Handing a message to the user's own mail client through xdg-email.
//
// The message travels as one ready-made "mailto:" URI (RFC 6068) rather than
// as xdg-email's --subject/--body/--attach options: xdg-email encodes those
// through the shell's echo, which turns backslash sequences such as "\n" into
// control characters and drops the body's trailing line break. Given a
// finished URI, xdg-email passes it on unchanged.
namespace velko {

struct MailMessage
{
    QString recipient; // one address, passed on as typed (may be empty)
    QString subject;
    QString body;
    QString attachmentPath; // absolute path; empty: no attachment
};

// How the attachment is named inside the URI.
enum class AttachmentForm {
    // The absolute path, as xdg-email itself would pass it.
    Path,
    // A percent-encoded file:// URL. Thunderbird's compose line splits its
    // attachment list on commas after xdg-email has decoded the URI once; in
    // a file URL the comma stays encoded through that decoding.
    FileUrl,
};

// The "mailto:" URI of `message`: to, subject, body and attach parameters,
// each percent-encoded as UTF-8; line breaks in the body become CR LF.
QString mailtoUri(const MailMessage& message, AttachmentForm form = AttachmentForm::Path);

// Arguments for xdg-email that open the client's compose window with
// `message` filled in.
QStringList xdgEmailArguments(const MailMessage& message,
                              AttachmentForm form = AttachmentForm::Path);

// The form the attachment must take for the client behind `desktopId`:
// FileUrl only where that client is Thunderbird and the path has a comma.
AttachmentForm attachmentFormFor(const QString& desktopId, const QString& attachmentPath);

// The desktop entry id (e.g. "thunderbird.desktop") of the default handler
// of mailto links, asked of `xdgMimePath`. MailNoClient when there is none.
Result<QString> mailtoHandler(const QString& xdgMimePath = QStringLiteral("xdg-mime"));

// Whether the program of desktop entry `desktopId` is Thunderbird (or
// Icedove), judged as xdg-email judges it: by its resolved executable path.
bool isThunderbirdHandler(const QString& desktopId);

// The outcome of an xdg-email run that ended with `exitCode`.
Status xdgEmailStatus(int exitCode, const QString& errorOutput);

// Starts xdg-email (or any program) without tying the window to it.
//
// xdg-email waits for the mail client when it had to launch it, so it may
// run for as long as the client does. The hand-over therefore waits up to
// `graceMs` for an early exit, which carries xdg-email's own verdict (no
// client, missing file, failure). If the program is still running then, the
// client has been started and the hand-over counts as done; the program runs
// on by itself, in its own session, with no pipes back to this process, so it
// outlives the application. Nothing blocks meanwhile: the event loop goes on.
//
// Made with new and without a parent: it deletes itself once the program has
// ended, which may be long after handedOver().
class MailHandOff : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultGraceMs = 3000;

    MailHandOff();
    ~MailHandOff() override;

    // Starts `program` with `arguments`. handedOver() follows exactly once,
    // from within this call when the program cannot be started at all.
    void start(const QString& program, const QStringList& arguments, int graceMs = kDefaultGraceMs);

signals:
    void handedOver(const velko::Status& status);

private:
    void onFinished(int exitCode, int exitStatus);
    void onStartFailed();
    void onGraceOver();
    void report(const Status& status);
    QString errorOutput() const;

    QProcess* m_process = nullptr;
    QTemporaryFile* m_errorFile = nullptr;
    QTimer* m_grace = nullptr;
    QString m_program;
    bool m_reported = false;
};

} // namespace velko
