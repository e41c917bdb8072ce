#include "engine/errortext.h"

#include "core/nativepath.h"

#include <QObject>

namespace velko {

namespace {

// A file name's bytes that are not UTF-8 are shown as "\xe9".
QString withDetail(const QString& text, const QString& detail)
{
    if (detail.isEmpty())
        return text;
    return text + QLatin1String("\n\n") + readablePath(detail);
}

} // namespace

QString userMessage(const Error& error)
{
    switch (error.code) {
    case ErrorCode::ToolMissing:
        return withDetail(QObject::tr("The openssl tool could not be started: install the "
                                      "\"openssl\" package and try again."),
                          error.detail);
    case ErrorCode::CipherUnavailable:
        return withDetail(QObject::tr("This cipher is not available on this computer, so "
                                      "choose another one."),
                          error.detail);
    case ErrorCode::KeywordRefused:
        return withDetail(QObject::tr("This keyword cannot be used."), error.detail);
    case ErrorCode::ToolFailed:
        return withDetail(QObject::tr("The openssl tool reported an error."), error.detail);
    case ErrorCode::WrongKeyword:
        return QObject::tr("The keyword or the cipher is wrong, or the file is damaged.");
    case ErrorCode::DocumentChanged:
        return QObject::tr("The document was changed or damaged after it was locked, so it was "
                           "not opened.");
    case ErrorCode::NotBase64:
        return withDetail(QObject::tr("The file is not a secure document: it does not hold "
                                      "Base64 text."),
                          error.detail);
    case ErrorCode::FileRead:
        return withDetail(QObject::tr("The file could not be read."), error.detail);
    case ErrorCode::NotRegularFile:
        return withDetail(QObject::tr("This is not a document file."), error.detail);
    case ErrorCode::NeverSaved:
        return withDetail(QObject::tr("The document has no file yet, so save it first."),
                          error.detail);
    case ErrorCode::FileWrite:
        return withDetail(QObject::tr("The file could not be written."), error.detail);
    case ErrorCode::FileReadOnly:
        return withDetail(QObject::tr("The file is read-only, so save the document under "
                                      "another name or make the file writable first."),
                          error.detail);
    case ErrorCode::DiskFull:
        return withDetail(QObject::tr("There is no space left on the disk: free some space "
                                      "and try again."),
                          error.detail);
    case ErrorCode::FileTooLarge:
        return withDetail(QObject::tr("The file would be larger than this system allows."),
                          error.detail);
    case ErrorCode::NotRtf:
        return withDetail(QObject::tr("The file is not an RTF document."), error.detail);
    case ErrorCode::NotPicture:
        return withDetail(QObject::tr("The file is not a picture that Velko can show."),
                          error.detail);
    case ErrorCode::RtfTooDeep:
        return withDetail(QObject::tr("The RTF document is nested too deeply to be read."),
                          error.detail);
    case ErrorCode::MailNoClient:
        return withDetail(QObject::tr("No mail program is set up on this computer: choose one "
                                      "in the desktop's settings."),
                          error.detail);
    case ErrorCode::MailFailed:
        return withDetail(QObject::tr("The message could not be handed to the mail program."),
                          error.detail);
    case ErrorCode::NetworkFailed:
        return withDetail(QObject::tr("The translation service could not be reached."),
                          error.detail);
    case ErrorCode::Cancelled:
        return QObject::tr("It was called off.");
    case ErrorCode::Internal:
        return withDetail(QObject::tr("An unexpected error occurred."), error.detail);
    }
    return error.detail;
}

QString failureTitle(Operation operation)
{
    switch (operation) {
    case Operation::Open:
        return QObject::tr("The document could not be opened.");
    case Operation::Save:
        return QObject::tr("The document could not be saved.");
    case Operation::Secure:
        return QObject::tr("The document could not be secured.");
    case Operation::Unlock:
        return QObject::tr("The document could not be unlocked.");
    case Operation::Mail:
        return QObject::tr("The document could not be handed to the mail program.");
    case Operation::ExportPdf:
        return QObject::tr("The PDF could not be exported.");
    case Operation::Translate:
        return QObject::tr("The text could not be translated.");
    case Operation::InsertPicture:
        return QObject::tr("The picture could not be inserted.");
    }
    return {};
}

} // namespace velko
