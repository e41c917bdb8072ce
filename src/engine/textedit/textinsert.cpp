#include "engine/textedit/textinsert.h"

#include "rtf/pictureproperties.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>

namespace velko::textinsert {

namespace {

// The width a picture is shown at, at most: the text width of an A4 page
// with 2 cm margins, in points.
constexpr qreal kMaxPictureWidth = 481.9;
// Pictures are measured in points; a pixel of the picture is 0.75 points.
constexpr qreal kPointsPerPixel = 0.75;

QList<QTextLength> equalShares(int columns)
{
    return QList<QTextLength>(columns, QTextLength(QTextLength::PercentageLength, 100.0 / columns));
}

void shareColumnsEqually(QTextTable* table)
{
    QTextTableFormat format = table->format();
    format.setColumnWidthConstraints(equalShares(table->columns()));
    table->setFormat(format);
}

// Inserts `bytes` (PNG or JPEG) showing `size` pixels as a document resource.
void insertResource(QTextCursor& cursor, const QByteArray& bytes, QLatin1StringView extension,
                    QSize size)
{
    const QString name = rtf::pictureResourceName(bytes, extension);
    cursor.document()->addResource(QTextDocument::ImageResource, QUrl(name), bytes);
    qreal width = size.width() * kPointsPerPixel;
    qreal height = size.height() * kPointsPerPixel;
    if (width > kMaxPictureWidth) {
        height = height * kMaxPictureWidth / width;
        width = kMaxPictureWidth;
    }
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(width);
    format.setHeight(height);
    cursor.insertImage(format);
}

} // namespace

QTextTable* insertTable(QTextCursor& cursor, int rows, int columns)
{
    rows = qBound(1, rows, kMaxTableRows);
    columns = qBound(1, columns, kMaxTableColumns);
    QTextTableFormat format;
    format.setBorder(1);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellPadding(4);
    format.setCellSpacing(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setColumnWidthConstraints(equalShares(columns));
    return cursor.insertTable(rows, columns, format);
}

bool changeTable(QTextCursor& cursor, TableChange change)
{
    QTextTable* table = cursor.currentTable();
    if (!table)
        return false;
    const QTextTableCell cell = table->cellAt(cursor);
    const int row = cell.row();
    const int column = cell.column();
    const bool addsRow = change == TableChange::RowAbove || change == TableChange::RowBelow;
    const bool addsColumn = change == TableChange::ColumnLeft || change == TableChange::ColumnRight;
    if ((addsRow && table->rows() >= kMaxTableRows) ||
        (addsColumn && table->columns() >= kMaxTableColumns) ||
        (change == TableChange::RemoveRow && table->rows() <= 1) ||
        (change == TableChange::RemoveColumn && table->columns() <= 1))
        return false;

    cursor.beginEditBlock();
    switch (change) {
    case TableChange::RowAbove:
        table->insertRows(row, 1);
        break;
    case TableChange::RowBelow:
        table->insertRows(row + cell.rowSpan(), 1);
        break;
    case TableChange::ColumnLeft:
        table->insertColumns(column, 1);
        break;
    case TableChange::ColumnRight:
        table->insertColumns(column + cell.columnSpan(), 1);
        break;
    case TableChange::RemoveRow:
        table->removeRows(row, 1);
        break;
    case TableChange::RemoveColumn:
        table->removeColumns(column, 1);
        break;
    }
    if (addsColumn || change == TableChange::RemoveColumn)
        shareColumnsEqually(table);
    cursor.endEditBlock();
    return true;
}

bool moveToNextCell(QTextCursor& cursor, bool backwards)
{
    QTextTable* table = cursor.currentTable();
    if (!table)
        return false;
    const QTextTableCell cell = table->cellAt(cursor);
    const int columns = table->columns();
    // Cells in reading order; the parts of a merged cell are passed over.
    int index = cell.row() * columns + cell.column();
    const int step = backwards ? -1 : 1;
    for (index += backwards ? -1 : cell.columnSpan(); index >= 0; index += step) {
        if (index >= table->rows() * columns) {
            if (table->rows() >= kMaxTableRows)
                return true;
            table->appendRows(1);
        }
        const QTextTableCell next = table->cellAt(index / columns, index % columns);
        if (next.row() == index / columns && next.column() == index % columns) {
            cursor = next.firstCursorPosition();
            return true;
        }
    }
    return true;
}

bool insertPicture(QTextCursor& cursor, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    const QByteArray kind = reader.format();
    if (kind == "png" || kind == "jpeg" || kind == "jpg") {
        const QSize size = reader.size();
        if (!size.isValid() || !reader.canRead())
            return false;
        insertResource(cursor, bytes, QLatin1StringView(kind == "png" ? ".png" : ".jpeg"), size);
        return true;
    }
    return insertImage(cursor, reader.read());
}

bool insertImage(QTextCursor& cursor, const QImage& image)
{
    if (image.isNull())
        return false;
    insertResource(cursor, rtf::pngBytes(image), QLatin1StringView(".png"), image.size());
    return true;
}

} // namespace velko::textinsert
