#include "rtf/keptproperties.h"
#include "rtf/rtfreader.h"
#include "rtf/textproperties.h"

#include <QTextBlock>
#include <QTextDocument>

// The reader's part for what the view cannot show: groups taken whole as
// their bytes (kept groups), hidden text taken as RTF up to where it ends,
// footnote numbers, page and section breaks.
namespace velko::rtf {

using namespace reader;

namespace {

QByteArray trimmedStart(QByteArrayView bytes)
{
    while (!bytes.isEmpty() && (bytes.front() == '\r' || bytes.front() == '\n'))
        bytes = bytes.sliced(1);
    return bytes.toByteArray();
}

bool isPreludeWord(Word word)
{
    switch (word) {
    case Word::Ansi:
    case Word::AnsiCodePage:
    case Word::Mac:
    case Word::Pc:
    case Word::Pca:
    case Word::DefaultFont:
    case Word::UnicodeSkip:
        return true;
    default:
        return false;
    }
}

} // namespace

// Tokens a kept group or hidden text takes; false for one the reader reads
// as usual (sometimes after the hidden text before it went in).
bool RtfReader::keepToken(const RtfToken& token)
{
    if (m_keptDepth > 0) {
        if (token.type == RtfToken::Type::GroupOpen) {
            ++m_keptDepth;
        } else if (token.type == RtfToken::Type::GroupClose) {
            if (--m_keptDepth == 0)
                endKept();
        } else if (token.type == RtfToken::Type::End) {
            m_keptDepth = 0; // cut short: what it holds may not even end a word
            return false;
        }
        return true;
    }
    // Data of \bin cut short would take what follows it once written back.
    const bool cutShort =
        token.type == RtfToken::Type::Binary && token.name.size() < token.parameter;
    if (m_hiddenDepth > 0) {
        if (token.type == RtfToken::Type::End || cutShort) {
            m_hiddenOpen = false; // cut short inside a group
            flushHidden();
            return token.type != RtfToken::Type::End;
        }
        m_hidden += raw();
        if (token.type == RtfToken::Type::GroupOpen)
            ++m_hiddenDepth;
        else if (token.type == RtfToken::Type::GroupClose)
            --m_hiddenDepth;
        return true;
    }
    if (!hiddenText()) {
        flushHidden(); // the word before ended the hidden text
        return false;
    }
    switch (token.type) {
    case RtfToken::Type::GroupOpen:
        appendHidden(true);
        m_hiddenDepth = 1;
        return true;
    case RtfToken::Type::ControlWord: {
        const WordEntry* entry = lookupWord(token.name);
        const bool bare = raw().back() != ' '; // no space delimits it
        if (!entry) {
            appendHidden(false, bare);
            return true;
        }
        switch (entry->word) {
        case Word::Par:
        case Word::Section:
        case Word::PageBreak:
        case Word::Cell:
        case Word::Row:
        case Word::Plain:
            flushHidden();
            return false;
        case Word::Setting:
        case Word::KeptGroup:
        case Word::Ansi:
        case Word::AnsiCodePage:
        case Word::Mac:
        case Word::Pc:
        case Word::Pca:
        case Word::DefaultFont:
            skipHidden();
            return false;
        case Word::Hidden:
            if (token.hasParameter && token.parameter == 0) {
                flushHidden();
                return false;
            }
            appendHidden(false, bare);
            return true;
        case Word::Tab:
        case Word::Line:
        case Word::Character:
        case Word::Unicode:
        case Word::FootnoteNumber:
            appendHidden(true, bare);
            return true;
        default:
            // Words of table rows act beyond the hidden text: they are read,
            // and not kept with it. Others apply to what follows it as well.
            if (Tables::isRowWord(entry->word))
                skipHidden();
            else
                appendHidden(false, bare);
            return false;
        }
    }
    case RtfToken::Type::ControlSymbol:
        appendHidden(token.symbol != '*');
        return true;
    case RtfToken::Type::GroupClose:
    case RtfToken::Type::End:
        flushHidden();
        return false;
    default:
        if (!cutShort)
            appendHidden(true);
        return true;
    }
}

void RtfReader::appendHidden(bool text, bool bareWord)
{
    m_hidden += m_hiddenOpen ? raw().toByteArray() : trimmedStart(raw());
    m_hiddenOpen = true;
    m_hiddenHasText = m_hiddenHasText || text;
    m_hiddenBareWord = bareWord;
}

// A word read but not kept with the hidden text: the word before it must not
// run into what follows it.
void RtfReader::skipHidden()
{
    if (m_hiddenBareWord)
        m_hidden += ' ';
    m_hiddenBareWord = false;
}

void RtfReader::flushHidden()
{
    if (m_hiddenOpen && m_hiddenHasText && !m_stack.isEmpty()) {
        insertKept("{\\v " + m_hidden + '}', true);
    }
    m_hidden.clear();
    m_hiddenBareWord = false;
    m_hiddenDepth = 0;
    m_hiddenOpen = false;
    m_hiddenHasText = false;
}

// A word of a group: true when it began a kept group or was kept as a
// setting of the document.
bool RtfReader::keptWord(const RtfToken& token, const WordEntry* entry, bool first, bool starred)
{
    GroupState& group = top();
    const bool groupWord = first || starred;
    if (group.destination != Destination::Text) {
        // Elsewhere a kept destination is skipped like any other.
        if (entry && entry->word == Word::KeptGroup && groupWord)
            group.destination = Destination::Skip;
        return entry && entry->word == Word::KeptGroup;
    }
    Kept::Kind kind = Kept::Kind::None;
    if (entry && entry->word == Word::KeptGroup && groupWord) {
        kind = Kept::Kind(entry->character);
    } else if (!entry && starred && m_stack.size() == 2 && !token.name.startsWith("velko")) {
        // An unknown destination of the document's top level, before its text.
        m_output.flushText();
        if (m_document->characterCount() <= 1)
            kind = Kept::Kind::Document;
    } else if (entry && entry->word == Word::Setting && !m_kept.inNote()) {
        m_kept.addSetting(trimmedStart(raw()));
        return true;
    } else if (entry && m_stack.size() == 1 && isPreludeWord(entry->word)) {
        m_kept.addPrelude(raw());
    } else if (entry && entry->word == Word::Field && first) {
        placeOutput();
        m_output.flushText();
        m_fieldStarts.append(
            FieldStart{m_stack.size(), m_document->characterCount(), m_document->blockCount()});
    }
    if (kind == Kept::Kind::None)
        return entry && (entry->word == Word::KeptGroup || entry->word == Word::Setting);
    m_keptKind = m_kept.inNote() && kind != Kept::Kind::Invisible ? Kept::Kind::Inline : kind;
    m_keptStart = group.start;
    m_keptDepth = 1;
    m_stack.removeLast();
    m_groupStart = false;
    m_starred = false;
    m_skipChars = 0;
    return true;
}

// A field group closes: one whose result put nothing in the text is kept.
// The result of one is written back as that field's when it stands in one
// paragraph; a result of several (a table of contents) stays their text.
void RtfReader::keptFieldEnd()
{
    if (m_fieldStarts.isEmpty() || m_fieldStarts.last().depth != m_stack.size())
        return;
    const FieldStart start = m_fieldStarts.takeLast();
    m_output.flushText();
    if (m_document->blockCount() != start.blocks) {
        unmarkFieldResult(start.characters - 1, m_document->characterCount() - 1);
        return;
    }
    if (m_document->characterCount() != start.characters)
        return;
    const QByteArrayView rtf = m_data.sliced(top().start, m_tokenEnd - top().start);
    if (rtf.contains(QByteArrayView("fldinst")))
        insertKept(trimmedStart(rtf), false);
}

// A table of the header closes: a note read on its own needs it too.
void RtfReader::keptTable()
{
    switch (top().destination) {
    case Destination::FontTable:
    case Destination::ColorTable:
    case Destination::StyleSheet:
    case Destination::ListTable:
    case Destination::ListOverrideTable:
        m_kept.addPrelude(m_data.sliced(top().start, m_tokenEnd - top().start));
        break;
    default:
        break;
    }
}

void RtfReader::endKept()
{
    const QByteArray rtf = trimmedStart(m_data.sliced(m_keptStart, m_tokenEnd - m_keptStart));
    if (m_stack.isEmpty())
        return;
    switch (m_keptKind) {
    case Kept::Kind::Document:
        m_kept.addSetting(rtf);
        break;
    case Kept::Kind::Note:
        placeOutput();
        m_output.flushText();
        m_kept.addNote(rtf, m_output.cursor(), currentFormat());
        break;
    case Kept::Kind::Invisible:
        keepUnseen(rtf);
        break;
    default:
        insertKept(rtf, false);
        break;
    }
}

QTextCharFormat RtfReader::currentFormat() const
{
    CharState state = top().chars;
    state.hidden = false;
    return charFormat(state, m_fonts, m_colors, m_fields);
}

void RtfReader::unmarkFieldResult(int from, int to)
{
    // The fragments first: formats set merge them.
    QList<std::pair<int, int>> marked; // position, length
    for (QTextBlock block = m_document->findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() >= from && fragment.charFormat().hasProperty(kFieldInstruction))
                marked.append({fragment.position(), fragment.length()});
        }
    }
    QTextCursor cursor = m_output.cursor(); // which then knows the text before it no more
    for (const auto& [position, length] : std::as_const(marked)) {
        cursor.setPosition(position);
        cursor.setPosition(position + length, QTextCursor::KeepAnchor);
        QTextCharFormat format = cursor.charFormat();
        format.clearProperty(kFieldInstruction);
        format.clearProperty(kFieldNumber);
        cursor.setCharFormat(format);
    }
}

void RtfReader::keepUnseen(const QByteArray& rtf)
{
    m_unseen.append(m_kept.object(rtf, currentFormat(), true, m_document));
}

void RtfReader::insertUnseen()
{
    QTextCursor& cursor = m_output.cursor();
    for (const QTextImageFormat& format : std::as_const(m_unseen))
        cursor.insertImage(format);
    m_unseen.clear();
}

void RtfReader::insertKept(const QByteArray& rtf, bool hidden)
{
    placeOutput();
    m_output.flushText();
    m_output.cursor().insertImage(m_kept.object(rtf, currentFormat(), hidden, m_document));
}

// \chftn: a note's automatic number, in its note or as the mark in the text.
void RtfReader::footnoteNumber()
{
    placeOutput();
    m_output.flushText();
    QTextCharFormat format = currentFormat();
    format.setProperty(kFootnoteNumber, true);
    QTextCursor& cursor = m_output.cursor();
    if (m_kept.inNote()) {
        cursor.insertText(m_kept.noteNumberLabel(), format);
        return;
    }
    const int start = cursor.position();
    cursor.insertText(m_kept.nextMarkLabel(), format);
    QTextCursor mark(cursor);
    mark.setPosition(start, QTextCursor::KeepAnchor);
    mark.setKeepPositionOnInsert(true);
    m_kept.markInserted(mark);
}

// \page: the paragraph after it starts a new page; an empty one is that paragraph.
void RtfReader::pageBreak()
{
    placeOutput();
    m_output.flushText();
    if (m_output.cursor().block().length() > 1)
        m_output.endParagraph(top().para);
    QTextCursor cursor(m_output.cursor());
    cursor.setKeepPositionOnInsert(true);
    m_kept.pageBreak(cursor);
}

// \sect ends the paragraph and the section; the next section's settings follow.
void RtfReader::sectionBreak()
{
    placeOutput();
    m_output.endParagraph(top().para);
    QTextCursor cursor(m_output.cursor());
    cursor.movePosition(QTextCursor::PreviousBlock);
    cursor.setKeepPositionOnInsert(true);
    m_kept.sectionBreak(cursor);
}

} // namespace velko::rtf
