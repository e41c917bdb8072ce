#pragma once

// Generated RTF documents of the shapes the RTF benchmark reads. Every run
// gives the same bytes, so figures of different builds compare.

#include <QByteArray>

namespace bench {

// A paper as word processors write it: headings from a style sheet,
// paragraphs of mixed formatting with non-ASCII text, numbered and bulleted
// lists, tables with merged and shaded cells, and PNG and JPEG pictures.
QByteArray paper(qint64 targetBytes);
// `runs` runs of one word, taking turns between three formats.
QByteArray alternatingRuns(int runs);
// `runs` runs of one word, each in a format no other run has (size and colour).
QByteArray distinctRuns(int runs);
// `paragraphs` short paragraphs of plain text.
QByteArray paragraphs(int paragraphs);
// Plain text in paragraphs of some 600 bytes, no formatting at all.
QByteArray plainText(qint64 targetBytes);
// One numbered list of `items` items.
QByteArray longList(int items);
// One table of two columns and `rows` rows.
QByteArray longTable(int rows);

} // namespace bench
