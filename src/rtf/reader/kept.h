#pragma once

#include "rtf/keptproperties.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QTextCursor>
#include <QTextImageFormat>

class QTextDocument;

namespace velko::rtf::reader {

class ColorTable;
class FontTable;

// What the text view cannot show, kept as the RTF it came as: the document's
// settings and groups (page size, headers and footers, document
// information), section breaks, inline objects (shapes, fields with no
// result, hidden text) and footnotes. Collects them while the reader runs and
// puts them beside the document at the end (rtf/keptproperties.h).
class Kept
{
public:
    // The kinds of kept group; the words that begin them are in keptwords.h.
    enum class Kind {
        None,
        Document,  // a group of the document: kept for the header area
        Inline,    // a group kept where it stands, as an object in the text
        Note,      // \footnote
        Invisible, // kept where it stands, not shown (a bookmark)
    };

    // Reading a note's text (a footnote read on its own): its automatic
    // number, and groups of the document kind are kept inline.
    void setNote(int number, bool endnote)
    {
        m_noteNumber = number;
        m_noteEndnote = endnote;
    }
    bool inNote() const { return m_noteNumber > 0; }
    QString noteNumberLabel() const;

    // The bytes that give a note read on its own the document's tables and
    // code page.
    void addPrelude(QByteArrayView rtf) { m_prelude += rtf; }
    // A setting word or a group of the document: kept for the header area,
    // or after a section break for that section.
    void addSetting(QByteArrayView rtf);
    // \sect ended the paragraph `cursor` stands in.
    void sectionBreak(const QTextCursor& cursor);
    // \page: the paragraph `cursor` stands in starts a page.
    void pageBreak(const QTextCursor& cursor) { m_pageBreaks.append(cursor); }

    // The image an inline object of `rtf` is shown as, in the character
    // format `around` of the text it stands in; its RTF becomes a resource of
    // `document`. Hidden text takes no room.
    QTextImageFormat object(const QByteArray& rtf, const QTextCharFormat& around, bool hidden,
                            QTextDocument* document);

    // \chftn in the text: the label of the next note's automatic number.
    QString nextMarkLabel() const { return noteLabel(m_footnotes + 1, false); }
    // The automatic number `cursor` selects is the mark of the next note.
    void markInserted(const QTextCursor& cursor) { m_mark = cursor; }
    // A \footnote group ended at `cursor`: its mark is the automatic number
    // just before, else the character just before, else a new automatic number.
    void addNote(const QByteArray& rtf, QTextCursor& cursor, const QTextCharFormat& format);

    // The reading ends: notes go into the notes area, breaks into their
    // paragraphs, the kept RTF and the fonts and colours it names into the
    // document's resources.
    void finish(QTextDocument* document, const FontTable& fonts, const ColorTable& colors);

private:
    struct Note
    {
        QByteArray rtf;
        int number = 0;
        bool endnote = false;
    };
    struct Section
    {
        QTextCursor cursor;
        QByteArray rtf;
    };

    void buildNotes(QTextDocument* document);
    void storeReferences(QTextDocument* document, const FontTable& fonts,
                         const ColorTable& colors) const;

    QByteArray m_prelude;
    QByteArray m_document;
    QList<Section> m_sections;
    QList<QTextCursor> m_pageBreaks;
    QList<Note> m_notes;
    int m_footnotes = 0;
    int m_endnotes = 0;
    QTextCursor m_mark; // the last automatic number in the text, selected
    int m_noteNumber = 0;
    bool m_noteEndnote = false;
    QSet<int> m_fonts; // numbers kept RTF names
    QSet<int> m_colors;
};

} // namespace velko::rtf::reader
