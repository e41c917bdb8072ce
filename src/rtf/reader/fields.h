#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velko::rtf::reader {

// The fields being read (\field groups) and what their results are: a
// hyperlink, or the result of another instruction. Results are numbered from
// 1; 0 stands for none.
class Fields
{
public:
    struct Result
    {
        QString href;        // of a hyperlink
        QString instruction; // of any other field
    };

    Fields() : m_results{Result{}} {}

    // \field in the group at `depth` (the size of the group stack).
    void begin(qsizetype depth);
    bool isOpen() const { return !m_fields.isEmpty(); }
    // A character of the innermost field's instruction (\fldinst).
    void instructionCharacter(char16_t c);
    // \fldrslt: the result the text takes; 0 when the field has no instruction.
    int beginResult();
    // The group at `depth` closes, and the fields it began end.
    void closeGroup(qsizetype depth);

    const Result& result(int index) const { return m_results.at(index); }

private:
    struct Field
    {
        qsizetype depth; // of the \field group
        QString instruction;
    };

    QList<Field> m_fields;
    QList<Result> m_results;
};

} // namespace velko::rtf::reader
