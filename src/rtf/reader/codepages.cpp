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

} // namespace

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
    if (codePage == kSymbolCodePage || codePage == 0)
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
    QStringDecoder* const decoder = this->decoder(codePage);
    if (!decoder)
        return QString::fromLatin1(bytes);
    QString text = decoder->decode(bytes);
    decoder->resetState();
    return text;
}

} // namespace velko::rtf::reader
