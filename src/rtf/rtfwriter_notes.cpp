#include "rtf/keptproperties.h"
#include "rtf/rtfwriter.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <climits>

namespace velko::rtf {

bool RtfWriter::isNotesArea(const QTextFrame& frame)
{
    return frame.frameFormat().hasProperty(kNotesArea);
}

// The notes of the notes area by their ids. A paragraph that starts no note
// belongs to the one before it; those before the first note form one of their own.
void RtfWriter::collectNotes()
{
    for (const QTextFrame* frame : m_document.rootFrame()->childFrames()) {
        if (!isNotesArea(*frame))
            continue;
        int id = -1 - int(m_noteIds.size());
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (const auto* table = qobject_cast<const QTextTable*>(it.currentFrame())) {
                m_notes[id].items.append(NoteItem{QTextBlock(), table});
                continue;
            }
            if (it.currentFrame())
                continue;
            const QTextBlock block = it.currentBlock();
            const QTextBlockFormat format = block.blockFormat();
            if (const int own = format.intProperty(kNoteId); own > 0 && own != id) {
                id = m_notes.contains(own) ? -1 - int(m_noteIds.size()) : own;
                m_notes[id].endnote = format.boolProperty(kNoteEndnote);
            }
            if (!m_noteIds.contains(id))
                m_noteIds.append(id);
            m_notes[id].items.append(NoteItem{block, nullptr});
        }
    }
}

// A note's mark in the text, or the automatic number at the start of a note.
// The number is written as \chftn while it still reads as the note's number;
// the note follows its mark.
void RtfWriter::writeNoteText(const QTextCharFormat& format, QStringView text)
{
    const int id = format.intProperty(kFootnoteMark);
    const auto note = m_notes.constFind(id);
    if (id <= 0 || note == m_notes.cend() || m_notesWritten.contains(id) || !m_noteLabel.isNull()) {
        if (format.boolProperty(kFootnoteNumber) && !m_noteLabel.isNull() && text == m_noteLabel)
            writeControl("chftn");
        else
            writeText(text);
        return;
    }
    const int number = note->endnote ? ++m_endnoteCount : ++m_footnoteCount;
    const QString label = noteLabel(number, note->endnote);
    if (format.boolProperty(kFootnoteNumber) && text == label)
        writeControl("chftn");
    else
        writeText(text);
    m_notesWritten.insert(id);
    m_noteLabel = label;
    writeNote(*note);
    m_noteLabel = QString();
}

// {\footnote ...} with the note's paragraphs. What the group changes ends
// with it, so the state before it holds again after it.
void RtfWriter::writeNote(const Note& note)
{
    const CharState state = m_state;
    const QByteArray lastParagraph = m_lastParagraph;
    const bool inLink = m_inLink;
    const QString linkHref = m_linkHref;
    const QString linkField = m_linkField;
    const int linkFieldNumber = m_linkFieldNumber;
    const CharState stateBeforeLink = m_stateBeforeLink;
    m_inLink = false;
    m_linkHref.clear();
    m_linkField.clear();
    m_linkFieldNumber = 0;
    m_lastParagraph.clear();
    // A note is read on its own, so it starts from plain characters.
    m_out += note.endnote ? "{\\footnote\\ftnalt\\plain" : "{\\footnote\\plain";
    m_needDelimiter = true;
    m_state = CharState{};
    bool endedByBlock = false;
    for (const NoteItem& item : note.items) {
        if (endedByBlock) {
            m_out += "\\par\n";
            m_needDelimiter = false;
        }
        if (item.table) {
            writeTable(*item.table, 0, INT_MAX, 1);
            m_lastParagraph.clear();
            endedByBlock = false;
            continue;
        }
        writeBlock(item.block, item.block.position(),
                   item.block.position() + item.block.length() - 1);
        endedByBlock = true;
    }
    m_out += '}';
    m_needDelimiter = false;
    m_state = state;
    m_lastParagraph = lastParagraph;
    m_inLink = inLink;
    m_linkHref = linkHref;
    m_linkField = linkField;
    m_linkFieldNumber = linkFieldNumber;
    m_stateBeforeLink = stateBeforeLink;
}

// Notes whose mark is gone from the text still go out, each with a mark of
// its own in a paragraph at the end.
void RtfWriter::writeUnmarkedNotes()
{
    bool opened = false;
    for (const int id : std::as_const(m_noteIds)) {
        if (m_notesWritten.contains(id))
            continue;
        if (!opened) {
            m_out += "\\pard\\plain";
            m_needDelimiter = true;
            m_state = CharState{};
            m_lastParagraph.clear();
            opened = true;
        }
        const Note& note = m_notes[id];
        const int number = note.endnote ? ++m_endnoteCount : ++m_footnoteCount;
        m_noteLabel = noteLabel(number, note.endnote);
        m_out += "{\\super\\chftn}";
        m_notesWritten.insert(id);
        writeNote(note);
        m_noteLabel = QString();
    }
    if (opened)
        m_out += "\\par\n";
}

} // namespace velko::rtf
