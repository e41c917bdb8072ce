#include "rtf/rtfwriter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cmath>

namespace velko::rtf {

namespace {

// The text width of an A4 page with 2 cm margins, in twips: what columns
// given as a share, or with no width, divide.
constexpr int kTextWidth = 9638;
// The deepest table nesting written; deeper tables are written at this depth.
constexpr int kMaxDepth = 16;

int twips(qreal points)
{
    return int(std::lround(points * 20));
}

bool inRange(const QTextBlock& block, int from, int to)
{
    const int start = block.position();
    if (start + block.length() - 1 < from || start > to)
        return false;
    // A range that ends where a paragraph starts holds none of it; the
    // document's own last paragraph is the exception when it is empty.
    return !(start == to && start != from && block.next().isValid());
}

// Column widths in twips: fixed ones as given, shares of the text width,
// and the rest divide what is left.
QList<int> columnWidths(const QTextTable& table)
{
    const QList<QTextLength> constraints = table.format().columnWidthConstraints();
    QList<int> widths(table.columns(), -1);
    int fixed = 0;
    int open = 0;
    for (int c = 0; c < table.columns(); ++c) {
        const QTextLength length = c < constraints.size() ? constraints.at(c) : QTextLength();
        if (length.type() == QTextLength::FixedLength)
            widths[c] = qMax(20, twips(length.rawValue()));
        else if (length.type() == QTextLength::PercentageLength)
            widths[c] = qMax(20, int(std::lround(kTextWidth * length.rawValue() / 100)));
        if (widths[c] < 0)
            ++open;
        else
            fixed += widths[c];
    }
    const int share = open > 0 ? qMax(360, (kTextWidth - fixed) / open) : 0;
    for (int& width : widths) {
        if (width < 0)
            width = share;
    }
    return widths;
}

} // namespace

void RtfWriter::writeFrame(const QTextFrame& frame, int from, int to, int depth)
{
    bool afterNotes = false;
    for (auto it = frame.begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame()) {
            // The notes are written with their marks; the empty paragraph
            // after them that ends the document is none of the text.
            afterNotes = isNotesArea(*child);
            if (afterNotes)
                continue;
            const auto* table = qobject_cast<const QTextTable*>(child);
            // Only a table whole in the range is one; of the others the paragraphs are.
            if (table && table->firstPosition() - 1 >= from && table->lastPosition() + 1 <= to)
                writeTable(*table, from, to, qMin(depth + 1, kMaxDepth));
            else
                writeFrame(*child, from, to, depth);
            continue;
        }
        const QTextBlock block = it.currentBlock();
        if (!inRange(block, from, to) ||
            (afterNotes && block.length() == 1 && !block.next().isValid()))
            continue;
        writeBlock(block, from, to, depth);
        m_out += paragraphEnd(block);
        m_needDelimiter = false;
    }
}

// Rows as RTF has them: the row's definition, each cell's paragraphs with
// \intbl, the last one ended by \cell, then \row. A nested table's cells end
// with \nestcell and its definition follows them, with \nestrow.
void RtfWriter::writeTable(const QTextTable& table, int from, int to, int depth)
{
    const QByteArray cellEnd = depth == 1 ? "\\cell\n" : "\\nestcell\n";
    for (int row = 0; row < table.rows(); ++row) {
        const QByteArray definition = rowDefinition(table, row);
        if (depth == 1) {
            m_out += definition;
            m_needDelimiter = true;
        }
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            m_lastParagraph.clear(); // each cell states its paragraphs in full
            if (cell.row() != row || cell.column() != column) {
                // Covered by a merged cell: an empty cell marked in the definition.
                m_out += depth == 1 ? "\\pard\\intbl"
                                    : "\\pard\\intbl\\itap" + QByteArray::number(depth);
                m_out += cellEnd;
                m_needDelimiter = false;
                continue;
            }
            bool endedByBlock = false;
            for (auto it = cell.begin(); !it.atEnd(); ++it) {
                if (endedByBlock) {
                    m_out += "\\par\n";
                    m_needDelimiter = false;
                }
                if (const auto* nested = qobject_cast<const QTextTable*>(it.currentFrame())) {
                    writeTable(*nested, from, to, qMin(depth + 1, kMaxDepth));
                    m_lastParagraph.clear();
                    endedByBlock = false;
                    continue;
                }
                if (it.currentFrame())
                    continue;
                writeBlock(it.currentBlock(), from, to, depth);
                endedByBlock = true;
            }
            if (!endedByBlock) {
                m_out += depth == 1 ? "\\pard\\intbl"
                                    : "\\pard\\intbl\\itap" + QByteArray::number(depth);
            }
            m_out += cellEnd;
            m_needDelimiter = false;
        }
        if (depth == 1)
            m_out += "\\row\n";
        else
            m_out += "{\\*\\nesttableprops" + definition + "\\nestrow}{\\nonesttables\\par}\n";
        m_needDelimiter = false;
        m_lastParagraph.clear();
    }
}

QByteArray RtfWriter::rowDefinition(const QTextTable& table, int row)
{
    const QTextTableFormat format = table.format();
    QByteArray out = "\\trowd\\trgaph" + QByteArray::number(twips(format.cellPadding()));
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        out += "\\trqc";
    else if (alignment & (Qt::AlignRight | Qt::AlignTrailing))
        out += "\\trqr";

    QByteArray borders;
    if (format.border() > 0 && format.borderStyle() != QTextFrameFormat::BorderStyle_None) {
        QByteArray border =
            "\\brdrs\\brdrw" + QByteArray::number(qBound(1, twips(format.border()), 75));
        if (format.borderBrush().style() != Qt::NoBrush)
            border += "\\brdrcf" + QByteArray::number(colorIndex(format.borderBrush().color()));
        for (const char* side : {"\\clbrdrt", "\\clbrdrl", "\\clbrdrb", "\\clbrdrr"})
            borders += side + border;
    }

    const QList<int> widths = columnWidths(table);
    int right = 0;
    for (int column = 0; column < table.columns(); ++column) {
        const QTextTableCell cell = table.cellAt(row, column);
        if (cell.row() < row)
            out += "\\clvmrg";
        else if (cell.rowSpan() > 1)
            out += "\\clvmgf";
        if (cell.columnSpan() > 1)
            out += cell.column() == column ? "\\clmgf" : "\\clmrg";
        const QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
        if (cellFormat.verticalAlignment() == QTextCharFormat::AlignMiddle)
            out += "\\clvertalc";
        else if (cellFormat.verticalAlignment() == QTextCharFormat::AlignBottom)
            out += "\\clvertalb";
        out += borders;
        if (cellFormat.hasProperty(QTextFormat::BackgroundBrush) &&
            cellFormat.background().style() != Qt::NoBrush)
            out += "\\clcbpat" + QByteArray::number(colorIndex(cellFormat.background().color()));
        right += widths.at(column);
        out += "\\cellx" + QByteArray::number(right);
    }
    return out;
}

} // namespace velko::rtf
