#pragma once

#include <QTextFormat>

#include <iterator>

// Formatting that Qt's formats cannot hold by themselves, as it travels
// between the reader and the writer in user properties of the formats.
namespace velko::rtf {

// QByteArray on a QTextCharFormat: the RTF underline word (without its
// backslash) when Qt draws the underline with the nearest style it has, for
// example "uldb" for a double underline drawn single.
inline constexpr int kUnderlineWord = QTextFormat::UserProperty + 0x5210;
// QString on a QTextBlockFormat: the leaders of its tab positions, one
// character per position: ' ' none, '.' dots, 'm' middle dots, '-' hyphens,
// '_' a line, 't' a thick line, '=' a double line.
inline constexpr int kTabLeaders = QTextFormat::UserProperty + 0x5211;
// int on a QTextListFormat: the number of the list's first item (1 when absent).
inline constexpr int kListStart = QTextFormat::UserProperty + 0x5212;
// int on a QTextListFormat: the RTF number format (\levelnfc) of a numbering
// Qt has no style for, such as Chinese counting; Qt draws decimal numbers.
inline constexpr int kListNumberFormat = QTextFormat::UserProperty + 0x5213;
// QString on a QTextCharFormat: the instruction of the field (other than a
// hyperlink) the text is the result of, as its \fldinst gave it ("PAGE").
inline constexpr int kFieldInstruction = QTextFormat::UserProperty + 0x5214;
// int on a QTextCharFormat: which field of its document's reading the text
// is the result of, so two like fields side by side stay two.
inline constexpr int kFieldNumber = QTextFormat::UserProperty + 0x5215;

// The RTF underline words, and the style Qt draws each with.
struct UnderlineKind
{
    const char* word;
    QTextCharFormat::UnderlineStyle style;
};
inline constexpr UnderlineKind kUnderlineKinds[] = {
    {"ulnone", QTextCharFormat::NoUnderline},    {"ul", QTextCharFormat::SingleUnderline},
    {"uld", QTextCharFormat::DotLine},           {"uldash", QTextCharFormat::DashUnderline},
    {"uldashd", QTextCharFormat::DashDotLine},   {"uldashdd", QTextCharFormat::DashDotDotLine},
    {"ulwave", QTextCharFormat::WaveUnderline},  {"uldb", QTextCharFormat::SingleUnderline},
    {"ulw", QTextCharFormat::SingleUnderline},   {"ulth", QTextCharFormat::SingleUnderline},
    {"ulthd", QTextCharFormat::DotLine},         {"ulthdash", QTextCharFormat::DashUnderline},
    {"ulldash", QTextCharFormat::DashUnderline}, {"ulthldash", QTextCharFormat::DashUnderline},
    {"ulthdashd", QTextCharFormat::DashDotLine}, {"ulthdashdd", QTextCharFormat::DashDotDotLine},
    {"ulhwave", QTextCharFormat::WaveUnderline}, {"ululdbwave", QTextCharFormat::WaveUnderline},
};
// Kinds from here on are drawn with a nearer style and keep their word.
inline constexpr int kFirstKeptUnderline = 7;
inline constexpr int kUnderlineKindCount = int(std::size(kUnderlineKinds));

} // namespace velko::rtf
