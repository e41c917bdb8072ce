#pragma once

#include "rtf/reader/controlwords.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringDecoder>

#include <memory>

namespace velko::rtf::reader {

// The code page of the symbol character set: its bytes read as Latin-1.
inline constexpr int kSymbolCodePage = -2;
// The code page of the Symbol font: its bytes are Greek letters and
// mathematical signs, read as the Unicode characters they show.
inline constexpr int kSymbolFontCodePage = -3;

// The character a byte of the Symbol font shows; bytes it does not change
// (0x80 to 0x9F) come back as they are.
char16_t symbolFontCharacter(uchar byte);

// Windows code page for an RTF \fcharset; 0 means "the document's code page".
int codePageForCharset(int charset);

// The document's code page, and a decoder for each Windows code page, made
// when first needed.
class CodePages
{
public:
    int document() const { return m_document; }
    // \ansi, \ansicpgN, \mac, \pc and \pca.
    void controlWord(Word word, int value);

    // nullptr for the symbol code pages, for 0 and for code pages Qt cannot decode.
    QStringDecoder* decoder(int codePage);
    // `bytes` as text of `codePage`; as Latin-1 where there is no decoder.
    QString decode(int codePage, QByteArrayView bytes);

private:
    int m_document = 1252;
    QHash<int, std::shared_ptr<QStringDecoder>> m_decoders;
};

} // namespace velko::rtf::reader
