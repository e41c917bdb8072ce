#include "engine/textedit/findreplace.h"

#include <QTextBlock>
#include <QTextDocument>

namespace velko {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('_');
}

Qt::CaseSensitivity sensitivity(const FindOptions& options)
{
    return options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

bool isWholeWordAt(const QString& text, qsizetype start, qsizetype length)
{
    if (start > 0 && isWordChar(text.at(start - 1)) && isWordChar(text.at(start)))
        return false;
    const qsizetype end = start + length;
    if (end < text.size() && isWordChar(text.at(end)) && isWordChar(text.at(end - 1)))
        return false;
    return true;
}

// First match in `text` starting at or after `from`; -1 when none.
qsizetype firstMatchIn(const QString& text, const QString& needle, qsizetype from,
                       const FindOptions& options)
{
    for (qsizetype at = text.indexOf(needle, from, sensitivity(options)); at >= 0;
         at = text.indexOf(needle, at + 1, sensitivity(options))) {
        if (!options.wholeWords || isWholeWordAt(text, at, needle.size()))
            return at;
    }
    return -1;
}

// Last match in `text` starting at or before `from`; -1 when none.
qsizetype lastMatchIn(const QString& text, const QString& needle, qsizetype from,
                      const FindOptions& options)
{
    if (from < 0)
        return -1;
    for (qsizetype at = text.lastIndexOf(needle, from, sensitivity(options)); at >= 0;
         at = at == 0 ? -1 : text.lastIndexOf(needle, at - 1, sensitivity(options))) {
        if (!options.wholeWords || isWholeWordAt(text, at, needle.size()))
            return at;
    }
    return -1;
}

QTextCursor selectionOf(const QTextDocument* document, int start, int length)
{
    QTextCursor cursor(const_cast<QTextDocument*>(document));
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    return cursor;
}

// The first match at or after `position`, up to the document's end.
int searchForward(const QTextDocument* document, const QString& needle, int position,
                  const FindOptions& options)
{
    for (QTextBlock block = document->findBlock(position); block.isValid(); block = block.next()) {
        const qsizetype from = qMax(0, position - block.position());
        const qsizetype at = firstMatchIn(block.text(), needle, from, options);
        if (at >= 0)
            return block.position() + int(at);
    }
    return -1;
}

// The last match ending at or before `limit`, back to the document's start.
int searchBackward(const QTextDocument* document, const QString& needle, int limit,
                   const FindOptions& options)
{
    QTextBlock block = document->findBlock(limit);
    if (!block.isValid())
        block = document->lastBlock();
    for (; block.isValid(); block = block.previous()) {
        const QString text = block.text();
        const qsizetype latestStart =
            qMin<qsizetype>(limit - block.position(), text.size()) - needle.size();
        const qsizetype at = lastMatchIn(text, needle, latestStart, options);
        if (at >= 0)
            return block.position() + int(at);
    }
    return -1;
}

} // namespace

FindResult findText(const QTextDocument* document, const QString& text, const QTextCursor& from,
                    FindDirection direction, const FindOptions& options)
{
    FindResult result;
    if (text.isEmpty())
        return result;
    const int length = int(text.size());
    if (direction == FindDirection::Forward) {
        int at = searchForward(document, text, from.isNull() ? 0 : from.selectionEnd(), options);
        if (at < 0) {
            at = searchForward(document, text, 0, options);
            result.wrapped = true;
        }
        if (at >= 0)
            result.match = selectionOf(document, at, length);
    } else {
        const int end = document->characterCount() - 1;
        int at =
            searchBackward(document, text, from.isNull() ? end : from.selectionStart(), options);
        if (at < 0) {
            at = searchBackward(document, text, end, options);
            result.wrapped = true;
        }
        if (at >= 0)
            result.match = selectionOf(document, at, length);
    }
    if (result.match.isNull())
        result.wrapped = false;
    return result;
}

bool selectionMatches(const QTextCursor& cursor, const QString& text, const FindOptions& options)
{
    if (text.isEmpty() || !cursor.hasSelection())
        return false;
    const int start = cursor.selectionStart();
    if (cursor.selectionEnd() - start != text.size())
        return false;
    const QTextBlock block = cursor.document()->findBlock(start);
    const QString blockText = block.text();
    const qsizetype offset = start - block.position();
    if (offset + text.size() > blockText.size())
        return false;
    if (QStringView(blockText).mid(offset, text.size()).compare(text, sensitivity(options)) != 0)
        return false;
    return !options.wholeWords || isWholeWordAt(blockText, offset, text.size());
}

QList<int> findAll(const QTextDocument* document, const QString& text, const FindOptions& options)
{
    QList<int> starts;
    if (text.isEmpty())
        return starts;
    for (int at = searchForward(document, text, 0, options); at >= 0;
         at = searchForward(document, text, at + int(text.size()), options))
        starts.append(at);
    return starts;
}

int replaceAll(QTextDocument* document, const QString& text, const QString& replacement,
               const FindOptions& options)
{
    const QList<int> starts = findAll(document, text, options);
    if (starts.isEmpty())
        return 0;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    // From the end backwards, so the positions still to come stay valid.
    for (auto it = starts.crbegin(); it != starts.crend(); ++it) {
        cursor.setPosition(*it);
        cursor.setPosition(*it + int(text.size()), QTextCursor::KeepAnchor);
        cursor.insertText(replacement);
    }
    cursor.endEditBlock();
    return int(starts.size());
}

} // namespace velko
