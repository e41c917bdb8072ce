#pragma once

#include <QByteArrayView>
#include <QString>

class QTextDocument;

namespace velko::rtf {

// The text of a document as a reader sees it: one line per paragraph, line
// breaks as line feeds, and each list item's number or bullet before its text.
QString plainText(const QTextDocument& document);

// The text of RTF kept as it came (hidden text, a text box): its characters
// and tabs, without the destinations it holds; with `lineEnds`, paragraph and
// line ends as line feeds (else they are left out).
QString keptText(QByteArrayView rtf, bool lineEnds = false);

} // namespace velko::rtf
