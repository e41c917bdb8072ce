#pragma once

#include <QString>
#include <QTextListFormat>

class QTextBlock;
class QTextList;

namespace velko::rtf {

// A number as a numbered list style shows it ("12", "xii", "L"); empty for
// bullet styles and for numbers a style cannot show.
QString listNumberText(int number, QTextListFormat::Style style);

// The label of a list item as Qt gives it, but counted from the list's
// first number (kListStart) when it has one.
QString listItemText(const QTextList& list, const QTextBlock& block);

} // namespace velko::rtf
