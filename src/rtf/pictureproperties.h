#pragma once

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QString>
#include <QTextFormat>

// How a picture travels in a QTextImageFormat, between the reader, the
// editing commands that insert pictures and the writer.
namespace velko::rtf {

// QByteArray: the picture's bytes as the document gave them; the writer
// writes these back rather than the resource Qt draws.
inline constexpr int kPictureData = QTextFormat::UserProperty + 0x5201;
// QByteArray: for a format Qt cannot draw (metafiles), the \pict group's
// control words, written back unchanged with the bytes; such a picture is
// shown as a placeholder of its size.
inline constexpr int kPictureWords = QTextFormat::UserProperty + 0x5202;

// The name a picture's bytes are a document resource under; `extension`
// (".png", ".jpeg"...) tells its kind.
inline QString pictureResourceName(const QByteArray& bytes, QLatin1StringView extension)
{
    return QStringLiteral("velko-picture:") +
           QString::fromLatin1(
               QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(24)) +
           extension;
}

// An image as the bytes of a PNG file.
inline QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace velko::rtf
