#pragma once

#include "core/result.h"

#include <QByteArray>

class QTextDocument;

namespace velko::rtf {

// Whole document to RTF 1.x. The same document always gives the same bytes.
QByteArray write(const QTextDocument& document);

// The characters [from, to) of the document, as a complete RTF document.
QByteArray writeRange(const QTextDocument& document, int from, int to);

// Replaces the content of `document` with the RTF read from `data`.
// On error the document is left untouched.
Status read(const QByteArray& data, QTextDocument* document);

} // namespace velko::rtf
