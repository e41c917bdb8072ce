#pragma once

#include "core/result.h"
#include "rtf/grammar/rtfgrammar.h"

#include <QByteArray>

// Checks on the two kinds of text a secure document holds: its Base64 form
// and the RTF data under it.
namespace velko {

// The Base64 text with all whitespace (spaces, tabs, CR, LF) removed and
// re-wrapped in lines of 64 characters, each ended by a line feed: the only
// layout `openssl enc -d -base64` decodes reliably. WrongKeyword for text
// that holds anything but Base64 characters or holds nothing at all.
Result<QByteArray> normaliseBase64(const QByteArray& text);

// Whether the RTF data is one complete document, by the rules the RTF reader
// applies too: what lock accepts, unlock opens.
using rtf::isCompleteRtf;

} // namespace velko
