#include "rtf/keptproperties.h"
#include "rtf/pictureproperties.h"
#include "rtf/rtfwriter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <cmath>

namespace velko::rtf {

namespace {

int twips(qreal points)
{
    return int(std::lround(points * 20));
}

// The picture's bytes as PNG or JPEG: those the document was read with, else
// its resource's, encoded as PNG when they are in another format.
QByteArray pictureBytes(const QTextDocument& document, const QTextImageFormat& format)
{
    QByteArray bytes = format.property(kPictureData).toByteArray();
    if (bytes.isEmpty()) {
        const QVariant resource =
            document.resource(QTextDocument::ImageResource, QUrl(format.name()));
        if (resource.userType() == QMetaType::QByteArray)
            bytes = resource.toByteArray();
        else if (resource.userType() == QMetaType::QImage)
            return pngBytes(resource.value<QImage>());
        else if (resource.userType() == QMetaType::QPixmap)
            return pngBytes(resource.value<QPixmap>().toImage());
    }
    if (bytes.startsWith("\x89PNG") || bytes.startsWith("\xFF\xD8\xFF"))
        return bytes;
    return bytes.isEmpty() ? bytes : pngBytes(QImage::fromData(bytes));
}

} // namespace

// A picture of a format Qt cannot draw goes back as it came; others as PNG
// or JPEG at the size they are shown.
void RtfWriter::writePicture(const QTextImageFormat& format)
{
    const bool keptPicture = format.name().startsWith(QLatin1String("velko-picture:")) &&
                             format.name().endsWith(QLatin1String(".pict"));
    if (isKeptName(format.name()) || (keptPicture && !format.hasProperty(kPictureWords))) {
        writeKept(format); // an object kept as RTF, or a kept picture copied through HTML
        return;
    }
    m_needDelimiter = false;
    // Kept pictures carry their words, which may be none at all.
    if (format.hasProperty(kPictureWords)) {
        m_out += "{\\pict" + format.property(kPictureWords).toByteArray() + "\n" +
                 format.property(kPictureData).toByteArray().toHex() + "}";
        return;
    }
    const QByteArray bytes = pictureBytes(m_document, format);
    if (bytes.isEmpty())
        return;
    QBuffer buffer;
    buffer.setData(bytes);
    const QSize pixels = QImageReader(&buffer).size();
    const int width = format.width() > 0 ? twips(format.width()) : pixels.width() * 15;
    const int height = format.height() > 0 ? twips(format.height()) : pixels.height() * 15;
    m_out += bytes.startsWith("\x89PNG") ? "{\\pict\\pngblip" : "{\\pict\\jpegblip";
    m_out += "\\picw" + QByteArray::number(pixels.width()) + "\\pich" +
             QByteArray::number(pixels.height()) + "\\picwgoal" + QByteArray::number(width) +
             "\\pichgoal" + QByteArray::number(height) + "\n";
    m_out += bytes.toHex();
    m_out += "}";
}

} // namespace velko::rtf
