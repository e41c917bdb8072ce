#pragma once

#include "rtf/grammar/rtftokenizer.h"
#include "rtf/reader/controlwords.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>

// Character and paragraph properties as RTF states them, one set per group,
// and the Qt formats they become.
namespace velko::rtf::reader {

class ColorTable;
class Fields;
class FontTable;

// Paragraph list numbers from here on stand for old-style (\pn) lists: the
// base plus the list's format as a \levelnfc value.
inline constexpr int kLegacyListBase = 1 << 30;
// Tables nested deeper than this go into the deepest one.
inline constexpr int kMaxTableDepth = 16;

// Character properties as RTF states them, one per group.
struct CharState
{
    int font = -1; // -1: the document's default font
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int foreground = -1; // colour table index, -1: none
    int background = -1;
    int verticalAlignment = 0; // 0 normal, 1 superscript, 2 subscript
    int link = 0;              // a link of Fields, 0: none
    bool hidden = false;       // \v

    friend bool operator==(const CharState&, const CharState&) = default;
};

size_t qHash(const CharState& state, size_t seed = 0);

// Paragraph properties, one set per group too.
struct ParaState
{
    int alignment = 0; // 0 left, 1 centre, 2 right, 3 justified
    int left = 0;      // twips
    int right = 0;
    int firstLine = 0;
    int before = 0;
    int after = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    int indentLevels = 0;
    int list = 0; // \ls, 0: none; kLegacyListBase on: an old-style list
    int listLevel = 0;
    int outlineLevel = -1; // \outlinelevel, -1: none
    bool inTable = false;  // \intbl
    int nesting = 0;       // \itap
    bool pageBreakBefore = false;

    // How deep in tables the paragraph stands: 0 outside, 1 in a cell, 2 in a nested table's.
    int tableDepth() const { return inTable ? qMax(1, nesting) : nesting; }

    friend bool operator==(const ParaState&, const ParaState&) = default;
};

// Applies a character or paragraph word of the text to a group's state; false
// for a word of neither kind.
bool applyFormatWord(Word word, const RtfToken& token, CharState& chars, ParaState& para);

QTextCharFormat charFormat(const CharState& state, const FontTable& fonts, const ColorTable& colors,
                           const Fields& fields);
// `indentWidth`: the document's, which indent levels and list levels are given in.
QTextBlockFormat blockFormat(const ParaState& state, qreal indentWidth);

} // namespace velko::rtf::reader
