#include "shapes.h"

#include <QBuffer>
#include <QColor>
#include <QImage>

namespace bench {

namespace {

// A small deterministic generator, so every run writes the same documents.
class Random
{
public:
    quint32 next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    int below(int n) { return int(next() % quint32(n)); }

private:
    quint32 m_state = 12345;
};

// Words with and without non-ASCII characters, as RTF: \uN with fallbacks and \'hh bytes.
const char* const kWords[] = {"the",
                              "quick",
                              "brown",
                              "fox",
                              "jumps",
                              "over",
                              "lazy",
                              "dog",
                              "keyword",
                              "document",
                              "secure",
                              "cipher",
                              "Gr\\'fc\\'dfe",
                              "caf\\'e9",
                              "na\\'efve",
                              "\\u8364?",
                              "\\u1055?\\u1088?\\u1080?\\u1074?\\u1077?\\u1090?",
                              "\\u26085?\\u26412?\\u35486?",
                              "\\u-10179?\\u-8704?",
                              "\\{braces\\}",
                              "back\\\\slash",
                              "1234",
                              "2026",
                              "\\ldblquote quoted\\rdblquote"};
constexpr int kWordCount = int(sizeof(kWords) / sizeof(kWords[0]));

// Plain ASCII words, for the documents of plain text.
const char* const kPlainWords[] = {"the",  "quick",  "brown",    "fox",    "jumps",  "over",
                                   "lazy", "dog",    "keyword",  "secure", "cipher", "text",
                                   "of",   "and",    "document", "paper",  "reads",  "writes",
                                   "a",    "window", "opens",    "fast",   "in",     "time"};
constexpr int kPlainWordCount = int(sizeof(kPlainWords) / sizeof(kPlainWords[0]));

const char kHeader[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 "
                       "Arial;}{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern\\fcharset0 "
                       "Courier New;}}\n";
const char kColors[] = "{\\colortbl;\\red255\\green128\\blue0;\\red0\\green0\\blue255;\\red200"
                       "\\green0\\blue0;\\red230\\green230\\blue230;}\n";

// Lists of the paper: overrides 1 to kPaperLists, numbered and bulleted by turns.
constexpr int kPaperLists = 32;

void appendLists(QByteArray& out, int overrides)
{
    out += "{\\*\\listtable"
           "{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
           "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}"
           "{\\list\\listtemplateid2{\\listlevel\\levelnfc23\\levelstartat1{\\leveltext\\'01"
           "\\u8226 ?;}{\\levelnumbers;}\\fi-360\\li720}\\listid2}}\n{\\*\\listoverridetable";
    for (int i = 1; i <= overrides; ++i) {
        out += "{\\listoverride\\listid" + QByteArray::number(2 - i % 2) +
               "\\listoverridecount0\\ls" + QByteArray::number(i) + "}";
    }
    out += "}\n";
}

void appendWords(QByteArray& out, Random& random, int count)
{
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += ' ';
        out += kWords[random.below(kWordCount)];
    }
}

// A paragraph's text of mixed formatting.
void appendMixedText(QByteArray& out, Random& random, int words)
{
    for (int i = 0; i < words; ++i) {
        const char* word = kWords[random.below(kWordCount)];
        switch (random.below(12)) {
        case 0:
            out += "{\\b " + QByteArray(word) + "}";
            break;
        case 1:
            out += "{\\i\\cf" + QByteArray::number(1 + random.below(3)) + ' ' + word + "}";
            break;
        case 2:
            out += "{\\f" + QByteArray::number(random.below(3)) + "\\fs" +
                   QByteArray::number(16 + 2 * random.below(10)) + ' ' + word + "}";
            break;
        case 3:
            out += "{\\ul\\super " + QByteArray(word) + "}";
            break;
        default:
            out += word;
            break;
        }
        out += ' ';
    }
}

// A picture of its own: noise over a gradient, so it compresses as photos do.
QByteArray picture(Random& random, bool jpeg)
{
    QImage image(120 + random.below(80), 90 + random.below(60), QImage::Format_RGB32);
    const int hue = random.below(360);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor color =
                QColor::fromHsv((hue + x) % 360, 80 + y % 100, 150 + random.below(80));
            image.setPixel(x, y, color.rgb());
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, jpeg ? "JPEG" : "PNG", jpeg ? 80 : -1);
    return bytes;
}

void appendPicture(QByteArray& out, Random& random)
{
    const bool jpeg = random.below(2) == 0;
    const QByteArray bytes = picture(random, jpeg);
    out += "\\pard\\qc{\\*\\shppict{\\pict";
    out += jpeg ? "\\jpegblip" : "\\pngblip";
    out += "\\picscalex100\\picscaley100\\picwgoal2400\\pichgoal1800\n";
    const QByteArray hex = bytes.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        out += hex.mid(i, 128);
        out += '\n';
    }
    out += "}}{\\nonshppict{\\pict\\wmetafile8\\picw100\\pich100 0100}}\\par\n";
}

void appendTable(QByteArray& out, Random& random)
{
    const int rows = 2 + random.below(6);
    for (int row = 0; row < rows; ++row) {
        const bool merged = row > 0 && random.below(4) == 0;
        out += "\\trowd\\trgaph108\\trleft0";
        out += merged ? "\\clmgf\\clbrdrt\\brdrs\\brdrw10\\cellx3000\\clmrg\\cellx6000"
                      : "\\clbrdrt\\brdrs\\brdrw10\\cellx3000\\clcbpat4\\cellx6000";
        out += "\\clvertalc\\cellx9000\n\\pard\\intbl ";
        for (int cell = 0; cell < 3; ++cell) {
            if (!(merged && cell == 1))
                appendMixedText(out, random, 2 + random.below(8));
            out += "\\cell ";
        }
        out += "\\row\n";
    }
    out += "\\pard\n";
}

void appendList(QByteArray& out, Random& random, int list)
{
    const int items = 3 + random.below(6);
    for (int i = 0; i < items; ++i) {
        out += "\\pard\\ls" + QByteArray::number(list) + "\\ilvl0\\fi-360\\li720{\\listtext " +
               (list % 2 ? QByteArray::number(i + 1) + "." : QByteArray("\\u8226 ?")) + "\\tab}";
        appendMixedText(out, random, 6 + random.below(20));
        out += "\\par\n";
    }
    out += "\\pard\n";
}

} // namespace

QByteArray paper(qint64 targetBytes)
{
    QByteArray out;
    out.reserve(targetBytes + 65536);
    out += kHeader;
    out += kColors;
    out += "{\\stylesheet{\\s0 Normal;}{\\s1\\outlinelevel0\\b\\fs32 heading 1;}"
           "{\\s2\\outlinelevel1\\b\\fs28 heading 2;}}\n";
    appendLists(out, kPaperLists);
    Random random;
    static const char* const aligns[] = {"", "\\qc", "\\qr", "\\qj"};
    int block = 0;
    int list = 0;
    while (out.size() < targetBytes) {
        ++block;
        if (block % 24 == 1) {
            out += "\\pard\\s1\\outlinelevel0\\b\\fs32 ";
            appendWords(out, random, 4);
            out += "\\par\\pard\\plain\n";
        } else if (block % 8 == 1) {
            out += "\\pard\\s2\\outlinelevel1\\b\\fs28 ";
            appendWords(out, random, 5);
            out += "\\par\\pard\\plain\n";
        }
        // Out of 100 blocks: a picture, 5 tables and 10 lists.
        const int kind = random.below(100);
        if (kind == 0) {
            appendPicture(out, random);
            continue;
        }
        if (kind <= 5) {
            appendTable(out, random);
            continue;
        }
        if (kind <= 15) {
            appendList(out, random, 1 + list++ % kPaperLists);
            continue;
        }
        out += "\\pard";
        out += aligns[random.below(4)];
        if (random.below(3) == 0)
            out += "\\li720\\fi-360\\sb120\\sa120";
        out += ' ';
        appendMixedText(out, random, 40 + random.below(80));
        out += "\\par\n";
    }
    out += "}";
    return out;
}

namespace {

// `runs` runs after `header`, 64 to a paragraph, each written by `run`.
template <typename Run> QByteArray runsOf(int runs, const QByteArray& header, Run run)
{
    QByteArray out;
    out.reserve(qsizetype(runs) * 20 + header.size() + 1024);
    out += header;
    Random random;
    for (int i = 0; i < runs; ++i) {
        run(out, i, random);
        if (i % 64 == 63)
            out += "\\par\n";
    }
    out += "}";
    return out;
}

} // namespace

QByteArray alternatingRuns(int runs)
{
    static const char* const formats[] = {"{\\b ", "{\\i\\cf2 ", ""};
    return runsOf(runs, QByteArray(kHeader) + kColors, [](QByteArray& out, int i, Random& random) {
        out += formats[i % 3];
        out += kPlainWords[random.below(kPlainWordCount)];
        out += i % 3 == 2 ? " " : "} ";
    });
}

QByteArray distinctRuns(int runs)
{
    // Each run takes a font size and a colour; no two runs take the same pair.
    constexpr int kSizes = 1600;
    const int colors = runs / kSizes + 1;
    QByteArray header = QByteArray(kHeader) + "{\\colortbl;";
    for (int i = 0; i < colors; ++i) {
        header += "\\red" + QByteArray::number(i % 256) + "\\green" +
                  QByteArray::number(i / 256 % 256) + "\\blue" + QByteArray::number(i / 65536) +
                  ";";
    }
    header += "}\n";
    return runsOf(runs, header, [](QByteArray& out, int i, Random& random) {
        out += "{\\fs" + QByteArray::number(4 + i % kSizes) + "\\cf" +
               QByteArray::number(1 + i / kSizes) + ' ' +
               kPlainWords[random.below(kPlainWordCount)] + "} ";
    });
}

QByteArray paragraphs(int paragraphs)
{
    QByteArray out;
    out.reserve(qsizetype(paragraphs) * 24 + 1024);
    out += kHeader;
    Random random;
    for (int i = 0; i < paragraphs; ++i) {
        out += kPlainWords[random.below(kPlainWordCount)];
        out += ' ';
        out += kPlainWords[random.below(kPlainWordCount)];
        out += " text\\par\n";
    }
    out += "}";
    return out;
}

QByteArray plainText(qint64 targetBytes)
{
    QByteArray out;
    out.reserve(targetBytes + 1024);
    out += kHeader;
    Random random;
    while (out.size() < targetBytes) {
        for (int i = 0; i < 100; ++i) {
            out += kPlainWords[random.below(kPlainWordCount)];
            out += i == 99 ? ".\\par\n" : " ";
        }
    }
    out += "}";
    return out;
}

QByteArray longList(int items)
{
    QByteArray out;
    out += kHeader;
    appendLists(out, 1);
    for (int i = 0; i < items; ++i)
        out += "\\pard\\ls1\\ilvl0\\fi-360\\li720 item " + QByteArray::number(i) + "\\par\n";
    out += "}";
    return out;
}

QByteArray longTable(int rows)
{
    QByteArray out;
    out += kHeader;
    for (int i = 0; i < rows; ++i) {
        out += "\\trowd\\cellx3000\\cellx6000\\pard\\intbl row " + QByteArray::number(i) +
               "\\cell cell\\cell\\row\n";
    }
    out += "\\pard}";
    return out;
}

} // namespace bench
