#pragma once

#include "rtf/reader/codepages.h"
#include "rtf/reader/controlwords.h"

#include <QBrush>
#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace velko::rtf::reader {

// Entries a table may hold, so hostile input cannot make it grow without end.
inline constexpr qsizetype kMaxTableEntries = 65536;

// The font table (\fonttbl): each font's family and the code page of its text.
class FontTable
{
public:
    explicit FontTable(CodePages& codePages) : m_codePages(codePages) {}

    // \deffN: the font of text that names none.
    void setDefaultFont(int font) { m_defaultFont = font; }
    // \fN, \fcharsetN and \cpgN inside the table.
    void controlWord(Word word, int value);
    // Bytes of the current font's name, up to the ';' that ends it.
    void text(QByteArrayView bytes);
    // A character of the current font's name given as \uN.
    void character(char16_t c);
    // A group of the table closes: the current font's name ends there even
    // without its ';'.
    void closeGroup();

    // The family of a font (-1: the default font); empty when the table names none.
    QString family(int font) const;
    // The same as a list of one family, made once per font and shared by the
    // formats that name it; empty when the table names none.
    QStringList families(int font) const;
    // The code page of a font's text (-1: the default font's): its own, or the
    // document's; kSymbolFontCodePage for the Symbol font.
    int codePage(int font) const;

private:
    struct Entry
    {
        QByteArray name; // bytes not yet decoded
        QString family;
        int codePage = 0; // 0: the document's code page
        bool complete = false;
        bool symbolFont = false; // named "Symbol"
    };

    Entry* entry(int font);
    void decodeName(Entry* font);

    CodePages& m_codePages;
    QHash<int, Entry> m_fonts;
    mutable QHash<QString, QStringList> m_familyLists; // by family
    int m_current = 0;
    int m_defaultFont = 0;
};

// The colour table (\colortbl): colours by index, each entry ended by ';'.
class ColorTable
{
public:
    // \redN, \greenN and \blueN inside the table.
    void controlWord(Word word, int value);
    void text(QByteArrayView bytes);

    // The colour at `index`; invalid for an automatic entry (one with no
    // components) and for an index the table does not hold.
    QColor color(int index) const;
    // A brush of that colour, made once per entry and shared by the formats
    // that use it.
    QBrush brush(int index) const;

private:
    QList<QColor> m_colors;
    QList<QBrush> m_brushes;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_set = false; // a component was given for the entry being read
};

} // namespace velko::rtf::reader
