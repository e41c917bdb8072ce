#pragma once

#include <QSyntaxHighlighter>
#include <QTextCursor>

namespace velko {

class SpellChecker;

// Underlines misspelled words with a red wave. The marks live only in the
// text's layout: the document's own formats, its RTF, its undo steps and its
// modified flag are never touched.
class SpellHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    // `checker` must outlive the highlighter.
    SpellHighlighter(SpellChecker* checker, QTextDocument* document);

    bool isEnabled() const { return m_enabled; }
    // Off clears every mark; on marks the whole text again.
    void setEnabled(bool on);

    // The mark a misspelled word gets.
    static QTextCharFormat misspelledFormat();

protected:
    void highlightBlock(const QString& text) override;

private:
    SpellChecker* m_checker;
    bool m_enabled = true;
};

// Where the words of `text` are, as (start, length): runs of letters, with
// the apostrophes and hyphens inside them. Runs that hold a digit are no
// words to check ("mp3", "2nd").
QList<std::pair<int, int>> wordsOf(const QString& text);

// A cursor that selects the word at `position` of `document`, or a cursor
// without selection when there is no word there.
QTextCursor wordAt(QTextDocument* document, int position);

} // namespace velko
