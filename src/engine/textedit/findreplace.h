#pragma once

#include <QList>
#include <QString>
#include <QTextCursor>

class QTextDocument;

namespace velko {

// How a search compares text. Matches never cross a paragraph end.
struct FindOptions
{
    bool matchCase = false;
    bool wholeWords = false; // the match neither starts nor ends inside a word
};

enum class FindDirection { Forward, Backward };

struct FindResult
{
    QTextCursor match;    // null when nothing matched; otherwise selects the match
    bool wrapped = false; // the search went past the document's end (or start)
};

// The occurrence of `text` after the selection of `from` (Forward: starting at
// or after its end) or before it (Backward: ending at or before its start),
// continuing from the other end of the document when none is left.
FindResult findText(const QTextDocument* document, const QString& text, const QTextCursor& from,
                    FindDirection direction, const FindOptions& options);

// Whether `cursor` selects exactly one occurrence of `text`.
bool selectionMatches(const QTextCursor& cursor, const QString& text, const FindOptions& options);

// Every occurrence, left to right, none overlapping the one before: each as
// its start position.
QList<int> findAll(const QTextDocument* document, const QString& text, const FindOptions& options);

// Replaces every occurrence found by findAll with `replacement` as one
// undoable edit of `document`. Text the replacement brings in is never
// searched again. Returns how many were replaced.
int replaceAll(QTextDocument* document, const QString& text, const QString& replacement,
               const FindOptions& options);

} // namespace velko
