#pragma once

#include <QByteArrayView>

// The control words the reader knows, by what they do.
namespace velko::rtf::reader {

enum class Word {
    // document
    Ansi,
    AnsiCodePage,
    Mac,
    Pc,
    Pca,
    DefaultFont,
    UnicodeSkip,
    Unicode,
    // destinations
    FontTable,
    ColorTable,
    ListTable,
    ListOverrideTable,
    Field,
    FieldInstruction,
    FieldResult,
    UnicodeAlternatives,
    UnicodeGroup,
    LevelText,
    LegacyList,
    StyleSheet,
    Picture,
    PictureGroup, // \shppict: holds the picture a reader should prefer
    NestedTableProperties,
    SkippedDestination,
    KeptGroup, // a destination kept as RTF; character: its Kept::Kind
    Setting,   // a setting of the document or a section, kept as RTF
    // tables
    Font,
    Charset,
    CodePage,
    Red,
    Green,
    Blue,
    List,
    ListLevel,
    LevelNumberFormat,
    ListId,
    ListOverride,
    LevelStart,    // \levelstartatN
    OverrideLevel, // \lfolevel: the next level of a list override
    LegacyBullet,
    LegacyBody,
    LegacyLevel,
    LegacyFormat,
    LegacyStart,    // \pnstartN
    LegacyContinue, // \pnlvlcont: the paragraph continues the list unnumbered
    BasedOn,        // \sbasedonN in the style sheet
    // characters
    Plain,
    FontSize,
    Bold,
    Italic,
    Underline, // character: the kind, an index of kUnderlineKinds
    Strike,
    Foreground,
    Background,
    Super,
    Sub,
    NoSuperSub,
    Raise,          // \upN
    Lower,          // \dnN
    AssociatedFont, // \afN
    RunKind,        // character: 1 \loch, 2 \hich, 3 \dbch
    CharStyle,      // \csN
    Hidden,
    // paragraphs
    Pard,
    AlignLeft,
    AlignCentre,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    IndentLevels,
    ListNumber,
    ListLevelNumber,
    Style,
    OutlineLevel,
    TabPosition, // \txN
    TabKind,     // character: 1 right, 2 centre, 3 decimal
    TabLeader,   // character: as in kTabLeaders
    Direction,   // character: 1 \rtlpar, 0 \ltrpar
    InTable,
    Nesting,
    PageBreakBefore,
    // table rows
    RowDefaults,
    RowGap,
    RowLeft,
    RowAlign, // character: 0 left, 1 centre, 2 right
    CellRight,
    CellMergeFirst,
    CellMerge,
    CellVMergeFirst,
    CellVMerge,
    CellShading,
    CellAlign,   // character: 0 top, 1 centre, 2 bottom
    CellBorder,  // a cell's or row's border follows
    OtherBorder, // a paragraph's border follows
    BorderStyle, // character: 0 none
    BorderWidth,
    BorderColor,
    // breaks and special characters
    Par,
    Line,
    Tab,
    Cell,
    Row,
    Section,
    PageBreak,
    FootnoteNumber, // \chftn
    CommentMark,    // \chatn
    Character,
};

struct WordEntry
{
    Word word;
    // Character: the character the word stands for; LegacyFormat: the
    // \levelnfc value of the old-style list format; Underline and a few
    // paragraph and table words: the choice they make.
    char16_t character = 0;
};

// The entry for a control word's letters; nullptr for a word the reader does not know.
const WordEntry* lookupWord(QByteArrayView name);

} // namespace velko::rtf::reader
