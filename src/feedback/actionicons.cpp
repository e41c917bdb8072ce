#include "feedback/actionicons.h"

#include <QAction>
#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace velko {

namespace {

// Drawings on a 16 x 16 grid, in the pen and brush the engine sets up.
using Drawing = void (*)(QPainter& p);

void page(QPainter& p)
{
    QPainterPath outline;
    outline.moveTo(3.5, 1.5);
    outline.lineTo(9.5, 1.5);
    outline.lineTo(12.5, 4.5);
    outline.lineTo(12.5, 14.5);
    outline.lineTo(3.5, 14.5);
    outline.closeSubpath();
    outline.moveTo(9.5, 1.5);
    outline.lineTo(9.5, 4.5);
    outline.lineTo(12.5, 4.5);
    p.drawPath(outline);
}

void lines(QPainter& p, const double (&widths)[4], double left = 2,
           Qt::Alignment align = Qt::AlignLeft)
{
    for (int i = 0; i < 4; ++i) {
        const double w = widths[i];
        const double x = align == Qt::AlignRight     ? 14 - w
                         : align == Qt::AlignHCenter ? 8 - w / 2
                                                     : left;
        p.drawLine(QPointF(x, 3.5 + i * 3), QPointF(x + w, 3.5 + i * 3));
    }
}

void letter(QPainter& p, const QString& text, bool bold = false, bool italic = false,
            double size = 11, const QRectF& box = QRectF(0, 0, 16, 16))
{
    QFont font = p.font();
    font.setPointSizeF(size);
    font.setBold(bold);
    font.setItalic(italic);
    p.save();
    p.setFont(font);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

void arrow(QPainter& p, QPointF from, QPointF to)
{
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    p.drawLine(to, to - d * 2.5 + n * 2);
    p.drawLine(to, to - d * 2.5 - n * 2);
}

void magnifier(QPainter& p, double size = 8)
{
    p.drawEllipse(QRectF(1.5, 1.5, size, size));
    p.drawLine(QPointF(1.5 + size * 0.85, 1.5 + size * 0.85), QPointF(14.5, 14.5));
}

void padlock(QPainter& p, bool open)
{
    p.drawRect(QRectF(3.5, 7.5, 9, 7));
    QPainterPath shackle;
    shackle.moveTo(5.5, 7.5);
    shackle.lineTo(5.5, 4.5);
    shackle.arcTo(QRectF(5.5, 1.5, 5, 5), 180, -180);
    shackle.lineTo(10.5, open ? 4.5 : 7.5);
    if (open)
        shackle.translate(3, -1);
    p.drawPath(shackle);
    p.drawPoint(QPointF(8, 11));
}

void floppy(QPainter& p)
{
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
    p.drawRect(QRectF(5, 2.5, 6, 4));
    p.drawRect(QRectF(4.5, 9.5, 7, 4));
}

void folder(QPainter& p)
{
    QPainterPath path;
    path.moveTo(1.5, 13.5);
    path.lineTo(1.5, 3.5);
    path.lineTo(6, 3.5);
    path.lineTo(7.5, 5);
    path.lineTo(13.5, 5);
    path.lineTo(13.5, 13.5);
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(QPointF(1.5, 7.5), QPointF(13.5, 7.5));
}

void curvedArrow(QPainter& p, bool back)
{
    p.save();
    if (!back) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath path;
    path.moveTo(3, 6);
    path.lineTo(10, 6);
    path.arcTo(QRectF(6, 6, 8, 7), 90, -180);
    path.lineTo(6, 13);
    p.drawPath(path);
    p.drawLine(QPointF(3, 6), QPointF(6, 3));
    p.drawLine(QPointF(3, 6), QPointF(6, 9));
    p.restore();
}

// A table of `rows` by `columns` cells filling `box`.
void grid(QPainter& p, const QRectF& box, int rows, int columns)
{
    p.drawRect(box);
    for (int r = 1; r < rows; ++r)
        p.drawLine(QPointF(box.left(), box.top() + box.height() * r / rows),
                   QPointF(box.right(), box.top() + box.height() * r / rows));
    for (int c = 1; c < columns; ++c)
        p.drawLine(QPointF(box.left() + box.width() * c / columns, box.top()),
                   QPointF(box.left() + box.width() * c / columns, box.bottom()));
}

// A table with a row or column added (a plus) or taken away (a minus) on
// the side given: rows above or below, columns left or right.
void tableChange(QPainter& p, bool row, bool first, bool remove)
{
    const QRectF table =
        row ? QRectF(1.5, first ? 7.5 : 1.5, 13, 7) : QRectF(first ? 7.5 : 1.5, 1.5, 7, 13);
    grid(p, table, row ? 2 : 3, row ? 3 : 2);
    const QPointF mark = row ? QPointF(8, first ? 3.5 : 12.5) : QPointF(first ? 3.5 : 12.5, 8);
    p.drawLine(mark - QPointF(2.5, 0), mark + QPointF(2.5, 0));
    if (!remove)
        p.drawLine(mark - QPointF(0, 2.5), mark + QPointF(0, 2.5));
}

void clipboard(QPainter& p)
{
    p.drawRect(QRectF(3.5, 3, 9, 11.5));
    p.drawRect(QRectF(6, 1.5, 4, 3));
}

const struct Icon
{
    const char* action;
    const char* theme;
    Drawing draw;
} kIcons[] = {
    {"btnNewAction", "document-new",
     [](QPainter& p) {
         page(p);
     }},
    {"btnOpenAction", "document-open",
     [](QPainter& p) {
         folder(p);
     }},
    {"btnSaveAction", "document-save",
     [](QPainter& p) {
         floppy(p);
     }},
    {"btnSaveAsAction", "document-save-as",
     [](QPainter& p) {
         floppy(p);
         p.drawLine(QPointF(9, 15), QPointF(15, 9));
     }},
    {"btnClearAction", "edit-clear-all",
     [](QPainter& p) {
         page(p);
         p.drawLine(QPointF(5.5, 7), QPointF(10.5, 12));
         p.drawLine(QPointF(10.5, 7), QPointF(5.5, 12));
     }},
    {"btnSecureText", "document-encrypt",
     [](QPainter& p) {
         padlock(p, false);
     }},
    {"btnUnlockText", "document-decrypt",
     [](QPainter& p) {
         padlock(p, true);
     }},
    {"btnSendMail", "mail-send",
     [](QPainter& p) {
         p.drawRect(QRectF(1.5, 3.5, 13, 9));
         p.drawPolyline(QPolygonF({{1.5, 3.5}, {8, 9}, {14.5, 3.5}}));
     }},
    {"btnTranslateToBulgarian", "preferences-desktop-locale",
     [](QPainter& p) {
         letter(p, QStringLiteral("A"), true, false, 7, QRectF(0, 0, 9, 9));
         letter(p, QString(QChar(0x0411)), true, false, 7, QRectF(7, 7, 9, 9));
         arrow(p, QPointF(9, 3.5), QPointF(13, 3.5));
     }},
    {"btnShowAboutBox", "help-about",
     [](QPainter& p) {
         p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
         letter(p, QStringLiteral("i"), true, false, 8);
     }},
    {"btnQuitAction", "application-exit",
     [](QPainter& p) {
         p.drawPolyline(QPolygonF(
             {{9.5, 4.5}, {9.5, 1.5}, {2.5, 1.5}, {2.5, 14.5}, {9.5, 14.5}, {9.5, 11.5}}));
         arrow(p, QPointF(6, 8), QPointF(14.5, 8));
     }},
    {"openRecentMenu", "document-open-recent",
     [](QPainter& p) {
         p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
         p.drawPolyline(QPolygonF({{8, 4}, {8, 8}, {11, 10}}));
     }},
    {"editUndo", "edit-undo",
     [](QPainter& p) {
         curvedArrow(p, true);
     }},
    {"editRedo", "edit-redo",
     [](QPainter& p) {
         curvedArrow(p, false);
     }},
    {"editCut", "edit-cut",
     [](QPainter& p) {
         p.drawEllipse(QRectF(1.5, 10, 4.5, 4.5));
         p.drawEllipse(QRectF(10, 10, 4.5, 4.5));
         p.drawLine(QPointF(5, 10.5), QPointF(12, 1.5));
         p.drawLine(QPointF(11, 10.5), QPointF(4, 1.5));
     }},
    {"editCopy", "edit-copy",
     [](QPainter& p) {
         p.drawRect(QRectF(1.5, 1.5, 8, 10));
         p.drawRect(QRectF(6.5, 4.5, 8, 10));
     }},
    {"editPaste", "edit-paste",
     [](QPainter& p) {
         clipboard(p);
     }},
    {"editPastePlainText", "edit-paste",
     [](QPainter& p) {
         clipboard(p);
         letter(p, QStringLiteral("T"), false, false, 6, QRectF(3.5, 5, 9, 9));
     }},
    {"editSelectAll", "edit-select-all",
     [](QPainter& p) {
         QPen pen = p.pen();
         pen.setStyle(Qt::DashLine);
         p.setPen(pen);
         p.drawRect(QRectF(1.5, 1.5, 13, 13));
     }},
    {"editFind", "edit-find",
     [](QPainter& p) {
         magnifier(p, 9);
     }},
    {"editFindNext", "go-down-search",
     [](QPainter& p) {
         magnifier(p, 7);
         arrow(p, QPointF(13, 1.5), QPointF(13, 8));
     }},
    {"editFindPrevious", "go-up-search",
     [](QPainter& p) {
         magnifier(p, 7);
         arrow(p, QPointF(13, 8), QPointF(13, 1.5));
     }},
    {"editReplace", "edit-find-replace",
     [](QPainter& p) {
         letter(p, QStringLiteral("a"), false, false, 7, QRectF(0, 0, 8, 8));
         letter(p, QStringLiteral("b"), false, false, 7, QRectF(8, 8, 8, 8));
         arrow(p, QPointF(4, 10), QPointF(4, 14));
         arrow(p, QPointF(12, 6), QPointF(12, 2));
     }},
    {"formatBold", "format-text-bold",
     [](QPainter& p) {
         letter(p, QStringLiteral("B"), true);
     }},
    {"formatItalic", "format-text-italic",
     [](QPainter& p) {
         letter(p, QStringLiteral("I"), false, true);
     }},
    {"formatUnderline", "format-text-underline",
     [](QPainter& p) {
         letter(p, QStringLiteral("U"), false, false, 10, QRectF(0, 0, 16, 13));
         p.drawLine(QPointF(3, 14.5), QPointF(13, 14.5));
     }},
    {"formatStrikeOut", "format-text-strikethrough",
     [](QPainter& p) {
         letter(p, QStringLiteral("S"));
         p.drawLine(QPointF(2, 8.5), QPointF(14, 8.5));
     }},
    {"formatSuperscript", "format-text-superscript",
     [](QPainter& p) {
         letter(p, QStringLiteral("x"), false, false, 9, QRectF(0, 4, 11, 12));
         letter(p, QStringLiteral("2"), false, false, 6, QRectF(9, 0, 7, 8));
     }},
    {"formatSubscript", "format-text-subscript",
     [](QPainter& p) {
         letter(p, QStringLiteral("x"), false, false, 9, QRectF(0, 0, 11, 12));
         letter(p, QStringLiteral("2"), false, false, 6, QRectF(9, 8, 7, 8));
     }},
    {"formatTextColor", "format-text-color",
     [](QPainter& p) {
         letter(p, QStringLiteral("A"), true, false, 9, QRectF(0, 0, 16, 12));
         p.fillRect(QRectF(2, 13, 12, 3), QColor(0xd0, 0x20, 0x20));
     }},
    {"formatHighlightColor", "format-fill-color",
     [](QPainter& p) {
         p.fillRect(QRectF(1, 3, 14, 10), QColor(0xff, 0xe0, 0x40));
         // Dark on the light swatch, whatever the palette's text colour.
         p.setPen(QColor(0x20, 0x20, 0x20));
         letter(p, QStringLiteral("ab"), false, false, 8);
     }},
    {"formatFont", "preferences-desktop-font",
     [](QPainter& p) {
         letter(p, QStringLiteral("Aa"), false, false, 9);
     }},
    {"formatAlignLeft", "format-justify-left",
     [](QPainter& p) {
         lines(p, {12, 8, 12, 6});
     }},
    {"formatAlignCenter", "format-justify-center",
     [](QPainter& p) {
         lines(p, {12, 8, 12, 6}, 2, Qt::AlignHCenter);
     }},
    {"formatAlignRight", "format-justify-right",
     [](QPainter& p) {
         lines(p, {12, 8, 12, 6}, 2, Qt::AlignRight);
     }},
    {"formatAlignJustify", "format-justify-fill",
     [](QPainter& p) {
         lines(p, {12, 12, 12, 12});
     }},
    {"formatIndentLess", "format-indent-less",
     [](QPainter& p) {
         lines(p, {6, 6, 6, 6}, 8);
         arrow(p, QPointF(6, 8), QPointF(1.5, 8));
     }},
    {"formatIndentMore", "format-indent-more",
     [](QPainter& p) {
         lines(p, {6, 6, 6, 6}, 8);
         arrow(p, QPointF(1.5, 8), QPointF(6, 8));
     }},
    {"formatBulletList", "format-list-unordered",
     [](QPainter& p) {
         lines(p, {8, 8, 8, 8}, 6);
         for (int i = 0; i < 4; ++i)
             p.drawEllipse(QPointF(2.5, 3.5 + i * 3), 0.8, 0.8);
     }},
    {"formatNumberedList", "format-list-ordered",
     [](QPainter& p) {
         lines(p, {8, 8, 8, 8}, 6);
         for (int i = 0; i < 3; ++i)
             letter(p, QString::number(i + 1), false, false, 3.5, QRectF(0, 1 + i * 4.5, 5, 4));
     }},
    {"formatClear", "edit-clear",
     [](QPainter& p) {
         letter(p, QStringLiteral("T"), false, false, 10);
         p.drawLine(QPointF(3, 14), QPointF(13, 2));
     }},
    {"viewFormatBar", "configure-toolbars",
     [](QPainter& p) {
         p.drawRect(QRectF(1.5, 4.5, 13, 7));
         letter(p, QStringLiteral("B"), true, false, 5, QRectF(2, 5, 6, 6));
         letter(p, QStringLiteral("I"), false, true, 5, QRectF(8, 5, 6, 6));
     }},
    {"recentDocument", "x-office-document",
     [](QPainter& p) {
         page(p);
     }},
    {"formatInsertTable", "insert-table",
     [](QPainter& p) {
         grid(p, QRectF(1.5, 2.5, 13, 11), 3, 3);
     }},
    {"formatInsertPicture", "insert-image",
     [](QPainter& p) {
         p.drawRect(QRectF(1.5, 2.5, 13, 11));
         p.drawPolyline(QPolygonF({{1.5, 12}, {6, 7}, {9, 10}, {11, 8}, {14.5, 12}}));
         p.drawEllipse(QPointF(11, 5.5), 1.3, 1.3);
     }},
    {"tableMenu", "table",
     [](QPainter& p) {
         grid(p, QRectF(1.5, 2.5, 13, 11), 3, 2);
     }},
    {"tableInsertRowAbove", "edit-table-insert-row-above",
     [](QPainter& p) {
         tableChange(p, true, true, false);
     }},
    {"tableInsertRowBelow", "edit-table-insert-row-below",
     [](QPainter& p) {
         tableChange(p, true, false, false);
     }},
    {"tableInsertColumnLeft", "edit-table-insert-column-left",
     [](QPainter& p) {
         tableChange(p, false, true, false);
     }},
    {"tableInsertColumnRight", "edit-table-insert-column-right",
     [](QPainter& p) {
         tableChange(p, false, false, false);
     }},
    {"tableRemoveRow", "edit-table-delete-row",
     [](QPainter& p) {
         tableChange(p, true, false, true);
     }},
    {"tableRemoveColumn", "edit-table-delete-column",
     [](QPainter& p) {
         tableChange(p, false, false, true);
     }},
    {"viewZoomIn", "zoom-in",
     [](QPainter& p) {
         magnifier(p, 9);
         p.drawLine(QPointF(4, 6), QPointF(8, 6));
         p.drawLine(QPointF(6, 4), QPointF(6, 8));
     }},
    {"viewZoomOut", "zoom-out",
     [](QPainter& p) {
         magnifier(p, 9);
         p.drawLine(QPointF(4, 6), QPointF(8, 6));
     }},
    {"viewActualSize", "zoom-original",
     [](QPainter& p) {
         magnifier(p, 9);
         letter(p, QStringLiteral("1"), false, false, 5, QRectF(1.5, 1.5, 9, 9));
     }},
    {"filePrint", "document-print",
     [](QPainter& p) {
         p.drawRect(QRectF(4.5, 1.5, 7, 4));
         p.drawRect(QRectF(1.5, 5.5, 13, 6));
         p.drawRect(QRectF(4.5, 9.5, 7, 5));
     }},
    {"fileExportPdf", "application-pdf",
     [](QPainter& p) {
         page(p);
         letter(p, QStringLiteral("PDF"), true, false, 3.5, QRectF(3.5, 6, 9, 6));
     }},
    {"editPreferences", "preferences-system",
     [](QPainter& p) {
         for (int i = 0; i < 3; ++i) {
             const double y = 3.5 + i * 4.5;
             const double knob = i == 1 ? 10 : 5;
             p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
             p.drawEllipse(QPointF(knob, y), 1.6, 1.6);
         }
     }},
    {"editCheckSpelling", "tools-check-spelling",
     [](QPainter& p) {
         letter(p, QStringLiteral("abc"), false, false, 6, QRectF(0, 0, 16, 9));
         p.drawPolyline(QPolygonF({{4, 11}, {7, 14.5}, {13, 8.5}}));
     }},
    {"showKeyword", "view-reveal-symbolic",
     [](QPainter& p) {
         QPainterPath eye;
         eye.moveTo(1, 8);
         eye.quadTo(8, 1, 15, 8);
         eye.quadTo(8, 15, 1, 8);
         p.drawPath(eye);
         p.setBrush(p.pen().color());
         p.drawEllipse(QPointF(8, 8), 2, 2);
     }},
};

// Submenus show the icon of their first command.
const struct
{
    const char* menu;
    const char* action;
} kMenuIcons[] = {{"baselineMenu", "formatSuperscript"}, {"alignmentMenu", "formatAlignLeft"}};

const Icon* findIcon(QString actionName)
{
    for (const auto& menu : kMenuIcons) {
        if (actionName == QLatin1String(menu.menu))
            actionName = QLatin1String(menu.action);
    }
    for (const Icon& icon : kIcons) {
        if (actionName == QLatin1String(icon.action))
            return &icon;
    }
    return nullptr;
}

// Paints a drawing at any size, in the text colour of the mode's palette
// group, so it follows a dark palette and greys out when disabled.
class DrawnIconEngine : public QIconEngine
{
public:
    explicit DrawnIconEngine(Drawing draw) : m_draw(draw) {}
    QIconEngine* clone() const override { return new DrawnIconEngine(m_draw); }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        // Greyed out as a whole, its colour samples too.
        if (mode == QIcon::Disabled) {
            QImage image(rect.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter onImage(&image);
            draw(&onImage, QRect(QPoint(0, 0), rect.size()), QPalette::Disabled);
            onImage.end();
            const QColor ink =
                QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
            painter->drawImage(rect.topLeft(), greyed(image, qGray(ink.rgb())));
            return;
        }
        draw(painter, rect, QPalette::Active);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

private:
    // Each colour turned grey and drawn most of the way towards the
    // disabled ink, so that colour samples fade as the lines do.
    static QImage greyed(QImage image, int inkGrey)
    {
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grey = inkGrey + (qGray(line[x]) - inkGrey) * 3 / 10;
                line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
            }
        }
        return image;
    }

    void draw(QPainter* painter, const QRect& rect, QPalette::ColorGroup group) const
    {
        const QPalette palette = QGuiApplication::palette();
        const QColor ink = palette.color(group, QPalette::WindowText);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        QPen pen(ink, 1.2);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        m_draw(*painter);
        painter->restore();
    }

    Drawing m_draw;
};

} // namespace

QIcon actionIcon(const QString& actionName)
{
    const Icon* icon = findIcon(actionName);
    if (!icon)
        return {};
    const QString theme = QString::fromLatin1(icon->theme);
    if (QIcon::hasThemeIcon(theme))
        return QIcon::fromTheme(theme);
    return QIcon(new DrawnIconEngine(icon->draw));
}

void applyActionIcons(QWidget* root)
{
    for (QAction* action : root->findChildren<QAction*>()) {
        if (!action->icon().isNull())
            continue;
        QString name = action->objectName();
        if (name.isEmpty())
            if (const QMenu* menu = action->menu())
                name = menu->objectName();
        if (const QIcon icon = actionIcon(name); !icon.isNull())
            action->setIcon(icon);
    }
}

} // namespace velko
