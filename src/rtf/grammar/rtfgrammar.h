#pragma once

#include <QByteArrayView>

// Where an RTF document starts and ends: the one set of rules that the reader
// and the lock and unlock checks apply, so that what one accepts the other
// opens.
namespace velko::rtf {

// Deepest group nesting a document may have, the outermost group counting as
// one. Real documents stay far below.
inline constexpr int kMaxGroupDepth = 1024;

// Where "{\rtf" begins after an optional UTF-8 byte order mark and white space
// (spaces, tabs, line ends, NULs); -1 when it does not.
qsizetype signatureStart(QByteArrayView data);

// How far the RTF document at the start of some data reaches.
struct RtfExtent
{
    enum class Kind {
        NotRtf,    // no "{\rtf" where a document may start
        TooDeep,   // groups nest beyond kMaxGroupDepth
        Truncated, // the data ends inside the outermost group
        Complete,  // the outermost group closes
    };

    Kind kind = Kind::NotRtf;
    qsizetype start = -1; // where "{\rtf" begins
    // Complete: just past the outermost '}'; TooDeep: just past the '{' that
    // went too deep; Truncated: the size of the data.
    qsizetype end = -1;
};

// Tokenizes `data` as far as its outermost group reaches. Escaped braces and
// backslashes and the bytes of \binN data make no structure.
RtfExtent measureRtf(QByteArrayView data);

// Whether `data` is one complete RTF document: it starts as signatureStart()
// allows, nests no deeper than kMaxGroupDepth, its outermost group closes, and
// nothing but white space or NULs follows.
bool isCompleteRtf(QByteArrayView data);

} // namespace velko::rtf
