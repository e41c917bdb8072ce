#pragma once

#include <QList>
#include <QLocale>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextListFormat>

#include <optional>

class QColor;
class QFont;

// The format commands of the editor, on a QTextCursor. Character formats
// apply to the selection of the cursor or, when it selects nothing, to the
// text typed next at it (the cursor's own char format). Paragraph formats
// apply to every paragraph the selection touches, as one undoable edit.
namespace velko::textformat {

// The paragraphs the selection of `cursor` touches, first to last.
QList<QTextBlock> selectedBlocks(const QTextCursor& cursor);

void setFontFamily(QTextCursor& cursor, const QString& family);
void setFontSize(QTextCursor& cursor, qreal pointSize);
// Family, size and every property `font` sets (as a font dialog returns it).
void setFont(QTextCursor& cursor, const QFont& font);
void setBold(QTextCursor& cursor, bool on);
void setItalic(QTextCursor& cursor, bool on);
void setUnderline(QTextCursor& cursor, bool on);
void setStrikeOut(QTextCursor& cursor, bool on);
// Superscript and subscript exclude each other; off is the normal baseline.
void setSuperscript(QTextCursor& cursor, bool on);
void setSubscript(QTextCursor& cursor, bool on);
void setTextColor(QTextCursor& cursor, const QColor& color);
void setHighlightColor(QTextCursor& cursor, const QColor& color);
// Back to the plain character format. Links stay links: only their look goes.
void clearFormatting(QTextCursor& cursor);

// The point size in `text` as typed in `locale`: nothing when it is not a
// number or not a size a font can take (above 0, at most 1638).
std::optional<qreal> fontSizeFromText(const QString& text, const QLocale& locale = QLocale());

void setAlignment(QTextCursor& cursor, Qt::Alignment alignment);
// Moves the paragraphs `levels` indent steps in (or out, when negative),
// never below none. A list item moves to the list of its new level: the one
// of the paragraph above when that is at this level, else a new one; out of
// the first level it leaves the list.
void changeIndent(QTextCursor& cursor, int levels);
// On: the paragraphs become items of a list of `style` (the list at the
// cursor changes its style and takes in the others). Off: they leave their
// lists, one indent step out from the list's level.
void setList(QTextCursor& cursor, QTextListFormat::Style style, bool on);

} // namespace velko::textformat
