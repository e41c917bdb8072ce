#pragma once

#include "core/result.h"
#include "rtf/grammar/rtftokenizer.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QTextCharFormat>
#include <QTextCursor>

#include <memory>

class QTextDocument;
class QTextList;

namespace velko::rtf {

// Builds a QTextDocument from RTF tokens. Keeps a format state per group on an
// explicit stack, so nesting never uses the call stack.
class RtfReader
{
public:
    explicit RtfReader(QTextDocument* document);
    ~RtfReader();

    // Checks the data first (RTF signature, group depth, by the RTF grammar's
    // rules); only then clears the
    // document and builds into it, so an error leaves the document as it was.
    Status read(QByteArrayView data);

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
        int link = 0;              // index into m_links, 0: none

        friend bool operator==(const CharState&, const CharState&) = default;
    };

    friend size_t qHash(const CharState& state, size_t seed);

private:
    enum class Destination : quint8 {
        Text,
        Skip,
        FontTable,
        ColorTable,
        FieldInstruction,
        ListTable,
        ListLevelText,
        ListOverrideTable,
        UnicodeAlternatives, // \upr: skip the ANSI group, keep the \*\ud one
        UnicodeGroup,        // a child of \upr until its first word
        LegacyList,          // \pn: an old-style list description
    };

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
        int list = 0; // \ls, 0: none
        int listLevel = 0;

        friend bool operator==(const ParaState&, const ParaState&) = default;
    };

    struct GroupState
    {
        CharState chars;
        ParaState para;
        Destination destination = Destination::Text;
        int unicodeSkip = 1;
    };

    struct FontEntry
    {
        QByteArray name;
        QString family;
        int codePage = 0; // 0: the document's code page
        bool complete = false;
    };

    struct ListLevel
    {
        int numberFormat = 0;
        QString text;
    };

    struct ListDefinition
    {
        int id = 0;
        QList<ListLevel> levels;
    };

    struct Field
    {
        qsizetype depth; // stack size of the \field group
        QString instruction;
    };

    static Status check(QByteArrayView data);
    void build(QByteArrayView data);

    void openGroup();
    void closeGroup();
    void controlWord(const RtfToken& token);
    void controlSymbol(char symbol);
    void text(QByteArrayView bytes);
    void hexByte(int byte);
    void unicodeChar(char16_t c);
    void appendChar(char16_t c);

    FontEntry* fontEntry(int index);
    void fontTableText(QByteArrayView bytes);
    void decodeFontName(FontEntry* font);
    void beginFieldResult();

    void emitBytes(QByteArrayView bytes);
    void emitChar(char16_t c);
    void prepareForText();
    void flushBytes();
    void flushText();
    void endParagraph();
    void finish();
    void applyParagraph();
    QTextCharFormat charFormat(const CharState& state) const;
    QTextBlockFormat blockFormat(const ParaState& state) const;
    QTextList* listFor(const ParaState& state);
    QString levelTextPart(QStringView part);
    int codePageOf(int font) const;
    QStringDecoder* decoderFor(int codePage);

    GroupState& top() { return m_stack.last(); }

    QTextDocument* m_document;
    QTextCursor m_cursor;
    QList<GroupState> m_stack;
    int m_skipDepth = 0;       // nested groups inside a skipped one
    bool m_groupStart = false; // the next word is the first in its group
    bool m_starred = false;    // \* seen: the next word may name an unknown destination
    int m_skipChars = 0;       // fallback characters after \uN still to drop
    bool m_finished = false;   // the outermost group closed

    int m_documentCodePage = 1252;
    int m_defaultFont = 0;
    QHash<int, FontEntry> m_fonts;
    int m_currentFont = 0;
    QList<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;

    QList<ListDefinition> m_listDefinitions;
    QHash<int, int> m_listOverrides; // \ls -> \listid
    int m_overrideListId = 0;
    int m_legacyFormat = 0; // of the \pn being read, as a \levelnfc value
    int m_legacyLevel = 0;
    int m_legacyRun = 0; // counts interruptions of old-style lists
    QHash<quint64, QTextList*> m_lists;
    QList<Field> m_fields;
    QStringList m_links;

    QByteArray m_pendingBytes;
    int m_pendingCodePage = 0;
    bool m_pendingPrintable = true; // only ASCII letters, digits, punctuation and tabs
    QString m_buffer;
    CharState m_bufferState;
    bool m_bufferStateValid = false;
    int m_pendingCells = 0;
    bool m_paragraphEnded = false; // \par seen and nothing after it yet

    QHash<CharState, QTextCharFormat> m_formats;
    ParaState m_blockState;
    QTextBlockFormat m_blockFormat;
    bool m_blockFormatValid = false;
    bool m_blockIsPlain = true; // the current block still has the empty format

    QHash<int, std::shared_ptr<QStringDecoder>> m_decoders;
};

} // namespace velko::rtf
