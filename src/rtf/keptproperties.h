#pragma once

#include <QByteArray>
#include <QTextDocument>
#include <QTextFormat>
#include <QUrl>

// What the text view cannot show travels beside the text, between the reader
// and the writer: RTF kept as it came, and the parts of footnotes.
namespace velko::rtf {

// An inline object kept as RTF (a shape, a field with no result, hidden
// text) is an image whose name starts with this; its RTF is the format's
// kKeptRtf and also the document's resource of type kKeptResource under
// keptRtfUrl(name), which is what is left when the object was copied
// through HTML. (Resources are found by name alone, whatever their type.)
inline constexpr char kKeptScheme[] = "velko-kept";
inline constexpr int kKeptResource = QTextDocument::UserResource + 0x52;
// QByteArray: the object's RTF, one or more whole groups.
inline constexpr int kKeptRtf = QTextFormat::UserProperty + 0x5210;

// The document's own settings and groups (page size and margins, headers
// and footers, document information), written after the tables of the
// header: a resource of type kKeptResource holding a QByteArray.
inline const QUrl kKeptDocumentUrl = QUrl(QStringLiteral("velko-kept:document"));
// The fonts and colours kept RTF names by number: a QVariantHash with "fN"
// for a font's family and "cN" for a colour, under this name.
inline const QUrl kKeptReferencesUrl = QUrl(QStringLiteral("velko-kept:references"));

// QByteArray on a paragraph's block format: it ended a section; the section
// break and the next section's settings (\sect ...), written in place of \par.
inline constexpr int kSectionBreak = QTextFormat::UserProperty + 0x5211;

// Footnotes. The marks in the text carry kFootnoteMark (the note's number
// among all notes, from 1); characters that stand for a note's automatic
// number (in the text and at the start of a note) carry kFootnoteNumber.
// The notes are paragraphs of a frame at the document's end marked with
// kNotesArea; the first paragraph of each carries kNoteId, and kNoteEndnote
// when it is an endnote.
inline constexpr int kFootnoteMark = QTextFormat::UserProperty + 0x5212;
inline constexpr int kFootnoteNumber = QTextFormat::UserProperty + 0x5213;
inline constexpr int kNotesArea = QTextFormat::UserProperty + 0x5214;
inline constexpr int kNoteId = QTextFormat::UserProperty + 0x5215;
inline constexpr int kNoteEndnote = QTextFormat::UserProperty + 0x5216;

inline QUrl keptRtfUrl(const QString& name)
{
    return QUrl(name + QStringLiteral(".rtf"));
}

inline bool isKeptName(const QString& name)
{
    return name.startsWith(QLatin1String(kKeptScheme)) &&
           name.size() > qsizetype(sizeof(kKeptScheme)) && name.at(sizeof(kKeptScheme) - 1) == u':';
}

// What a control word in kept RTF names: a font or a colour by its number
// in the tables, or a style or list, which the writer's tables do not hold.
enum class KeptReference { None, Font, Color, Style };
KeptReference keptReference(QByteArrayView word);

// The label a note's automatic number shows: 1, 2, 3 for footnotes, i, ii,
// iii for endnotes.
QString noteLabel(int number, bool endnote);

} // namespace velko::rtf
