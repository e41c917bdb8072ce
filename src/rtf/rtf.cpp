#include "rtf/rtf.h"

#include "rtf/rtfreader.h"
#include "rtf/rtfwriter.h"

#include <QTextDocument>

namespace velko::rtf {

QByteArray write(const QTextDocument& document)
{
    return RtfWriter(document).write(0, document.characterCount() - 1);
}

QByteArray writeRange(const QTextDocument& document, int from, int to)
{
    return RtfWriter(document).write(from, to);
}

Status read(const QByteArray& data, QTextDocument* document)
{
    return read(data, document, {});
}

Status read(const QByteArray& data, QTextDocument* document, const ReadProgress& progress)
{
    if (!document)
        return makeError(ErrorCode::Internal, QStringLiteral("no document to read into"));
    RtfReader reader(document);
    reader.setProgress(progress);
    return reader.read(data);
}

Status check(const QByteArray& data)
{
    return RtfReader::check(data);
}

} // namespace velko::rtf
