#include "rtf/reader/codepages.h"

#include <QByteArrayList>

namespace velko::rtf::reader {

namespace {

// Qt's names for a Windows code page, the preferred one first.
QByteArrayList decoderNames(int codePage)
{
    switch (codePage) {
    case 932:
        return {"windows-31j", "Shift_JIS"};
    case 936:
        return {"GBK", "GB2312"};
    case 949:
        return {"windows-949", "EUC-KR"};
    case 950:
        return {"Big5"};
    case 1361:
        return {"johab"};
    case 10000:
        return {"macintosh"};
    case 437:
        return {"IBM437"};
    case 850:
        return {"IBM850"};
    case 65001:
        return {"UTF-8"};
    default:
        return {"windows-" + QByteArray::number(codePage), "CP" + QByteArray::number(codePage)};
    }
}

// What the Symbol font shows for the bytes 0x20 to 0x7F, then 0xA0 to 0xFF.
constexpr char16_t kSymbolFont[192] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220D, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7,
    0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x007F,
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194,
    0x2190, 0x2191, 0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118,
    0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4,
    0x21D0, 0x21D1, 0x21D2, 0x21D3, 0x22C4, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C,
    0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA, 0xF8FF, 0x232A, 0x222B, 0x2320,
    0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0xFFFD,
};

} // namespace

char16_t symbolFontCharacter(uchar byte)
{
    if (byte >= 0x20 && byte < 0x80)
        return kSymbolFont[byte - 0x20];
    if (byte >= 0xA0)
        return kSymbolFont[byte - 0xA0 + 0x60];
    return byte;
}

int codePageForCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252; // ANSI, whatever \ansicpg says
    case 2:
        return kSymbolCodePage;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

void CodePages::controlWord(Word word, int value)
{
    switch (word) {
    case Word::Ansi:
        m_document = 1252;
        break;
    case Word::AnsiCodePage:
        if (value > 0)
            m_document = value;
        break;
    case Word::Mac:
        m_document = 10000;
        break;
    case Word::Pc:
        m_document = 437;
        break;
    case Word::Pca:
        m_document = 850;
        break;
    default:
        break;
    }
}

QStringDecoder* CodePages::decoder(int codePage)
{
    if (codePage == kSymbolCodePage || codePage == kSymbolFontCodePage || codePage == 0)
        return nullptr;
    auto found = m_decoders.find(codePage);
    if (found == m_decoders.end()) {
        std::shared_ptr<QStringDecoder> decoder;
        for (const QByteArray& name : decoderNames(codePage)) {
            auto candidate = std::make_shared<QStringDecoder>(name.constData());
            if (candidate->isValid()) {
                decoder = candidate;
                break;
            }
        }
        found = m_decoders.insert(codePage, decoder);
    }
    return found->get();
}

QString CodePages::decode(int codePage, QByteArrayView bytes)
{
    if (codePage == kSymbolFontCodePage) {
        QString text(bytes.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            text[i] = QChar(symbolFontCharacter(uchar(bytes[i])));
        return text;
    }
    QStringDecoder* const decoder = this->decoder(codePage);
    if (!decoder)
        return QString::fromLatin1(bytes);
    QString text = decoder->decode(bytes);
    decoder->resetState();
    return text;
}

} // namespace velko::rtf::reader
