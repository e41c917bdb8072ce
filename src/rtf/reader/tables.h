#pragma once

#include "rtf/reader/controlwords.h"
#include "rtf/reader/formats.h"

#include <QList>

class QTextTable;

namespace velko::rtf::reader {

class ColorTable;
class TextOutput;

// The tables of a document as QTextTables. RTF gives a table as rows: a row
// definition (\trowd and the cells' \cellx right edges), then the cells'
// paragraphs, each cell ended by \cell, the row by \row; a nested table's
// row definition follows its cells (\nesttableprops). The cursor moves
// into a table, a new row or the next cell only when content arrives for it,
// so an ended row or cell adds nothing until then.
class Tables
{
public:
    Tables(TextOutput& output, const ColorTable& colors) : m_output(output), m_colors(colors) {}

    // A word of a row definition (RowDefaults to BorderColor); `depth`: the
    // table depth it describes (1 but inside \nesttableprops).
    void rowWord(const WordEntry& entry, int value, int depth);
    static bool isRowWord(Word word)
    {
        return word >= Word::RowDefaults && word <= Word::BorderColor;
    }

    // Whether content of a paragraph at `depth` needs place() first.
    bool needsPlacing(int depth) const
    {
        return depth != m_open.size() ||
               (depth > 0 && (m_open.last().rowEnded || m_open.last().cellEnded));
    }
    // Moves the output to where content at `depth` goes: out of deeper
    // tables, into a new row or the next cell, or into new tables.
    void place(int depth);
    // \cell and \nestcell: the paragraph at `depth` ends its cell.
    void endCell(const ParaState& para);
    // \row and \nestrow: the row at `depth` ends and takes its definition.
    void endRow(int depth);
    // The end of the document: the tables still open are completed.
    void finish();

private:
    struct Cell
    {
        int right = 0; // twips from the row's left edge
        bool mergeFirst = false;
        bool merged = false;
        bool verticalFirst = false;
        bool verticalMerged = false;
        int shading = -1; // colour table index
        int align = 0;
        bool bordered = false;
        int border = 0; // twips
        int borderColor = -1;
    };

    struct Row
    {
        QList<Cell> cells;
        Cell next; // the properties of the cell whose \cellx comes next
        int gap = -1;
        int left = 0;
        int align = 0;
        bool cellBorder = false; // the border words that follow are a cell's
    };

    struct Open
    {
        QTextTable* table = nullptr;
        QList<int> edges;      // the columns' right edges, from the first row on
        QList<int> cellStarts; // the column each cell of the current row begins at
        QList<bool> covered;   // the cell joins the one before it (\clmrg)
        int rowColumns = 0;    // the columns the current row's definition covers
        int left = 0;          // the first row's left edge
        int row = 0;
        int spareRows = 0; // rows added ahead of the rows read (see nextRow())
        int cell = 0;
        bool rowEnded = false;
        bool cellEnded = false;
        bool edgesChanged = false;
        // Cells (row, column) that join the cell above them, once the table is done.
        QList<std::pair<int, int>> verticalMerges;
    };

    void open(int depth);
    void close();
    void nextRow(Open& table);
    void joinVertically(Open& table);
    void startRow(Open& table, const Row& row);
    void splitColumns(Open& table, const QList<int>& rights);
    void enterCell(Open& table);
    void finishRow(Open& table, const Row& row);
    void formatTable(Open& table, const Row& row);

    TextOutput& m_output;
    const ColorTable& m_colors;
    QList<Open> m_open;
    Row m_rows[kMaxTableDepth + 1]; // the row definitions by depth
    int m_rowDepth = 1;             // the depth of the definition being read
};

} // namespace velko::rtf::reader
