#pragma once

#include "rtf/grammar/rtftokenizer.h"

#include <QByteArray>
#include <QTextImageFormat>

#include <optional>

class QTextDocument;

namespace velko::rtf::reader {

// A picture (\pict) being read: its format words and its bytes, given as
// hex digits or after \bin. PNG and JPEG become document resources Qt
// draws; other formats keep their bytes and words to be written back as
// they came, and show a placeholder of their size.
class Pictures
{
public:
    void begin();
    // A control word of the \pict group (not one that opens a group).
    void word(const RtfToken& token);
    void hex(QByteArrayView digits);
    void binary(QByteArrayView bytes);
    // The group ends: the image format to insert, its resource added to
    // `document`; nothing when the group held no picture.
    std::optional<QTextImageFormat> end(QTextDocument* document);

private:
    enum class Kind { Unknown, Png, Jpeg, Other };

    Kind m_kind = Kind::Unknown;
    QByteArray m_words;
    QByteArray m_data; // hex digits, or bytes after \bin
    bool m_binary = false;
    int m_width = 0; // \picw, \pich: pixels, or hundredths of a millimetre for metafiles
    int m_height = 0;
    int m_goalWidth = 0; // \picwgoal, \pichgoal: twips
    int m_goalHeight = 0;
    int m_scaleX = 100; // percent
    int m_scaleY = 100;
};

} // namespace velko::rtf::reader
