#include "rtf/reader/fields.h"

namespace velko::rtf::reader {

namespace {

// Longest field instruction kept, in characters.
constexpr qsizetype kMaxInstruction = 4096;

// The target of a HYPERLINK instruction: its URL, and "#anchor" for \l;
// empty for any other instruction.
QString hyperlinkTarget(QStringView instruction)
{
    instruction = instruction.trimmed();
    if (!instruction.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return {};
    QString url;
    QString anchor;
    qsizetype i = 9;
    bool nextIsAnchor = false;
    bool nextIsIgnored = false;
    while (i < instruction.size()) {
        while (i < instruction.size() && instruction.at(i).isSpace())
            ++i;
        if (i >= instruction.size())
            break;
        QString argument;
        if (instruction.at(i) == u'\\' && i + 1 < instruction.size() &&
            instruction.at(i + 1) != u'\\') {
            const QChar name = instruction.at(i + 1);
            nextIsAnchor = name == u'l';
            nextIsIgnored = name == u'o' || name == u't' || name == u'm';
            i += 2;
            continue;
        }
        if (instruction.at(i) == u'"') {
            ++i;
            while (i < instruction.size() && instruction.at(i) != u'"') {
                if (instruction.at(i) == u'\\' && i + 1 < instruction.size())
                    ++i;
                argument += instruction.at(i++);
            }
            ++i;
        } else {
            while (i < instruction.size() && !instruction.at(i).isSpace())
                argument += instruction.at(i++);
        }
        if (nextIsAnchor && anchor.isEmpty())
            anchor = argument;
        else if (!nextIsIgnored && url.isEmpty())
            url = argument;
        nextIsAnchor = nextIsIgnored = false;
    }
    if (!anchor.isEmpty())
        url += u'#' + anchor;
    return url;
}

} // namespace

void Fields::begin(qsizetype depth)
{
    if (!m_fields.isEmpty() && m_fields.last().depth == depth)
        m_fields.last().instruction.clear();
    else
        m_fields.append(Field{depth, QString()});
}

void Fields::instructionCharacter(char16_t c)
{
    if (!m_fields.isEmpty() && m_fields.last().instruction.size() < kMaxInstruction)
        m_fields.last().instruction += QChar(c);
}

int Fields::beginResult()
{
    if (m_fields.isEmpty())
        return 0;
    const QString instruction = m_fields.last().instruction.trimmed();
    if (instruction.isEmpty())
        return 0;
    const QString target = hyperlinkTarget(instruction);
    if (target.isEmpty() && instruction.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return 0; // a link to nowhere: its text alone
    m_results.append(target.isEmpty() ? Result{QString(), instruction} : Result{target, QString()});
    return int(m_results.size() - 1);
}

void Fields::closeGroup(qsizetype depth)
{
    while (!m_fields.isEmpty() && m_fields.last().depth >= depth)
        m_fields.removeLast();
}

} // namespace velko::rtf::reader
