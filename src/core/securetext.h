#pragma once

#include "core/result.h"

#include <QByteArray>

// Checks on the two kinds of text a secure document holds: its Base64 form
// and the RTF data under it.
namespace velko {

// The Base64 text with all whitespace (spaces, tabs, CR, LF) removed and
// re-wrapped in lines of 64 characters, each ended by a line feed: the only
// layout `openssl enc -d -base64` decodes reliably. WrongKeyword for text
// that holds anything but Base64 characters or holds nothing at all.
Result<QByteArray> normaliseBase64(const QByteArray& text);

// Whether `data` is one complete RTF document: it begins with "{\rtf" and
// its outermost group closes, followed by nothing but whitespace or NULs.
// Escaped braces and backslashes (\{ \} \\) and the bytes of `\binN` data
// do not count as structure.
bool isCompleteRtf(const QByteArray& data);

} // namespace velko
