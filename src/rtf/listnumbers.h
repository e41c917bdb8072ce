#pragma once

#include <QHash>
#include <QString>
#include <QTextListFormat>

class QTextBlock;
class QTextList;

namespace velko::rtf {

// A number as a numbered list style shows it ("12", "xii", "L"); empty for
// bullet styles and for numbers a style cannot show.
QString listNumberText(int number, QTextListFormat::Style style);

// A number as an RTF number format (\levelnfc) shows it; empty for bullets
// and formats it does not know.
QString listNumberText(int number, int numberFormat);
// Whether listNumberText knows an RTF number format that Qt has no style for.
bool isExtraNumberFormat(int numberFormat);

// The label of a list item as Qt gives it, but counted from the list's
// first number (kListStart) and in its own number format (kListNumberFormat)
// when it has them.
QString listItemText(const QTextList& list, const QTextBlock& block);
// The same for the item at `index` in its list, without looking for it
// there (which takes as long as the list).
QString listItemText(const QTextList& list, const QTextBlock& block, int index);

// Finds the items of lists in a walk through a document: the item after the
// last one found in its list is found at once, any other by a search.
class ListItemIndexes
{
public:
    int indexOf(const QTextList& list, const QTextBlock& block);

private:
    QHash<const QTextList*, int> m_last;
};

} // namespace velko::rtf
