#include "rtf/reader/tables.h"

#include "rtf/reader/fontsandcolors.h"
#include "rtf/reader/textoutput.h"

#include <QTextTable>

#include <algorithm>
#include <cstdlib>

namespace velko::rtf::reader {

namespace {

// Columns a table may have (word processors allow 63); cells past them share the last.
constexpr int kMaxColumns = 64;
// The width given to a column that no row definition states, in twips.
constexpr int kDefaultColumn = 1440;
// How far a row's cell edge may lie from a column edge of the rows before
// and still be taken for it, in twips: word processors write the same edge a
// few twips apart from row to row.
constexpr int kEdgeTolerance = 30;

int twipsValue(int value)
{
    return qBound(-1000000, value, 1000000);
}

// The right edges of a row's cells, made to increase.
QList<int> rightEdges(const QList<int>& rights, int left)
{
    QList<int> edges;
    edges.reserve(rights.size());
    int previous = left;
    for (const int right : rights) {
        previous = qMax(previous + 1, right);
        edges.append(previous);
    }
    return edges;
}

// The edges moved onto the known edges they lie close to, still increasing.
QList<int> snappedEdges(const QList<int>& rights, const QList<int>& known)
{
    QList<int> edges;
    edges.reserve(rights.size());
    for (const int right : rights) {
        int edge = right;
        int nearest = kEdgeTolerance + 1;
        const qsizetype found =
            std::lower_bound(known.cbegin(), known.cend(), right) - known.cbegin();
        for (const qsizetype candidate : {found - 1, found}) {
            if (candidate < 0 || candidate >= known.size())
                continue;
            if (const int distance = std::abs(known.at(candidate) - right); distance < nearest) {
                nearest = distance;
                edge = known.at(candidate);
            }
        }
        if (!edges.isEmpty() && edge <= edges.last())
            edge = qMax(right, edges.last() + 1);
        edges.append(edge);
    }
    return edges;
}

} // namespace

void Tables::rowWord(const WordEntry& entry, int value, int depth)
{
    depth = qBound(1, depth, kMaxTableDepth);
    if (entry.word == Word::RowDefaults) {
        m_rowDepth = depth;
        m_rows[depth] = Row{};
        return;
    }
    Row& row = m_rows[m_rowDepth];
    Cell& cell = row.next;
    switch (entry.word) {
    case Word::RowGap:
        row.gap = qBound(0, value, 10000);
        break;
    case Word::RowLeft:
        row.left = twipsValue(value);
        break;
    case Word::RowAlign:
        row.align = entry.character;
        break;
    case Word::CellRight:
        cell.right = twipsValue(value);
        if (row.cells.size() < kMaxColumns)
            row.cells.append(cell);
        cell = Cell{};
        row.cellBorder = false;
        break;
    case Word::CellMergeFirst:
        cell.mergeFirst = true;
        break;
    case Word::CellMerge:
        cell.merged = true;
        break;
    case Word::CellVMergeFirst:
        cell.verticalFirst = true;
        break;
    case Word::CellVMerge:
        cell.verticalMerged = true;
        break;
    case Word::CellShading:
        cell.shading = value;
        break;
    case Word::CellAlign:
        cell.align = entry.character;
        break;
    case Word::CellBorder:
        row.cellBorder = true;
        break;
    case Word::OtherBorder:
        row.cellBorder = false;
        break;
    case Word::BorderStyle:
        if (row.cellBorder && entry.character != 0)
            cell.bordered = true;
        break;
    case Word::BorderWidth:
        if (row.cellBorder)
            cell.border = qMax(cell.border, qBound(0, value, 255));
        break;
    case Word::BorderColor:
        if (row.cellBorder)
            cell.borderColor = value;
        break;
    default:
        break;
    }
}

void Tables::place(int depth)
{
    depth = qBound(0, depth, kMaxTableDepth);
    m_output.flushText();
    while (m_open.size() > depth)
        close();
    if (depth > 0 && m_open.size() == depth) {
        Open& table = m_open.last();
        if (table.rowEnded) {
            nextRow(table);
            table.cell = 0;
            table.rowEnded = false;
            startRow(table, m_rows[depth]);
            table.cellEnded = true;
        }
        if (table.cellEnded)
            enterCell(table);
    }
    while (m_open.size() < depth)
        open(int(m_open.size()) + 1);
}

void Tables::endCell(const ParaState& para)
{
    place(qMax(1, para.tableDepth()));
    Open& table = m_open.last();
    if (table.cell < table.covered.size() && table.covered.at(table.cell))
        m_output.flushText(); // joined to the cell before: that cell keeps its format
    else
        m_output.endCell(para);
    ++table.cell;
    table.cellEnded = true;
}

void Tables::endRow(int depth)
{
    depth = qBound(1, depth, kMaxTableDepth);
    m_output.flushText();
    while (m_open.size() > depth)
        close();
    while (m_open.size() < depth)
        open(int(m_open.size()) + 1);
    Open& table = m_open.last();
    if (table.rowEnded)
        return;
    finishRow(table, m_rows[depth]);
    table.rowEnded = true;
    table.cellEnded = false;
}

void Tables::open(int depth)
{
    m_output.takeEmptyParagraph();
    QTextTableFormat format;
    format.setBorder(0);
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    QTextTable* table = m_output.cursor().insertTable(1, 1, format);
    Open entry;
    entry.table = table;
    m_open.append(entry);
    // A nested table's definition follows its first row.
    startRow(m_open.last(), depth == 1 ? m_rows[1] : Row{});
    enterCell(m_open.last());
}

// Rows go in ahead, as many as the table has so far up to kRowsAhead: Qt
// makes the table's cell structure anew after rows are added, at a cost that
// grows with the table, so it is made a few times for a long table rather
// than once a row. close() removes the rows left over, which Qt does at a
// cost that grows faster than their number: hence the bound.
void Tables::nextRow(Open& table)
{
    constexpr int kRowsAhead = 1024;
    if (table.spareRows == 0) {
        table.spareRows = qMin(table.row + 1, kRowsAhead);
        table.table->appendRows(table.spareRows);
    }
    --table.spareRows;
    ++table.row;
}

void Tables::close()
{
    Open& table = m_open.last();
    if (table.spareRows > 0)
        table.table->removeRows(table.table->rows() - table.spareRows, table.spareRows);
    joinVertically(table);
    m_output.cursor().setPosition(table.table->lastPosition() + 1);
    m_open.removeLast();
}

void Tables::finish()
{
    m_output.flushText();
    while (!m_open.isEmpty())
        close();
}

// Cells join the ones above them only once the table is complete: Qt puts
// the cells of a column inserted beside a cell that spans rows into the wrong
// rows, and their text then lands in other cells.
void Tables::joinVertically(Open& table)
{
    QTextTable* qtable = table.table;
    for (const auto& [row, column] : std::as_const(table.verticalMerges)) {
        const QTextTableCell cell = qtable->cellAt(row, column);
        const QTextTableCell above = qtable->cellAt(row - 1, column);
        if (cell.row() == row && cell.column() == column && above.column() == column)
            qtable->mergeCells(above.row(), column, row - above.row() + 1,
                               qMax(above.columnSpan(), cell.columnSpan()));
    }
    table.verticalMerges.clear();
}

// Places the row's cells on the table's columns by their right edges,
// splitting columns where the row has an edge the rows before it had not,
// and joins the columns each cell spans.
void Tables::startRow(Open& table, const Row& row)
{
    table.cellStarts.clear();
    table.covered.clear();
    table.rowColumns = 0;
    if (row.cells.isEmpty())
        return;
    QList<int> rights;
    rights.reserve(row.cells.size());
    for (const Cell& cell : row.cells)
        rights.append(cell.right);
    rights = snappedEdges(rightEdges(rights, row.left), table.edges);
    if (table.edges.isEmpty())
        table.left = row.left;
    splitColumns(table, rights);

    QTextTable* qtable = table.table;
    const int columns = qtable->columns();
    QList<std::pair<int, int>> spans; // first and last column of each joined cell
    int start = 0;
    for (qsizetype i = 0; i < rights.size() && start < columns; ++i) {
        const auto found = std::lower_bound(table.edges.cbegin(), table.edges.cend(), rights.at(i));
        const int end = qBound(start, int(found - table.edges.cbegin()), columns - 1);
        if (row.cells.at(i).merged && !spans.isEmpty()) {
            spans.last().second = end;
            table.cellStarts.append(spans.last().first);
            table.covered.append(true);
        } else {
            spans.append({start, end});
            table.cellStarts.append(start);
            table.covered.append(false);
        }
        start = end + 1;
    }
    table.rowColumns = start;
    for (const auto& [first, last] : spans) {
        if (last > first)
            qtable->mergeCells(table.row, first, 1, last - first + 1);
    }
}

void Tables::splitColumns(Open& table, const QList<int>& rights)
{
    QTextTable* qtable = table.table;
    if (table.edges.isEmpty()) {
        table.edges = rights;
        if (qtable->columns() < rights.size())
            qtable->appendColumns(int(rights.size()) - qtable->columns());
        while (table.edges.size() < qtable->columns())
            table.edges.append(table.edges.last() + kDefaultColumn);
        table.edgesChanged = true;
        return;
    }
    for (const int right : rights) {
        if (qtable->columns() >= kMaxColumns)
            return; // the rest fall in the columns there are
        const auto found = std::lower_bound(table.edges.begin(), table.edges.end(), right);
        const int k = int(found - table.edges.begin());
        if (k < table.edges.size() && table.edges.at(k) == right)
            continue;
        if (k == table.edges.size()) {
            table.edgesChanged = true;
            qtable->appendColumns(1);
            table.edges.append(right);
            continue;
        }
        table.edgesChanged = true;
        // Column k splits at `right`: its left part stays k, the right part
        // becomes k + 1, and the rows before join the two again.
        qtable->insertColumns(k + 1, 1);
        table.edges.insert(k, right);
        for (auto& [mergedRow, mergedColumn] : table.verticalMerges) {
            if (mergedColumn > k)
                ++mergedColumn;
        }
        for (int row = 0; row < table.row; ++row) {
            const QTextTableCell left = qtable->cellAt(row, k);
            const QTextTableCell added = qtable->cellAt(row, k + 1);
            if (added.row() == row && added.column() == k + 1 &&
                left.column() + left.columnSpan() == k + 1)
                qtable->mergeCells(left.row(), left.column(), left.rowSpan(),
                                   left.columnSpan() + 1);
        }
    }
}

void Tables::enterCell(Open& table)
{
    QTextTable* qtable = table.table;
    bool covered = false;
    int column = table.rowColumns + table.cell - int(table.cellStarts.size());
    if (table.cell < table.cellStarts.size()) {
        column = table.cellStarts.at(table.cell);
        covered = table.covered.at(table.cell);
    }
    column = qMin(column, kMaxColumns - 1);
    if (column >= qtable->columns()) {
        qtable->appendColumns(column + 1 - qtable->columns());
        while (!table.edges.isEmpty() && table.edges.size() < qtable->columns())
            table.edges.append(table.edges.last() + kDefaultColumn);
        table.edgesChanged = true;
    }
    QTextTableCell cell = qtable->cellAt(table.row, column);
    // Should the table's grid have no cell there, the content joins the
    // row's last cell rather than landing anywhere else.
    while (!cell.isValid() && column > 0)
        cell = qtable->cellAt(table.row, --column);
    if (!cell.isValid())
        return;
    m_output.cursor().setPosition(covered ? cell.lastPosition() : cell.firstPosition());
    table.cellEnded = false;
}

void Tables::finishRow(Open& table, const Row& row)
{
    QTextTable* qtable = table.table;
    if (table.edges.isEmpty() && !row.cells.isEmpty()) {
        // A nested table learns its columns at the end of its first row.
        QList<int> rights;
        for (const Cell& cell : row.cells)
            rights.append(cell.right);
        table.left = row.left;
        splitColumns(table, rightEdges(rights, row.left));
    }
    const int columns = qtable->columns();
    for (qsizetype i = 0; i < row.cells.size(); ++i) {
        const bool placed = i < table.cellStarts.size();
        if (placed && table.covered.at(i))
            continue;
        const int column = placed ? table.cellStarts.at(i) : int(i);
        if (column >= columns)
            break;
        const Cell& spec = row.cells.at(i);
        QTextTableCell cell = qtable->cellAt(table.row, column);
        const QColor shading = m_colors.color(spec.shading);
        if (shading.isValid() || spec.align != 0) {
            QTextTableCellFormat format = cell.format().toTableCellFormat();
            if (shading.isValid())
                format.setBackground(shading);
            if (spec.align != 0)
                format.setVerticalAlignment(spec.align == 1 ? QTextCharFormat::AlignMiddle
                                                            : QTextCharFormat::AlignBottom);
            cell.setFormat(format);
        }
        if (spec.verticalMerged && table.row > 0)
            table.verticalMerges.append({table.row, column});
    }
    if (table.row == 0 || table.edgesChanged)
        formatTable(table, row);
    table.edgesChanged = false;
}

void Tables::formatTable(Open& table, const Row& row)
{
    QTextTableFormat format = table.table->format();
    if (!table.edges.isEmpty()) {
        QList<QTextLength> widths;
        int left = table.left;
        for (const int edge : std::as_const(table.edges)) {
            widths.append(QTextLength(QTextLength::FixedLength, (edge - left) / 20.0));
            left = edge;
        }
        format.setColumnWidthConstraints(widths);
    }
    if (table.row == 0) {
        int border = 0;
        int color = -1;
        for (const Cell& cell : row.cells) {
            if (cell.bordered) {
                border = qMax(border, cell.border > 0 ? cell.border : 10);
                color = cell.borderColor;
            }
        }
        format.setBorder(border / 20.0);
        if (border > 0) {
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            const QColor borderColor = m_colors.color(color);
            format.setBorderBrush(borderColor.isValid() ? borderColor : QColor(Qt::black));
        }
        if (row.align == 1)
            format.setAlignment(Qt::AlignHCenter);
        else if (row.align == 2)
            format.setAlignment(Qt::AlignRight);
        if (row.gap >= 0)
            format.setCellPadding(row.gap / 20.0);
    }
    table.table->setFormat(format);
}

} // namespace velko::rtf::reader
