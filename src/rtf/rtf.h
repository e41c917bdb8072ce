#pragma once

#include "core/result.h"

#include <QByteArray>

#include <functional>

class QTextDocument;

namespace velko::rtf {

// Whole document to RTF 1.x. The same document always gives the same bytes.
QByteArray write(const QTextDocument& document);

// The characters [from, to) of the document, as a complete RTF document.
QByteArray writeRange(const QTextDocument& document, int from, int to);

// Replaces the content of `document` with the RTF read from `data`.
// On error the document is left untouched.
Status read(const QByteArray& data, QTextDocument* document);

// Told now and then how many bytes of the data a read has come through;
// false calls the read off.
using ReadProgress = std::function<bool(qint64 bytesRead)>;
// The same, telling `progress` how far it came. A read called off fails
// with ErrorCode::Cancelled and leaves the document part built: give it a
// document of its own.
Status read(const QByteArray& data, QTextDocument* document, const ReadProgress& progress);
// What read() checks before it changes anything: the errors it would give
// for `data`, found without reading it.
Status check(const QByteArray& data);

} // namespace velko::rtf
