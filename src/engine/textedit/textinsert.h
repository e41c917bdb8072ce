#pragma once

#include <QByteArray>
#include <QTextCursor>

class QImage;
class QTextTable;

// Tables and pictures put into the text at a QTextCursor, each as one
// undoable edit.
namespace velko::textinsert {

// The most rows and columns a table is made with, or grows to.
inline constexpr int kMaxTableRows = 1000;
inline constexpr int kMaxTableColumns = 64;

// An empty table of `rows` by `columns` (each at least 1, at most the limits)
// at the cursor, with thin borders and columns of equal share of the text
// width; the cursor goes to its first cell.
QTextTable* insertTable(QTextCursor& cursor, int rows, int columns);

enum class TableChange { RowAbove, RowBelow, ColumnLeft, ColumnRight, RemoveRow, RemoveColumn };

// Adds or removes a row or column at the cell of the cursor; column shares
// are made equal again. False, and nothing changed, when the cursor is in no
// table, when the table would grow past the limits, or when it would lose its
// last row or column.
bool changeTable(QTextCursor& cursor, TableChange change);

// Moves the cursor to the next cell of its table, row by row, or with
// `backwards` to the one before (staying in the first). Past the last cell a
// row is added, as one undoable edit. False when the cursor is in no table.
bool moveToNextCell(QTextCursor& cursor, bool backwards);

// A picture from the bytes of an image file: PNG and JPEG are kept as they
// are, other formats Qt reads are kept as PNG. It is shown at its own size,
// made smaller to fit the text width. False, and nothing inserted, when the
// bytes are no picture Qt can read.
bool insertPicture(QTextCursor& cursor, const QByteArray& bytes);
// A picture given as an image (pasted or dropped), kept as PNG.
bool insertImage(QTextCursor& cursor, const QImage& image);

} // namespace velko::textinsert
