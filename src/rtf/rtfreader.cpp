#include "rtf/rtfreader.h"

#include "rtf/grammar/rtfgrammar.h"
#include "rtf/reader/controlwords.h"

#include <QTextDocument>

namespace velko::rtf {

using namespace reader;

RtfReader::RtfReader(QTextDocument* document)
    : m_document(document), m_output(document, m_codePages, m_fonts, m_colors, m_lists, m_fields)
{
}

RtfReader::~RtfReader() = default;

Status RtfReader::read(QByteArrayView data)
{
    if (Status status = check(data); !status)
        return status;
    if (!build(data))
        return makeError(ErrorCode::Cancelled);
    return {};
}

Status RtfReader::readNote(QByteArrayView data, int number, bool endnote)
{
    m_kept.setNote(number, endnote);
    return read(data);
}

Status RtfReader::check(QByteArrayView data)
{
    const RtfExtent extent = measureRtf(data);
    if (extent.kind == RtfExtent::Kind::NotRtf)
        return makeError(ErrorCode::NotRtf, QStringLiteral("not an RTF document"));
    if (extent.kind == RtfExtent::Kind::TooDeep)
        return makeError(ErrorCode::RtfTooDeep,
                         QStringLiteral("RTF groups nested deeper than %1 levels at byte %2")
                             .arg(kMaxGroupDepth)
                             .arg(extent.end));
    return {};
}

bool RtfReader::build(QByteArrayView data)
{
    // How many tokens go by between two reports of progress.
    constexpr int kTokensPerReport = 4096;
    const bool undo = m_document->isUndoRedoEnabled();
    m_document->setUndoRedoEnabled(false);
    m_document->clear();
    m_output.begin(data.size());
    m_stack.reserve(64);

    const qsizetype start = signatureStart(data);
    m_data = data.sliced(start);
    RtfTokenizer tokenizer(m_data);
    bool calledOff = false;
    int tokens = 0;
    while (!m_finished) {
        if (m_progress && ++tokens == kTokensPerReport) {
            tokens = 0;
            if (!m_progress(start + tokenizer.position())) {
                calledOff = true;
                break;
            }
        }
        m_tokenStart = tokenizer.position();
        const RtfToken token = tokenizer.next();
        m_tokenEnd = tokenizer.position();
        if (capturing() && keepToken(token))
            continue;
        switch (token.type) {
        case RtfToken::Type::End:
            m_finished = true;
            break;
        case RtfToken::Type::GroupOpen:
            openGroup();
            break;
        case RtfToken::Type::GroupClose:
            closeGroup();
            break;
        case RtfToken::Type::ControlWord:
            controlWord(token);
            break;
        case RtfToken::Type::ControlSymbol:
            controlSymbol(token.symbol);
            break;
        case RtfToken::Type::HexByte:
            hexByte(token.parameter);
            break;
        case RtfToken::Type::Text:
            text(token.name);
            break;
        case RtfToken::Type::Binary:
            if (m_skipChars > 0)
                --m_skipChars;
            else if (!m_stack.isEmpty() && top().destination == Destination::Picture)
                m_pictures.binary(token.name);
            break;
        }
    }
    if (!m_stack.isEmpty() && !calledOff) // truncated: keep what was read
        m_output.finish(top().para);
    if (!m_unseen.isEmpty() && !calledOff) // at the end of the last paragraph
        insertUnseen();
    m_tables.finish();
    m_kept.finish(m_document, m_fonts, m_colors);
    m_output.end();
    m_document->setUndoRedoEnabled(undo);
    return !calledOff;
}

void RtfReader::openGroup()
{
    if (!m_stack.isEmpty() && top().destination == Destination::Skip) {
        ++m_skipDepth;
        return;
    }
    GroupState state = m_stack.isEmpty() ? GroupState{} : top();
    if (state.destination == Destination::UnicodeAlternatives)
        state.destination = Destination::UnicodeGroup;
    if (state.destination == Destination::StyleSheet) {
        state.destination = Destination::StyleEntry;
        m_styles.beginEntry();
    }
    state.start = m_tokenStart;
    m_stack.append(state);
    m_groupStart = true;
    m_starred = false;
    m_skipChars = 0;
}

void RtfReader::closeGroup()
{
    if (m_skipDepth > 0) {
        --m_skipDepth;
        return;
    }
    if (m_stack.isEmpty())
        return;
    m_output.flushBytes();
    const Destination outer =
        m_stack.size() > 1 ? m_stack.at(m_stack.size() - 2).destination : Destination::Skip;
    if (top().destination == Destination::FontTable) {
        m_fonts.closeGroup();
        if (outer != Destination::FontTable)
            m_output.fontsChanging();
    }
    if (top().destination == Destination::StyleEntry && outer == Destination::StyleSheet)
        m_styles.endEntry();
    if (top().destination == Destination::Picture && outer != Destination::Picture)
        endPicture();
    if (m_stack.size() == 2)
        keptTable();
    keptFieldEnd();
    m_fields.closeGroup(m_stack.size());
    const bool legacyList = top().destination == Destination::LegacyList;
    if (m_stack.size() == 1) {
        m_output.finish(top().para);
        m_finished = true;
    }
    m_stack.removeLast();
    if (legacyList && !m_stack.isEmpty()) {
        // An old-style list (\pn) describes the paragraph it stands in.
        top().para.legacyList = m_lists.legacyList();
        top().para.listLevel = m_lists.legacyLevel();
    }
    m_groupStart = false;
    m_starred = false;
    m_skipChars = 0;
}

void RtfReader::controlWord(const RtfToken& token)
{
    if (m_stack.isEmpty() || top().destination == Destination::Skip)
        return;
    const bool first = m_groupStart;
    const bool starred = m_starred;
    m_groupStart = false;
    m_starred = false;
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    GroupState& group = top();
    if (group.destination == Destination::Picture && !first && !starred) {
        m_pictures.word(token);
        return;
    }
    const WordEntry* entry = lookupWord(token.name);
    if (group.destination == Destination::UnicodeGroup) {
        group.destination =
            entry && entry->word == Word::UnicodeGroup ? Destination::Text : Destination::Skip;
        return;
    }
    if (keptWord(token, entry, first, starred))
        return;
    if (!entry) {
        if (starred) // an ignorable destination we do not know
            group.destination = Destination::Skip;
        return;
    }
    const int value = token.parameter;
    if (destinationWord(*entry, value, first || starred))
        return;
    if (starred &&
        !(entry->word == Word::CharStyle && group.destination == Destination::StyleEntry)) {
        // Only destinations (and character styles in the style sheet) may
        // follow \*; anything else there is ignorable.
        group.destination = Destination::Skip;
        return;
    }

    switch (group.destination) {
    case Destination::FontTable:
        m_fonts.controlWord(entry->word, value);
        return;
    case Destination::ColorTable:
        m_colors.controlWord(entry->word, value);
        return;
    case Destination::ListTable:
        m_lists.listTableWord(entry->word, value);
        return;
    case Destination::LegacyList:
        m_lists.legacyWord(*entry, value);
        return;
    case Destination::ListOverrideTable:
        m_lists.overrideTableWord(entry->word, value);
        return;
    case Destination::StyleEntry:
        m_styles.word(*entry, token);
        return;
    case Destination::Text:
        break;
    default:
        return;
    }

    if (Tables::isRowWord(entry->word)) {
        const int depth = group.nestedTableProperties ? qMax(2, group.para.tableDepth()) : 1;
        m_tables.rowWord(*entry, value, depth);
        return;
    }
    if (entry->word == Word::Style) {
        m_styles.apply(value, group.chars, group.para);
        return;
    }
    if (entry->word == Word::CharStyle) {
        m_styles.applyCharacterStyle(value, group.chars);
        return;
    }
    if (applyFormatWord(*entry, token, group.chars, group.para))
        return;
    switch (entry->word) {
    case Word::Par:
        placeOutput();
        m_output.endParagraph(group.para);
        break;
    case Word::Row:
        m_tables.endRow(group.para.tableDepth());
        break;
    case Word::Section:
        sectionBreak();
        break;
    case Word::PageBreak:
        pageBreak();
        break;
    case Word::FootnoteNumber:
        footnoteNumber();
        break;
    case Word::CommentMark: // where a comment is anchored: kept unseen, as its groups are
        keepUnseen("\\chatn ");
        break;
    case Word::Line:
        placeOutput();
        m_output.character(group.chars, u'\u2028');
        break;
    case Word::Tab:
        placeOutput();
        m_output.character(group.chars, u'\t');
        break;
    case Word::Cell:
        m_tables.endCell(group.para);
        break;
    case Word::Character:
        placeOutput();
        m_output.character(group.chars, entry->character);
        break;
    default:
        break;
    }
}

// Words that mean the same in every destination: the document's settings,
// Unicode characters, and the words that begin destinations. False for any
// other word. `mayStartDestination`: the word comes first in its group or
// after \*, where a skipped destination may begin.
bool RtfReader::destinationWord(const WordEntry& entry, int value, bool mayStartDestination)
{
    GroupState& group = top();
    switch (entry.word) {
    case Word::Unicode:
        if (value >= -32768 && value <= 65535)
            unicodeChar(char16_t(value < 0 ? value + 65536 : value));
        else
            m_skipChars = group.unicodeSkip; // no such character; its fallback still goes
        return true;
    case Word::UnicodeSkip:
        group.unicodeSkip = qBound(0, value, 64);
        return true;
    case Word::Ansi:
    case Word::AnsiCodePage:
    case Word::Mac:
    case Word::Pc:
    case Word::Pca:
        m_codePages.controlWord(entry.word, value);
        return true;
    case Word::DefaultFont:
        m_fonts.setDefaultFont(value);
        return true;
    case Word::SkippedDestination:
        if (mayStartDestination)
            group.destination = Destination::Skip;
        return true;
    case Word::FontTable:
        m_output.fontsChanging();
        group.destination = Destination::FontTable;
        return true;
    case Word::ColorTable:
        group.destination = Destination::ColorTable;
        return true;
    case Word::ListTable:
        group.destination = Destination::ListTable;
        return true;
    case Word::ListOverrideTable:
        group.destination = Destination::ListOverrideTable;
        return true;
    case Word::StyleSheet:
        group.destination =
            group.destination == Destination::Text ? Destination::StyleSheet : Destination::Skip;
        return true;
    case Word::Picture:
        if (group.destination != Destination::Text) {
            group.destination = Destination::Skip;
            return true;
        }
        group.destination = Destination::Picture;
        m_pictures.begin();
        return true;
    case Word::PictureGroup:
        return true;
    case Word::NestedTableProperties:
        group.nestedTableProperties = true;
        return true;
    case Word::UnicodeAlternatives:
        group.destination = Destination::UnicodeAlternatives;
        return true;
    case Word::UnicodeGroup:
        return true;
    case Word::Field:
        if (group.destination == Destination::Text)
            m_fields.begin(m_stack.size());
        return true;
    case Word::FieldInstruction:
        group.destination = m_fields.isOpen() ? Destination::FieldInstruction : Destination::Skip;
        return true;
    case Word::FieldResult:
        if (const int link = m_fields.beginResult(); link > 0)
            group.chars.link = link;
        return true;
    case Word::LegacyList:
        if (group.destination != Destination::Text) {
            group.destination = Destination::Skip;
            return true;
        }
        group.destination = Destination::LegacyList;
        m_lists.beginLegacy();
        return true;
    case Word::LevelText:
        group.destination = group.destination == Destination::ListTable && m_lists.beginLevelText()
                                ? Destination::ListLevelText
                                : Destination::Skip;
        return true;
    default:
        return false;
    }
}

void RtfReader::controlSymbol(char symbol)
{
    if (m_stack.isEmpty() || top().destination == Destination::Skip)
        return;
    if (symbol == '*') {
        // Only marks a destination at the start of a group; writers also put
        // it before ordinary words in the middle of text, where it means nothing.
        m_starred = m_groupStart;
        return;
    }
    m_groupStart = false;
    m_starred = false;
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        if (top().destination == Destination::FontTable)
            m_fonts.text(QByteArrayView(&symbol, 1));
        else
            appendChar(char16_t(symbol));
        break;
    case '~':
        appendChar(u'\u00A0');
        break;
    case '_':
        appendChar(u'\u2011');
        break;
    case '-':
        appendChar(u'\u00AD');
        break;
    default:
        break;
    }
}

void RtfReader::text(QByteArrayView bytes)
{
    if (m_stack.isEmpty())
        return;
    GroupState& group = top();
    if (group.destination == Destination::Skip)
        return;
    m_groupStart = false;
    m_starred = false;
    if (m_skipChars > 0) {
        const qsizetype dropped = qMin<qsizetype>(m_skipChars, bytes.size());
        m_skipChars -= int(dropped);
        bytes = bytes.sliced(dropped);
        if (bytes.isEmpty())
            return;
    }
    switch (group.destination) {
    case Destination::Text:
        placeOutput();
        m_output.bytes(group.chars, bytes);
        break;
    case Destination::Picture:
        m_pictures.hex(bytes);
        break;
    case Destination::StyleEntry:
        m_styles.text(bytes);
        break;
    case Destination::FontTable:
        m_fonts.text(bytes);
        break;
    case Destination::ColorTable:
        m_colors.text(bytes);
        break;
    case Destination::FieldInstruction:
    case Destination::ListLevelText:
        for (const char c : bytes)
            appendChar(char16_t(uchar(c)));
        break;
    default:
        break;
    }
}

void RtfReader::hexByte(int byte)
{
    if (m_stack.isEmpty() || top().destination == Destination::Skip)
        return;
    m_groupStart = false;
    m_starred = false;
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    const char c = char(byte);
    switch (top().destination) {
    case Destination::Text:
        if (byte < 0x20) {
            if (byte == '\t') {
                placeOutput();
                m_output.character(top().chars, u'\t');
            }
            break;
        }
        placeOutput();
        m_output.bytes(top().chars, QByteArrayView(&c, 1));
        break;
    case Destination::StyleEntry:
        m_styles.text(QByteArrayView(&c, 1));
        break;
    case Destination::FontTable:
        m_fonts.text(QByteArrayView(&c, 1));
        break;
    case Destination::FieldInstruction:
    case Destination::ListLevelText:
        appendChar(char16_t(byte));
        break;
    default:
        break;
    }
}

void RtfReader::endPicture()
{
    const std::optional<QTextImageFormat> format = m_pictures.end(m_document);
    if (!format)
        return;
    placeOutput();
    m_output.flushText();
    m_output.cursor().insertImage(*format);
}

void RtfReader::unicodeChar(char16_t c)
{
    appendChar(c);
    m_skipChars = top().unicodeSkip;
}

void RtfReader::appendChar(char16_t c)
{
    switch (top().destination) {
    case Destination::Text:
        placeOutput();
        m_output.character(top().chars, c);
        break;
    case Destination::FontTable:
        m_fonts.character(c);
        break;
    case Destination::FieldInstruction:
        m_fields.instructionCharacter(c);
        break;
    case Destination::ListLevelText:
        m_lists.levelTextCharacter(c);
        break;
    default:
        break;
    }
}

} // namespace velko::rtf
