#pragma once

#include "rtf/grammar/rtftokenizer.h"
#include "rtf/reader/controlwords.h"

#include <QList>
#include <QTextBlockFormat>
#include <QTextCharFormat>

// Character and paragraph properties as RTF states them, one set per group,
// and the Qt formats they become.
namespace velko::rtf::reader {

class ColorTable;
class Fields;
class FontTable;

// An old-style list description (\pn) that continues the list without a number.
inline constexpr int kLegacyContinues = -2;
// Tables nested deeper than this go into the deepest one.
inline constexpr int kMaxTableDepth = 16;

// Character properties as RTF states them, one per group.
struct CharState
{
    int font = -1; // -1: the document's default font
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    quint8 underline = 0; // an index of kUnderlineKinds, 0: none
    bool strike = false;
    int foreground = -1; // colour table index, -1: none
    int background = -1;
    int verticalAlignment = 0; // 0 normal, 1 superscript, 2 subscript
    int link = 0;              // a link of Fields, 0: none
    // \loch, \hich and \dbch: the kind of characters that follow (1 to 3,
    // 0: not said), and the font each kind was given (-1: none).
    quint8 runKind = 0;
    int runFonts[3] = {-1, -1, -1};

    // The font whose code page the text's bytes are in: the one given for the
    // kind of characters that follow, else the text's font.
    int bytesFont() const
    {
        return runKind > 0 && runFonts[runKind - 1] >= 0 ? runFonts[runKind - 1] : font;
    }
    bool hidden = false; // \v

    friend bool operator==(const CharState&, const CharState&) = default;
};

size_t qHash(const CharState& state, size_t seed = 0);

// A tab position of a paragraph.
struct TabStop
{
    int position = 0;    // twips
    quint8 kind = 0;     // 0 left, 1 right, 2 centre, 3 decimal
    char16_t leader = 0; // as in kTabLeaders, 0: none

    friend bool operator==(const TabStop&, const TabStop&) = default;
};

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
    int list = -1; // \ls, -1: none
    int listLevel = 0;
    // An old-style list (\pn) as the \levelnfc value of its format; -1: none,
    // kLegacyContinues: the paragraph continues a list without a number.
    int legacyList = -1;
    int outlineLevel = -1; // \outlinelevel, -1: none
    bool rightToLeft = false;
    QList<TabStop> tabs;
    TabStop nextTab;      // the kind and leader of the next \tx
    bool inTable = false; // \intbl
    int nesting = 0;      // \itap
    bool pageBreakBefore = false;

    // How deep in tables the paragraph stands: 0 outside, 1 in a cell, 2 in a nested table's.
    int tableDepth() const { return inTable ? qMax(1, nesting) : nesting; }

    friend bool operator==(const ParaState&, const ParaState&) = default;
};

// Applies a character or paragraph word of the text to a group's state; false
// for a word of neither kind.
bool applyFormatWord(const WordEntry& entry, const RtfToken& token, CharState& chars,
                     ParaState& para);

QTextCharFormat charFormat(const CharState& state, const FontTable& fonts, const ColorTable& colors,
                           const Fields& fields);
// `indentWidth`: the document's, which indent levels and list levels are given
// in; `inList`: whether the paragraph became an item of a list.
QTextBlockFormat blockFormat(const ParaState& state, qreal indentWidth, bool inList);

} // namespace velko::rtf::reader
