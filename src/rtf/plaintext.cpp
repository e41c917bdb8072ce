#include "rtf/plaintext.h"

#include "rtf/grammar/rtftokenizer.h"
#include "rtf/keptproperties.h"
#include "rtf/listnumbers.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>

namespace velko::rtf {

namespace {

QString labelFor(const QTextList& list, const QTextBlock& block, ListItemIndexes& items)
{
    switch (list.format().style()) {
    case QTextListFormat::ListDisc:
        return QStringLiteral("\u2022");
    case QTextListFormat::ListCircle:
        return QStringLiteral("\u25E6");
    case QTextListFormat::ListSquare:
        return QStringLiteral("\u25AA");
    default:
        return listItemText(list, block, items.indexOf(list, block));
    }
}

bool isDestination(QByteArrayView word)
{
    for (const char* name :
         {"fldinst", "pict", "footnote", "shp", "object", "do", "listtext", "pntext", "nonshppict",
          "info", "header", "footer", "xe", "tc", "tcn", "txe", "rxe", "bkmkstart", "bkmkend"}) {
        if (word == QByteArrayView(name))
            return true;
    }
    return false;
}

} // namespace

QString keptText(QByteArrayView rtf, bool lineEnds)
{
    QString out;
    RtfTokenizer tokenizer(rtf);
    int depth = 0;
    int skipFrom = 0; // the depth of a destination being skipped, 0: none
    bool groupStart = false;
    int fallback = 0;
    for (RtfToken token = tokenizer.next(); token.type != RtfToken::Type::End;
         token = tokenizer.next()) {
        const bool first = groupStart;
        groupStart = false;
        if (token.type == RtfToken::Type::GroupOpen) {
            ++depth;
            groupStart = true;
            continue;
        }
        if (token.type == RtfToken::Type::GroupClose) {
            if (depth-- == skipFrom)
                skipFrom = 0;
            continue;
        }
        if (skipFrom > 0)
            continue;
        if (fallback > 0 && token.type != RtfToken::Type::ControlWord) {
            --fallback;
            if (token.type != RtfToken::Type::Text || token.name.size() <= 1)
                continue;
            token.name = token.name.sliced(1);
        }
        switch (token.type) {
        case RtfToken::Type::Text:
            out += QString::fromLatin1(token.name);
            break;
        case RtfToken::Type::HexByte:
            out += QChar(token.parameter);
            break;
        case RtfToken::Type::ControlSymbol:
            if (token.symbol == '*' && first)
                skipFrom = depth;
            else if (token.symbol == '{' || token.symbol == '}' || token.symbol == '\\')
                out += QLatin1Char(token.symbol);
            break;
        case RtfToken::Type::ControlWord:
            if (token.name == QByteArrayView("u")) {
                out += QChar(char16_t(token.parameter));
                fallback = 1;
            } else if (token.name == QByteArrayView("tab")) {
                out += u'\t';
            } else if (lineEnds && (token.name == QByteArrayView("par") ||
                                    token.name == QByteArrayView("line"))) {
                out += u'\n';
            } else if (first && isDestination(token.name)) {
                skipFrom = depth;
            }
            break;
        default:
            break;
        }
    }
    return out;
}

namespace {

// A block's text with hidden text in its place and the marks of notes left
// out, as other readers give the text.
QString textOf(const QTextBlock& block)
{
    QString out;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        if (format.hasProperty(kFootnoteMark) || format.hasProperty(kFootnoteNumber))
            continue;
        if (format.isImageFormat() && format.hasProperty(kKeptRtf)) {
            const QByteArray rtf = format.property(kKeptRtf).toByteArray();
            if (rtf.startsWith("{\\v"))
                out += keptText(rtf).repeated(it.fragment().length());
            continue;
        }
        out += it.fragment().text();
    }
    return out;
}

} // namespace

QString plainText(const QTextDocument& document)
{
    QString out;
    out.reserve(document.characterCount());
    QTextFrame* notes = nullptr;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (frame->frameFormat().hasProperty(kNotesArea))
            notes = frame;
    }
    ListItemIndexes items;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (notes && block.position() >= notes->firstPosition() &&
            block.position() <= notes->lastPosition())
            continue;
        if (block != document.begin())
            out += u'\n';
        if (const QTextList* list = block.textList())
            out += labelFor(*list, block, items) + u'\t';
        QString text = block.text();
        if (notes || text.contains(QChar::ObjectReplacementCharacter))
            text = textOf(block);
        for (QChar& c : text) {
            if (c == QChar::LineSeparator)
                c = u'\n';
            else if (c == QChar::Nbsp)
                c = u' ';
        }
        out += text;
    }
    return out;
}

} // namespace velko::rtf
