#include "engine/textedit/textcounts.h"

#include <QTextDocument>

namespace velko::textedit {

namespace {

// Breaks between paragraphs, the edges of tables and their cells, and pictures
// part words but are no characters.
bool isBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n' ||
           c == u'\r' || c == u'\uFDD0' || c == u'\uFDD1' || c == QChar::ObjectReplacementCharacter;
}

} // namespace

TextCounts countText(const QString& plainText)
{
    TextCounts counts;
    bool inWord = false;
    for (const QChar c : plainText) {
        if (c.isLowSurrogate())
            continue; // one character with the high half before it
        if (!isBreak(c))
            ++counts.characters;
        const bool space = c.isSpace() || isBreak(c);
        if (!space && !inWord)
            ++counts.words;
        inWord = !space;
    }
    return counts;
}

TextCounts countText(const QTextDocument& document)
{
    return countText(document.toRawText());
}

} // namespace velko::textedit
