#pragma once

#include <QTextFormat>

// How a picture read from RTF travels in a QTextImageFormat, between the
// reader and the writer.
namespace velko::rtf {

// QByteArray: the picture's bytes as the document gave them; the writer
// writes these back rather than the resource Qt draws.
inline constexpr int kPictureData = QTextFormat::UserProperty + 0x5201;
// QByteArray: for a format Qt cannot draw (metafiles), the \pict group's
// control words, written back unchanged with the bytes; such a picture is
// shown as a placeholder of its size.
inline constexpr int kPictureWords = QTextFormat::UserProperty + 0x5202;

} // namespace velko::rtf
