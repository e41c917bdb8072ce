#include "engine/spell/spellhighlighter.h"

#include "engine/spell/spellchecker.h"

#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>

namespace velko {

SpellHighlighter::SpellHighlighter(SpellChecker* checker, QTextDocument* document)
    : QSyntaxHighlighter(document), m_checker(checker)
{
}

void SpellHighlighter::setEnabled(bool on)
{
    if (m_enabled == on)
        return;
    m_enabled = on;
    rehighlight();
}

QTextCharFormat SpellHighlighter::misspelledFormat()
{
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}

void SpellHighlighter::highlightBlock(const QString& text)
{
    if (!m_enabled || !m_checker)
        return;
    const QTextCharFormat mark = misspelledFormat();
    const QList<std::pair<int, int>> words = wordsOf(text);
    for (const auto& [start, length] : words) {
        if (!m_checker->isCorrect(text.mid(start, length)))
            setFormat(start, length, mark);
    }
}

QList<std::pair<int, int>> wordsOf(const QString& text)
{
    QList<std::pair<int, int>> words;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = finder.toNextBoundary();
        if (end < 0)
            break;
        bool letter = false;
        bool digit = false;
        for (qsizetype i = start; i < end; ++i) {
            letter = letter || text.at(i).isLetter();
            digit = digit || text.at(i).isDigit();
        }
        // A hyphen ends a word for the boundary rules; "well-known" is
        // checked as "well" and "known", as Hunspell's own tools do.
        if (letter && !digit) {
            qsizetype first = start;
            qsizetype last = end;
            while (first < last && !text.at(first).isLetter())
                ++first;
            while (last > first && !text.at(last - 1).isLetter())
                --last;
            words.append({int(first), int(last - first)});
        }
        start = end;
    }
    return words;
}

QTextCursor wordAt(QTextDocument* document, int position)
{
    QTextCursor cursor(document);
    const QTextBlock block = document->findBlock(position);
    if (!block.isValid())
        return cursor;
    const int inBlock = position - block.position();
    const QList<std::pair<int, int>> words = wordsOf(block.text());
    for (const auto& [start, length] : words) {
        if (inBlock >= start && inBlock <= start + length) {
            cursor.setPosition(block.position() + start);
            cursor.setPosition(block.position() + start + length, QTextCursor::KeepAnchor);
            return cursor;
        }
    }
    cursor.setPosition(position);
    return cursor;
}

} // namespace velko
