#pragma once

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

} // namespace velko::rtf
