#include "rtf/formatwords.h"
#include "rtf/grammar/rtftokenizer.h"
#include "rtf/keptproperties.h"
#include "rtf/rtfwriter.h"

#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <cctype>

namespace velko::rtf {

// An object kept as RTF goes back as it came. Its RTF is on the format, or,
// after a copy through HTML, only in the document's resources (so for a
// picture Qt cannot draw, too).
void RtfWriter::writeKept(const QTextImageFormat& format)
{
    QByteArray rtf = format.property(kKeptRtf).toByteArray();
    if (rtf.isEmpty())
        rtf = m_document.resource(kKeptResource, keptRtfUrl(format.name())).toByteArray();
    if (rtf.isEmpty())
        return;
    m_out += keptRtf(rtf);
    m_needDelimiter = false;
    m_wroteKept = true;
}

// Kept RTF names fonts and colours by their numbers in the tables of the
// document it came from: they become this writer's numbers for the same
// fonts and colours. Styles and lists this writer does not have are left out.
QByteArray RtfWriter::keptRtf(QByteArrayView rtf)
{
    if (!m_keptReferencesRead) {
        m_keptReferences = m_document.resource(kKeptResource, kKeptReferencesUrl).toHash();
        m_keptReferencesRead = true;
    }
    QByteArray out;
    out.reserve(rtf.size() + 16);
    RtfTokenizer tokenizer(rtf);
    qsizetype copied = 0;
    qsizetype wordEnd = -1; // where the last word with no delimiting space ended
    while (true) {
        const qsizetype start = tokenizer.position();
        const RtfToken token = tokenizer.next();
        if (token.type == RtfToken::Type::End)
            break;
        if (token.type != RtfToken::Type::ControlWord)
            continue;
        const KeptReference reference =
            token.hasParameter ? keptReference(token.name) : KeptReference::None;
        if (reference == KeptReference::None) {
            wordEnd = rtf.at(tokenizer.position() - 1) == ' ' ? -1 : tokenizer.position();
            continue;
        }
        out += rtf.sliced(copied, start - copied);
        copied = tokenizer.position();
        int number = -1;
        if (reference == KeptReference::Font) {
            const QString family =
                m_keptReferences.value(QStringLiteral("f%1").arg(token.parameter)).toString();
            const int charset =
                m_keptReferences.value(QStringLiteral("F%1").arg(token.parameter)).toInt();
            if (!family.isEmpty())
                number = charset == 0 ? fontIndex(family) : keptFontIndex(family, charset);
        } else if (reference == KeptReference::Color) {
            const QVariant color =
                m_keptReferences.value(QStringLiteral("c%1").arg(token.parameter));
            if (color.isValid())
                number = color.value<QColor>().isValid() ? colorIndex(color.value<QColor>()) : 0;
        }
        if (number < 0) {
            // A style, or a number the document's tables did not hold: left
            // out, and the word before it must not run into what follows.
            const char next = copied < rtf.size() ? rtf.at(copied) : ' ';
            if (wordEnd == start && (std::isalnum(uchar(next)) || next == '-'))
                out += ' ';
            else if (wordEnd == start)
                wordEnd = copied;
            continue;
        }
        // The word ends where the original ended (the space that delimits it
        // belongs to the word) or before what follows.
        out += '\\' + token.name.toByteArray() + QByteArray::number(number) + ' ';
        wordEnd = -1;
    }
    out += rtf.sliced(copied);
    return out;
}

// A font of kept RTF whose bytes are in another character set than ANSI:
// an entry of its own that states the set.
int RtfWriter::keptFontIndex(const QString& family, int charset)
{
    const QString key = family + QChar(0) + QString::number(charset);
    const auto found = m_fontIndex.constFind(key);
    if (found != m_fontIndex.cend())
        return *found;
    const int index = int(m_fonts.size());
    m_fonts.append(family);
    m_fontIndex.insert(key, index);
    m_fontCharsets.insert(index, charset);
    m_symbolFonts.append(isSymbolFontName(family)); // by index, as for the text's fonts
    return index;
}

// \par, or for a paragraph that ended a section the section break with the
// next section's settings. By the block's format, looked at once.
const QByteArray& RtfWriter::paragraphEnd(const QTextBlock& block)
{
    static const QByteArray par = QByteArrayLiteral("\\par\n");
    const int index = block.blockFormatIndex();
    auto found = m_paragraphEnds.constFind(index);
    if (found == m_paragraphEnds.cend()) {
        const QByteArray section = block.blockFormat().property(kSectionBreak).toByteArray();
        found = m_paragraphEnds.insert(index, section.startsWith("\\sect") ? keptRtf(section) + '\n'
                                                                           : QByteArray());
    }
    return found->isEmpty() ? par : *found;
}

} // namespace velko::rtf
