#pragma once

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>

class QTextBlock;
class QTextCharFormat;
class QTextDocument;
class QTextFragment;
class QTextList;

namespace velko::rtf {

// Turns a QTextDocument (or a range of it) into RTF. Two passes: the first
// collects the font, colour and list tables, the second writes the body and
// emits only the character and paragraph properties that changed.
class RtfWriter
{
public:
    explicit RtfWriter(const QTextDocument& document);

    QByteArray write(int from, int to);

private:
    // Character properties as RTF sees them, resolved against the document defaults.
    struct CharState
    {
        int font = 0;
        int halfPoints = 24;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
        int foreground = 0; // colour table index, 0 = automatic
        int background = 0;
        int verticalAlignment = 0; // 0 normal, 1 superscript, 2 subscript

        friend bool operator==(const CharState&, const CharState&) = default;
    };

    struct FormatInfo
    {
        CharState state;
        QString href; // empty: not a link
    };

    void collectTables(int from, int to);
    const FormatInfo& infoFor(const QTextFragment& fragment);
    int fontIndex(const QString& family);
    int colorIndex(const QColor& color);
    CharState stateFor(const QTextCharFormat& format);

    void writeHeader(QByteArray& out) const;
    void writeListTables(QByteArray& out) const;
    void writeBlock(const QTextBlock& block, int from, int to);
    QByteArray paragraphProperties(const QTextBlock& block) const;
    void writeCharState(const CharState& state);
    void openLink(const QString& href);
    void closeLink();
    void writeControl(const char* word);
    void writeControl(const char* word, int parameter);
    void writeText(QStringView text);
    static void appendEscaped(QByteArray& out, QStringView text);

    const QTextDocument& m_document;
    QString m_defaultFamily;
    int m_defaultHalfPoints = 24;
    qreal m_indentWidth = 40;

    QStringList m_fonts;
    QHash<QString, int> m_fontIndex;
    QList<QColor> m_colors; // index 0 is the automatic colour
    QHash<QRgb, int> m_colorIndex;
    QList<const QTextList*> m_lists;
    QHash<const QTextList*, int> m_listIndex;

    QHash<int, FormatInfo> m_formats;    // by the document's format index
    QHash<int, QByteArray> m_paragraphs; // paragraph properties by block format index

    QByteArray m_out;
    bool m_needDelimiter = false; // a control word was written and text follows
    CharState m_state;
    CharState m_stateBeforeLink;
    bool m_inLink = false;
    QString m_linkHref;
    QByteArray m_lastParagraph;
};

} // namespace velko::rtf
