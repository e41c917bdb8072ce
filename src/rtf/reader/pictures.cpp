#include "rtf/reader/pictures.h"

#include "rtf/keptproperties.h"
#include "rtf/pictureproperties.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTextDocument>
#include <QUrl>

#include <cstring>

namespace velko::rtf::reader {

namespace {

// The most picture data kept from one \pict group.
constexpr qsizetype kMaxPictureBytes = qsizetype(512) << 20;
// The largest placeholder drawn, in pixels either way.
constexpr int kMaxPlaceholder = 2048;

bool named(const RtfToken& token, const char* name)
{
    return token.name.size() == qsizetype(std::strlen(name)) &&
           std::memcmp(token.name.data(), name, size_t(token.name.size())) == 0;
}

QImage placeholder(qreal width, qreal height)
{
    QImage image(qBound(8, int(width), kMaxPlaceholder), qBound(8, int(height), kMaxPlaceholder),
                 QImage::Format_RGB32);
    image.fill(QColor(0xee, 0xee, 0xee));
    QPainter painter(&image);
    painter.setPen(QColor(0x99, 0x99, 0x99));
    const QRect frame = image.rect().adjusted(0, 0, -1, -1);
    painter.drawRect(frame);
    painter.drawLine(frame.topLeft(), frame.bottomRight());
    painter.drawLine(frame.bottomLeft(), frame.topRight());
    return image;
}

} // namespace

void Pictures::begin()
{
    *this = Pictures{};
}

void Pictures::word(const RtfToken& token)
{
    const int value = token.parameter;
    if (named(token, "pngblip"))
        m_kind = Kind::Png;
    else if (named(token, "jpegblip"))
        m_kind = Kind::Jpeg;
    else if (named(token, "picw"))
        m_width = qBound(0, value, 1000000);
    else if (named(token, "pich"))
        m_height = qBound(0, value, 1000000);
    else if (named(token, "picwgoal"))
        m_goalWidth = qBound(0, value, 1000000);
    else if (named(token, "pichgoal"))
        m_goalHeight = qBound(0, value, 1000000);
    else if (named(token, "picscalex"))
        m_scaleX = qBound(1, value, 10000);
    else if (named(token, "picscaley"))
        m_scaleY = qBound(1, value, 10000);
    else if (m_kind == Kind::Unknown &&
             (named(token, "wmetafile") || named(token, "emfblip") || named(token, "macpict") ||
              named(token, "pmmetafile") || named(token, "dibitmap") || named(token, "wbitmap")))
        m_kind = Kind::Other;
    if (m_words.size() < 4096) {
        m_words += '\\';
        m_words += QByteArray(token.name.data(), token.name.size());
        if (token.hasParameter)
            m_words += QByteArray::number(value);
    }
}

void Pictures::hex(QByteArrayView digits)
{
    if (!m_binary && m_data.size() + digits.size() <= kMaxPictureBytes * 2)
        m_data.append(digits.data(), digits.size());
}

void Pictures::binary(QByteArrayView bytes)
{
    if (!m_binary) {
        m_data.clear();
        m_binary = true;
    }
    if (m_data.size() + bytes.size() <= kMaxPictureBytes)
        m_data.append(bytes.data(), bytes.size());
}

std::optional<QTextImageFormat> Pictures::end(QTextDocument* document)
{
    const QByteArray bytes = m_binary ? m_data : QByteArray::fromHex(m_data);
    m_data.clear();
    if (bytes.isEmpty())
        return std::nullopt;
    Kind kind = m_kind;
    if (bytes.startsWith("\x89PNG"))
        kind = Kind::Png;
    else if (bytes.startsWith("\xFF\xD8\xFF"))
        kind = Kind::Jpeg;
    else if (kind == Kind::Png || kind == Kind::Jpeg || kind == Kind::Unknown)
        kind = Kind::Other; // not what it claims: kept, not drawn

    // The size to show in points: the goal size, else the picture's own.
    qreal width = m_goalWidth / 20.0;
    qreal height = m_goalHeight / 20.0;
    if (kind != Kind::Other) {
        QBuffer buffer;
        buffer.setData(bytes);
        const QSize pixels = QImageReader(&buffer).size();
        if (width <= 0)
            width = pixels.width() > 0 ? pixels.width() * 0.75 : m_width * 0.75;
        if (height <= 0)
            height = pixels.height() > 0 ? pixels.height() * 0.75 : m_height * 0.75;
    } else {
        if (width <= 0)
            width = m_width * 72 / 2540.0;
        if (height <= 0)
            height = m_height * 72 / 2540.0;
    }
    width = qMax<qreal>(1, width * m_scaleX / 100);
    height = qMax<qreal>(1, height * m_scaleY / 100);

    static const char* const extensions[] = {"", ".png", ".jpeg", ".pict"};
    const QString name = pictureResourceName(bytes, QLatin1StringView(extensions[int(kind)]));
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(width);
    format.setHeight(height);
    format.setProperty(kPictureData, bytes);
    if (kind == Kind::Other) {
        format.setProperty(kPictureWords, m_words);
        document->addResource(QTextDocument::ImageResource, QUrl(name), placeholder(width, height));
        // Also where a copy through HTML, which keeps only the name, finds it.
        document->addResource(kKeptResource, keptRtfUrl(name),
                              "{\\pict" + m_words + '\n' + bytes.toHex() + '}');
    } else {
        document->addResource(QTextDocument::ImageResource, QUrl(name), bytes);
    }
    return format;
}

} // namespace velko::rtf::reader
