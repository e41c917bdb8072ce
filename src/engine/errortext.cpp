#include "engine/errortext.h"

#include <QObject>

namespace velko {

namespace {

QString withDetail(const QString& text, const QString& detail)
{
    if (detail.isEmpty())
        return text;
    return text + QLatin1String("\n\n") + detail;
}

} // namespace

QString userMessage(const Error& error)
{
    switch (error.code) {
    case ErrorCode::ToolMissing:
        return withDetail(QObject::tr("The openssl tool could not be started. Install the "
                                      "\"openssl\" package and try again."),
                          error.detail);
    case ErrorCode::CipherUnavailable:
        return withDetail(QObject::tr("This cipher is not available on this computer. "
                                      "Choose another cipher."),
                          error.detail);
    case ErrorCode::KeywordRefused:
        return withDetail(QObject::tr("This keyword cannot be used."), error.detail);
    case ErrorCode::ToolFailed:
        return withDetail(QObject::tr("The openssl tool reported an error."), error.detail);
    case ErrorCode::WrongKeyword:
        return QObject::tr("The document could not be unlocked: the keyword or the cipher is "
                           "wrong, or the file is damaged.");
    case ErrorCode::FileRead:
        return withDetail(QObject::tr("The file could not be read."), error.detail);
    case ErrorCode::FileWrite:
        return withDetail(QObject::tr("The file could not be written."), error.detail);
    case ErrorCode::NotRtf:
        return withDetail(QObject::tr("The file is not an RTF document."), error.detail);
    case ErrorCode::RtfTooDeep:
        return withDetail(QObject::tr("The RTF document is nested too deeply to be read."),
                          error.detail);
    case ErrorCode::MailNoClient:
        return withDetail(QObject::tr("No mail program is set up on this computer. Choose a "
                                      "default mail program in the desktop's settings."),
                          error.detail);
    case ErrorCode::MailFailed:
        return withDetail(QObject::tr("The message could not be handed to the mail program."),
                          error.detail);
    case ErrorCode::NetworkFailed:
        return withDetail(QObject::tr("The translation service could not be reached."),
                          error.detail);
    case ErrorCode::Internal:
        return withDetail(QObject::tr("An unexpected error occurred."), error.detail);
    }
    return error.detail;
}

} // namespace velko
