#include "rtf/grammar/rtfgrammar.h"

#include "rtf/grammar/rtftokenizer.h"

namespace velko::rtf {

namespace {

// What may stand before "{\rtf": white space, line ends and NULs.
bool isLeadingPadding(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
}

// What may follow the end of a document: the same, vertical tabs and form feeds.
bool isTrailingPadding(char c)
{
    return isLeadingPadding(c) || c == '\v' || c == '\f';
}

} // namespace

qsizetype signatureStart(QByteArrayView data)
{
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() && isLeadingPadding(data[i]))
        ++i;
    return data.sliced(i).startsWith("{\\rtf") ? i : -1;
}

RtfExtent measureRtf(QByteArrayView data)
{
    RtfExtent extent;
    extent.start = signatureStart(data);
    if (extent.start < 0)
        return extent;
    RtfTokenizer tokenizer(data.sliced(extent.start));
    tokenizer.next(); // the '{' of "{\rtf"
    const int depth = tokenizer.skipGroup(kMaxGroupDepth);
    extent.end = extent.start + tokenizer.position();
    extent.kind = depth == 0               ? RtfExtent::Kind::Complete
                  : depth > kMaxGroupDepth ? RtfExtent::Kind::TooDeep
                                           : RtfExtent::Kind::Truncated;
    return extent;
}

bool isCompleteRtf(QByteArrayView data)
{
    const RtfExtent extent = measureRtf(data);
    if (extent.kind != RtfExtent::Kind::Complete)
        return false;
    for (qsizetype i = extent.end; i < data.size(); ++i) {
        if (!isTrailingPadding(data[i]))
            return false;
    }
    return true;
}

} // namespace velko::rtf
