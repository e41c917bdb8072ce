#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velko::rtf::reader {

// The fields being read (\field groups) and the hyperlinks their results
// become. Links are numbered from 1; 0 stands for no link.
class Fields
{
public:
    Fields() : m_links{QString()} {}

    // \field in the group at `depth` (the size of the group stack).
    void begin(qsizetype depth);
    bool isOpen() const { return !m_fields.isEmpty(); }
    // A character of the innermost field's instruction (\fldinst).
    void instructionCharacter(char16_t c);
    // \fldrslt: the link the result's text takes; 0 when the field is no hyperlink.
    int beginResult();
    // The group at `depth` closes, and the fields it began end.
    void closeGroup(qsizetype depth);

    const QString& link(int index) const { return m_links.at(index); }

private:
    struct Field
    {
        qsizetype depth; // of the \field group
        QString instruction;
    };

    QList<Field> m_fields;
    QStringList m_links;
};

} // namespace velko::rtf::reader
