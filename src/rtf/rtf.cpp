#include "rtf/rtf.h"

#include "rtf/rtfreader.h"
#include "rtf/rtftokenizer.h"
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
    if (!document)
        return makeError(ErrorCode::Internal, QStringLiteral("no document to read into"));
    return RtfReader(document).read(data);
}

bool looksLikeCompleteRtf(const QByteArray& data)
{
    const qsizetype start = RtfReader::signatureStart(data);
    if (start < 0)
        return false;
    const QByteArrayView rest = QByteArrayView(data).sliced(start);
    RtfTokenizer tokenizer(rest);
    qint64 depth = 0;
    for (RtfToken token = tokenizer.next(); token.type != RtfToken::Type::End;
         token = tokenizer.next()) {
        if (token.type == RtfToken::Type::GroupOpen)
            ++depth;
        else if (token.type == RtfToken::Type::GroupClose && --depth == 0)
            return true;
    }
    return false;
}

} // namespace velko::rtf
