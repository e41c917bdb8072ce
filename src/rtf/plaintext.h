#pragma once

#include <QString>

class QTextDocument;

namespace velko::rtf {

// The text of a document as a reader sees it: one line per paragraph, line
// breaks as line feeds, and each list item's number or bullet before its text.
QString plainText(const QTextDocument& document);

} // namespace velko::rtf
