#include "cli/failure.h"

#include "cli/commands.h"
#include "core/nativepath.h"

#include <cstdio>

namespace velko::cli {

namespace {

int exitStatusFor(ErrorCode code)
{
    switch (code) {
    case ErrorCode::WrongKeyword:
    case ErrorCode::DocumentChanged:
    case ErrorCode::NotBase64:
    case ErrorCode::NotRtf:
    case ErrorCode::RtfTooDeep:
        return ExitWrongKeyword;
    case ErrorCode::ToolMissing:
    case ErrorCode::CipherUnavailable:
    case ErrorCode::ToolFailed:
        return ExitToolUnavailable;
    case ErrorCode::KeywordRefused:
        return ExitUsage;
    default:
        return ExitFileError;
    }
}

QString messageFor(const Error& error)
{
    switch (error.code) {
    case ErrorCode::WrongKeyword:
        return QStringLiteral("wrong keyword, wrong cipher or damaged document (%1)")
            .arg(error.detail);
    case ErrorCode::DocumentChanged:
        return QStringLiteral("The document was changed or damaged after it was locked (%1)")
            .arg(error.detail);
    case ErrorCode::NotBase64:
        return QStringLiteral("not a secure document (%1)").arg(error.detail);
    case ErrorCode::DiskFull:
        return QStringLiteral("no space left on the disk (%1)").arg(error.detail);
    case ErrorCode::FileTooLarge:
        return QStringLiteral("the file would be larger than allowed (%1)").arg(error.detail);
    default:
        return error.detail;
    }
}

} // namespace

int fail(int status, const QString& message)
{
    // A file name's bytes that are not UTF-8 are shown as "\xe9".
    std::fprintf(stderr, "velko-cli: %s\n", readablePath(message).toUtf8().constData());
    return status;
}

int usage(const QString& message)
{
    return fail(ExitUsage, message + QStringLiteral(" (see velko-cli --help)"));
}

int failWith(const Error& error)
{
    return fail(exitStatusFor(error.code), messageFor(error));
}

} // namespace velko::cli
