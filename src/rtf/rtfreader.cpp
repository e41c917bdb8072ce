#include "rtf/rtfreader.h"

#include "rtf/grammar/rtfgrammar.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <string_view>
#include <unordered_map>

namespace velko::rtf {

namespace {

enum class Word {
    // document
    Ansi,
    AnsiCodePage,
    Mac,
    Pc,
    Pca,
    DefaultFont,
    UnicodeSkip,
    Unicode,
    // destinations
    FontTable,
    ColorTable,
    ListTable,
    ListOverrideTable,
    Field,
    FieldInstruction,
    FieldResult,
    UnicodeAlternatives,
    UnicodeGroup,
    LevelText,
    LegacyList,
    SkippedDestination,
    // tables
    Font,
    Charset,
    CodePage,
    Red,
    Green,
    Blue,
    List,
    ListLevel,
    LevelNumberFormat,
    ListId,
    ListOverride,
    LegacyBullet,
    LegacyBody,
    LegacyLevel,
    LegacyFormat,
    // characters
    Plain,
    FontSize,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Foreground,
    Background,
    Super,
    Sub,
    NoSuperSub,
    // paragraphs
    Pard,
    AlignLeft,
    AlignCentre,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    IndentLevels,
    ListNumber,
    ListLevelNumber,
    // breaks and special characters
    Par,
    Line,
    Tab,
    Cell,
    Row,
    Character,
};

struct Entry
{
    Word word;
    char16_t character = 0;
};

const std::unordered_map<std::string_view, Entry>& words()
{
    static const std::unordered_map<std::string_view, Entry> table = [] {
        std::unordered_map<std::string_view, Entry> t;
        const auto add = [&t](std::string_view name, Word word, char16_t c = 0) {
            t.emplace(name, Entry{word, c});
        };
        add("ansi", Word::Ansi);
        add("ansicpg", Word::AnsiCodePage);
        add("mac", Word::Mac);
        add("pc", Word::Pc);
        add("pca", Word::Pca);
        add("deff", Word::DefaultFont);
        add("uc", Word::UnicodeSkip);
        add("u", Word::Unicode);
        add("fonttbl", Word::FontTable);
        add("colortbl", Word::ColorTable);
        add("listtable", Word::ListTable);
        add("listoverridetable", Word::ListOverrideTable);
        add("field", Word::Field);
        add("fldinst", Word::FieldInstruction);
        add("fldrslt", Word::FieldResult);
        add("upr", Word::UnicodeAlternatives);
        add("ud", Word::UnicodeGroup);
        add("leveltext", Word::LevelText);
        add("pn", Word::LegacyList);
        add("pnlvlblt", Word::LegacyBullet);
        add("pnlvlbody", Word::LegacyBody);
        add("pnlvl", Word::LegacyLevel);
        add("pndec", Word::LegacyFormat, 0); // the character field holds the \levelnfc value
        add("pnucrm", Word::LegacyFormat, 1);
        add("pnlcrm", Word::LegacyFormat, 2);
        add("pnucltr", Word::LegacyFormat, 3);
        add("pnlcltr", Word::LegacyFormat, 4);
        for (std::string_view name : {"info",         "pict",
                                      "object",       "header",
                                      "headerl",      "headerr",
                                      "headerf",      "footer",
                                      "footerl",      "footerr",
                                      "footerf",      "stylesheet",
                                      "listtext",     "pntext",
                                      "pntxta",       "pntxtb",
                                      "revtbl",       "rsidtbl",
                                      "generator",    "xmlnstbl",
                                      "themedata",    "colorschememapping",
                                      "latentstyles", "datastore",
                                      "filetbl",      "footnote",
                                      "annotation",   "atnid",
                                      "atnauthor",    "atrfstart",
                                      "atrfend",      "bkmkstart",
                                      "bkmkend",      "nonshppict",
                                      "shprslt",      "do",
                                      "private",      "pgdsctbl",
                                      "docvar",       "template",
                                      "comment",      "author",
                                      "title",        "subject",
                                      "keywords",     "operator",
                                      "company",      "doccomm",
                                      "nextfile",     "objdata",
                                      "xe",           "tc",
                                      "tcn",          "txe",
                                      "ftnsep",       "ftnsepc",
                                      "ftncn",        "aftnsep",
                                      "aftnsepc",     "aftncn",
                                      "mmathPr",      "userprops",
                                      "fldtype",      "panose",
                                      "falt",         "blipuid",
                                      "picprop",      "wgrffmtfilter",
                                      "listpicture",  "protusertbl",
                                      "pnseclvl",     "rxe",
                                      "sp",           "sn",
                                      "sv",           "listname",
                                      "levelnumbers", "fname",
                                      "passwordhash", "htmltag",
                                      "mhtmltag",     "oldcprops",
                                      "oldpprops",    "oldsprops",
                                      "oldtprops",    "background",
                                      "shppict",      "field-pict",
                                      "ebcstart",     "ebcend"})
            add(name, Word::SkippedDestination);
        add("f", Word::Font);
        add("fcharset", Word::Charset);
        add("cpg", Word::CodePage);
        add("red", Word::Red);
        add("green", Word::Green);
        add("blue", Word::Blue);
        add("list", Word::List);
        add("listlevel", Word::ListLevel);
        add("levelnfc", Word::LevelNumberFormat);
        add("levelnfcn", Word::LevelNumberFormat);
        add("listid", Word::ListId);
        add("listoverride", Word::ListOverride);
        add("plain", Word::Plain);
        add("fs", Word::FontSize);
        add("b", Word::Bold);
        add("i", Word::Italic);
        for (std::string_view name :
             {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
              "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
              "ulwave"})
            add(name, Word::Underline);
        add("ulnone", Word::UnderlineNone);
        add("strike", Word::Strike);
        add("striked", Word::Strike);
        add("cf", Word::Foreground);
        add("cb", Word::Background);
        add("chcbpat", Word::Background);
        add("highlight", Word::Background);
        add("super", Word::Super);
        add("sub", Word::Sub);
        add("nosupersub", Word::NoSuperSub);
        add("pard", Word::Pard);
        add("ql", Word::AlignLeft);
        add("qc", Word::AlignCentre);
        add("qr", Word::AlignRight);
        add("qj", Word::AlignJustify);
        add("qd", Word::AlignJustify);
        add("li", Word::LeftIndent);
        add("lin", Word::LeftIndent);
        add("ri", Word::RightIndent);
        add("rin", Word::RightIndent);
        add("fi", Word::FirstIndent);
        add("sb", Word::SpaceBefore);
        add("sa", Word::SpaceAfter);
        add("sl", Word::LineSpacing);
        add("slmult", Word::LineMultiple);
        add("velkoindent", Word::IndentLevels);
        add("ls", Word::ListNumber);
        add("ilvl", Word::ListLevelNumber);
        add("par", Word::Par);
        add("sect", Word::Par);
        add("page", Word::Par);
        add("line", Word::Line);
        add("tab", Word::Tab);
        add("cell", Word::Cell);
        add("nestcell", Word::Cell);
        add("row", Word::Row);
        add("nestrow", Word::Row);
        add("emdash", Word::Character, u'\u2014');
        add("endash", Word::Character, u'\u2013');
        add("emspace", Word::Character, u'\u2003');
        add("enspace", Word::Character, u'\u2002');
        add("qmspace", Word::Character, u'\u2005');
        add("bullet", Word::Character, u'\u2022');
        add("lquote", Word::Character, u'\u2018');
        add("rquote", Word::Character, u'\u2019');
        add("ldblquote", Word::Character, u'\u201C');
        add("rdblquote", Word::Character, u'\u201D');
        add("zwj", Word::Character, u'\u200D');
        add("zwnj", Word::Character, u'\u200C');
        add("ltrmark", Word::Character, u'\u200E');
        add("rtlmark", Word::Character, u'\u200F');
        return t;
    }();
    return table;
}

const Entry* lookup(QByteArrayView name)
{
    const auto& table = words();
    const auto found = table.find(std::string_view(name.data(), size_t(name.size())));
    return found == table.end() ? nullptr : &found->second;
}

// Limits on tables, so hostile input cannot make them grow without end.
constexpr qsizetype kMaxTableEntries = 65536;
constexpr qsizetype kMaxLists = 4096;
constexpr qsizetype kMaxInstruction = 4096;
constexpr qsizetype kMaxLevelText = 64;
// Paragraph list numbers from here on stand for old-style (\pn) lists: the base plus the format.
constexpr int kLegacyListBase = 1 << 30;

bool flag(const RtfToken& token)
{
    return !token.hasParameter || token.parameter != 0;
}

int twipsParameter(const RtfToken& token)
{
    return qBound(-1000000, token.parameter, 1000000);
}

// Windows code page for an RTF \fcharset; 0 means "the document's code page".
int codePageForCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252; // ANSI, whatever \ansicpg says
    case 2:
        return -2; // symbol
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

QByteArrayList decoderNames(int codePage)
{
    switch (codePage) {
    case 932:
        return {"windows-31j", "Shift_JIS"};
    case 936:
        return {"GBK", "GB2312"};
    case 949:
        return {"windows-949", "EUC-KR"};
    case 950:
        return {"Big5"};
    case 1361:
        return {"johab"};
    case 10000:
        return {"macintosh"};
    case 437:
        return {"IBM437"};
    case 850:
        return {"IBM850"};
    case 65001:
        return {"UTF-8"};
    default:
        return {"windows-" + QByteArray::number(codePage), "CP" + QByteArray::number(codePage)};
    }
}

bool dropsOut(char16_t c)
{
    // Characters QTextCursor::insertText would turn into structure.
    return (c < 0x20 && c != u'\t') || c == u'\u2029' || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC;
}

QTextListFormat::Style styleFor(int numberFormat, QStringView levelText)
{
    switch (numberFormat) {
    case 0:
        return QTextListFormat::ListDecimal;
    case 1:
        return QTextListFormat::ListUpperRoman;
    case 2:
        return QTextListFormat::ListLowerRoman;
    case 3:
        return QTextListFormat::ListUpperAlpha;
    case 4:
        return QTextListFormat::ListLowerAlpha;
    case 23:
    case 255: {
        const QChar bullet = levelText.size() > 1 ? levelText.at(1) : QChar();
        if (bullet == u'\u25E6' || bullet == u'o')
            return QTextListFormat::ListCircle;
        if (bullet == u'\u25AA' || bullet == u'\u25A0' || bullet == QChar(0xA7))
            return QTextListFormat::ListSquare;
        return QTextListFormat::ListDisc;
    }
    default:
        return QTextListFormat::ListDecimal;
    }
}

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

size_t qHash(const RtfReader::CharState& state, size_t seed)
{
    return qHashMulti(seed, state.font, state.halfPoints, state.bold, state.italic, state.underline,
                      state.strike, state.foreground, state.background, state.verticalAlignment,
                      state.link);
}

RtfReader::RtfReader(QTextDocument* document) : m_document(document) {}

RtfReader::~RtfReader() = default;

Status RtfReader::read(QByteArrayView data)
{
    if (Status status = check(data); !status)
        return status;
    build(data);
    return {};
}

Status RtfReader::check(QByteArrayView data)
{
    const RtfExtent extent = measureRtf(data);
    if (extent.kind == RtfExtent::Kind::NotRtf)
        return makeError(ErrorCode::NotRtf, QStringLiteral("not an RTF document"));
    if (extent.kind == RtfExtent::Kind::TooDeep)
        return makeError(ErrorCode::RtfTooDeep,
                         QStringLiteral("RTF groups nested deeper than %1 levels at byte %2")
                             .arg(kMaxGroupDepth)
                             .arg(extent.end));
    return {};
}

void RtfReader::build(QByteArrayView data)
{
    const bool undo = m_document->isUndoRedoEnabled();
    m_document->setUndoRedoEnabled(false);
    m_document->clear();
    m_cursor = QTextCursor(m_document);
    m_cursor.beginEditBlock();
    m_links.append(QString()); // index 0: no link
    m_stack.reserve(64);

    RtfTokenizer tokenizer(data.sliced(signatureStart(data)));
    while (!m_finished) {
        const RtfToken token = tokenizer.next();
        switch (token.type) {
        case RtfToken::Type::End:
            m_finished = true;
            break;
        case RtfToken::Type::GroupOpen:
            openGroup();
            break;
        case RtfToken::Type::GroupClose:
            closeGroup();
            break;
        case RtfToken::Type::ControlWord:
            controlWord(token);
            break;
        case RtfToken::Type::ControlSymbol:
            controlSymbol(token.symbol);
            break;
        case RtfToken::Type::HexByte:
            hexByte(token.parameter);
            break;
        case RtfToken::Type::Text:
            text(token.name);
            break;
        case RtfToken::Type::Binary:
            if (m_skipChars > 0)
                --m_skipChars;
            break;
        }
    }
    if (!m_stack.isEmpty()) // truncated: keep what was read
        finish();
    m_cursor.endEditBlock();
    m_document->setUndoRedoEnabled(undo);
}

void RtfReader::openGroup()
{
    if (!m_stack.isEmpty() && top().destination == Destination::Skip) {
        ++m_skipDepth;
        return;
    }
    GroupState state = m_stack.isEmpty() ? GroupState{} : top();
    if (state.destination == Destination::UnicodeAlternatives)
        state.destination = Destination::UnicodeGroup;
    m_stack.append(state);
    m_groupStart = true;
    m_starred = false;
    m_skipChars = 0;
}

void RtfReader::closeGroup()
{
    if (m_skipDepth > 0) {
        --m_skipDepth;
        return;
    }
    if (m_stack.isEmpty())
        return;
    flushBytes(); // bytes of a multi-byte character do not span groups
    if (top().destination == Destination::FontTable) {
        const auto font = m_fonts.constFind(m_currentFont);
        if (font != m_fonts.cend() && !font->complete &&
            !(font->name.isEmpty() && font->family.isEmpty()))
            fontTableText(";");
    }
    while (!m_fields.isEmpty() && m_fields.last().depth >= m_stack.size())
        m_fields.removeLast();
    const bool legacyList = top().destination == Destination::LegacyList;
    if (m_stack.size() == 1) {
        finish();
        m_finished = true;
    }
    m_stack.removeLast();
    if (legacyList && !m_stack.isEmpty()) {
        // An old-style list (\pn) describes the paragraph it stands in.
        top().para.list = kLegacyListBase + m_legacyFormat;
        top().para.listLevel = m_legacyLevel;
    }
    m_groupStart = false;
    m_starred = false;
    m_skipChars = 0;
}

void RtfReader::controlWord(const RtfToken& token)
{
    if (m_stack.isEmpty() || top().destination == Destination::Skip)
        return;
    const bool first = m_groupStart;
    const bool starred = m_starred;
    m_groupStart = false;
    m_starred = false;
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    const Entry* entry = lookup(token.name);
    GroupState& group = top();
    if (group.destination == Destination::UnicodeGroup) {
        group.destination =
            entry && entry->word == Word::UnicodeGroup ? Destination::Text : Destination::Skip;
        return;
    }
    if (!entry) {
        if (starred) // an ignorable destination we do not know
            group.destination = Destination::Skip;
        return;
    }
    const int value = token.parameter;
    switch (entry->word) {
    case Word::Unicode:
        if (value >= -32768 && value <= 65535)
            unicodeChar(char16_t(value < 0 ? value + 65536 : value));
        else
            m_skipChars = group.unicodeSkip; // no such character; its fallback still goes
        return;
    case Word::UnicodeSkip:
        group.unicodeSkip = qBound(0, value, 64);
        return;
    case Word::Ansi:
        m_documentCodePage = 1252;
        return;
    case Word::AnsiCodePage:
        if (value > 0)
            m_documentCodePage = value;
        return;
    case Word::Mac:
        m_documentCodePage = 10000;
        return;
    case Word::Pc:
        m_documentCodePage = 437;
        return;
    case Word::Pca:
        m_documentCodePage = 850;
        return;
    case Word::DefaultFont:
        m_defaultFont = value;
        return;
    case Word::SkippedDestination:
        if (first || starred)
            group.destination = Destination::Skip;
        return;
    case Word::FontTable:
        group.destination = Destination::FontTable;
        return;
    case Word::ColorTable:
        group.destination = Destination::ColorTable;
        return;
    case Word::ListTable:
        group.destination = Destination::ListTable;
        return;
    case Word::ListOverrideTable:
        group.destination = Destination::ListOverrideTable;
        return;
    case Word::UnicodeAlternatives:
        group.destination = Destination::UnicodeAlternatives;
        return;
    case Word::UnicodeGroup:
        return;
    case Word::Field:
        if (group.destination != Destination::Text)
            return;
        if (!m_fields.isEmpty() && m_fields.last().depth == m_stack.size())
            m_fields.last().instruction.clear();
        else
            m_fields.append(Field{m_stack.size(), QString()});
        return;
    case Word::FieldInstruction:
        group.destination = m_fields.isEmpty() ? Destination::Skip : Destination::FieldInstruction;
        return;
    case Word::FieldResult:
        beginFieldResult();
        return;
    case Word::LegacyList:
        if (group.destination != Destination::Text) {
            group.destination = Destination::Skip;
            return;
        }
        group.destination = Destination::LegacyList;
        m_legacyFormat = 0;
        m_legacyLevel = 0;
        return;
    case Word::LevelText:
        if (group.destination == Destination::ListTable && !m_listDefinitions.isEmpty() &&
            !m_listDefinitions.last().levels.isEmpty()) {
            group.destination = Destination::ListLevelText;
            m_listDefinitions.last().levels.last().text.clear();
        } else {
            group.destination = Destination::Skip;
        }
        return;
    default:
        break;
    }

    if (starred) {
        // Only destinations may follow \*; anything else there is ignorable.
        group.destination = Destination::Skip;
        return;
    }

    switch (group.destination) {
    case Destination::FontTable:
        if (entry->word == Word::Font) {
            m_currentFont = value;
        } else if (entry->word == Word::Charset) {
            if (FontEntry* font = fontEntry(m_currentFont))
                font->codePage = codePageForCharset(value);
        } else if (entry->word == Word::CodePage && value > 0) {
            if (FontEntry* font = fontEntry(m_currentFont))
                font->codePage = value;
        }
        return;
    case Destination::ColorTable:
        if (entry->word == Word::Red || entry->word == Word::Green || entry->word == Word::Blue) {
            const int component = qBound(0, value, 255);
            (entry->word == Word::Red     ? m_red
             : entry->word == Word::Green ? m_green
                                          : m_blue) = component;
            m_colorSet = true;
        }
        return;
    case Destination::ListTable:
        if (entry->word == Word::List) {
            if (m_listDefinitions.size() < kMaxLists)
                m_listDefinitions.append(ListDefinition{});
        } else if (entry->word == Word::ListLevel) {
            if (!m_listDefinitions.isEmpty() && m_listDefinitions.last().levels.size() < 9)
                m_listDefinitions.last().levels.append(ListLevel{});
        } else if (entry->word == Word::LevelNumberFormat) {
            if (!m_listDefinitions.isEmpty() && !m_listDefinitions.last().levels.isEmpty())
                m_listDefinitions.last().levels.last().numberFormat = value;
        } else if (entry->word == Word::ListId) {
            if (!m_listDefinitions.isEmpty())
                m_listDefinitions.last().id = value;
        }
        return;
    case Destination::LegacyList:
        if (entry->word == Word::LegacyBullet)
            m_legacyFormat = 23;
        else if (entry->word == Word::LegacyLevel)
            m_legacyLevel = qBound(0, value - 1, 8);
        else if (entry->word == Word::LegacyFormat)
            m_legacyFormat = entry->character;
        return;
    case Destination::ListOverrideTable:
        if (entry->word == Word::ListOverride)
            m_overrideListId = 0;
        else if (entry->word == Word::ListId)
            m_overrideListId = value;
        else if (entry->word == Word::ListNumber && m_listOverrides.size() < kMaxLists)
            m_listOverrides.insert(value, m_overrideListId);
        return;
    case Destination::Text:
        break;
    default:
        return;
    }

    CharState& chars = group.chars;
    ParaState& para = group.para;
    switch (entry->word) {
    case Word::Plain: {
        const int link = chars.link;
        chars = CharState{};
        chars.link = link;
        break;
    }
    case Word::Font:
        chars.font = value;
        break;
    case Word::FontSize:
        chars.halfPoints = value > 0 ? qBound(2, value, 3276) : 24;
        break;
    case Word::Bold:
        chars.bold = flag(token);
        break;
    case Word::Italic:
        chars.italic = flag(token);
        break;
    case Word::Underline:
        chars.underline = flag(token);
        break;
    case Word::UnderlineNone:
        chars.underline = false;
        break;
    case Word::Strike:
        chars.strike = flag(token);
        break;
    case Word::Foreground:
        chars.foreground = value;
        break;
    case Word::Background:
        chars.background = value;
        break;
    case Word::Super:
        chars.verticalAlignment = 1;
        break;
    case Word::Sub:
        chars.verticalAlignment = 2;
        break;
    case Word::NoSuperSub:
        chars.verticalAlignment = 0;
        break;
    case Word::Pard:
        para = ParaState{};
        break;
    case Word::AlignLeft:
        para.alignment = 0;
        break;
    case Word::AlignCentre:
        para.alignment = 1;
        break;
    case Word::AlignRight:
        para.alignment = 2;
        break;
    case Word::AlignJustify:
        para.alignment = 3;
        break;
    case Word::LeftIndent:
        para.left = twipsParameter(token);
        break;
    case Word::RightIndent:
        para.right = twipsParameter(token);
        break;
    case Word::FirstIndent:
        para.firstLine = twipsParameter(token);
        break;
    case Word::SpaceBefore:
        para.before = twipsParameter(token);
        break;
    case Word::SpaceAfter:
        para.after = twipsParameter(token);
        break;
    case Word::LineSpacing:
        para.lineSpacing = twipsParameter(token);
        break;
    case Word::LineMultiple:
        para.lineMultiple = flag(token);
        break;
    case Word::IndentLevels:
        para.indentLevels = qBound(0, value, 100);
        break;
    case Word::ListNumber:
        para.list = qBound(0, value, kLegacyListBase - 1);
        break;
    case Word::ListLevelNumber:
        para.listLevel = qBound(0, value, 8);
        break;
    case Word::Par:
        endParagraph();
        break;
    case Word::Line:
        emitChar(u'\u2028');
        break;
    case Word::Tab:
        emitChar(u'\t');
        break;
    case Word::Cell:
        ++m_pendingCells;
        break;
    case Word::Row:
        m_pendingCells = 0;
        endParagraph();
        break;
    case Word::Character:
        emitChar(entry->character);
        break;
    default:
        break;
    }
}

void RtfReader::controlSymbol(char symbol)
{
    if (m_stack.isEmpty() || top().destination == Destination::Skip)
        return;
    if (symbol == '*') {
        // Only marks a destination at the start of a group; writers also put
        // it before ordinary words in the middle of text, where it means nothing.
        m_starred = m_groupStart;
        return;
    }
    m_groupStart = false;
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        if (top().destination == Destination::FontTable)
            fontTableText(QByteArrayView(&symbol, 1));
        else
            appendChar(char16_t(symbol));
        break;
    case '~':
        appendChar(u'\u00A0');
        break;
    case '_':
        appendChar(u'\u2011');
        break;
    case '-':
        appendChar(u'\u00AD');
        break;
    default:
        break;
    }
}

void RtfReader::text(QByteArrayView bytes)
{
    if (m_stack.isEmpty())
        return;
    GroupState& group = top();
    if (group.destination == Destination::Skip)
        return;
    m_groupStart = false;
    m_starred = false;
    if (m_skipChars > 0) {
        const qsizetype dropped = qMin<qsizetype>(m_skipChars, bytes.size());
        m_skipChars -= int(dropped);
        bytes = bytes.sliced(dropped);
        if (bytes.isEmpty())
            return;
    }
    switch (group.destination) {
    case Destination::Text:
        emitBytes(bytes);
        break;
    case Destination::FontTable:
        fontTableText(bytes);
        break;
    case Destination::ColorTable:
        for (const char c : bytes) {
            if (c != ';' || m_colors.size() >= kMaxTableEntries)
                continue;
            m_colors.append(m_colorSet ? QColor(m_red, m_green, m_blue) : QColor());
            m_red = m_green = m_blue = 0;
            m_colorSet = false;
        }
        break;
    case Destination::FieldInstruction:
    case Destination::ListLevelText:
        for (const char c : bytes)
            appendChar(char16_t(uchar(c)));
        break;
    default:
        break;
    }
}

void RtfReader::hexByte(int byte)
{
    if (m_stack.isEmpty() || top().destination == Destination::Skip)
        return;
    m_groupStart = false;
    m_starred = false;
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    const char c = char(byte);
    switch (top().destination) {
    case Destination::Text:
        if (byte < 0x20) {
            if (byte == '\t')
                emitChar(u'\t');
            break;
        }
        emitBytes(QByteArrayView(&c, 1));
        break;
    case Destination::FontTable:
        fontTableText(QByteArrayView(&c, 1));
        break;
    case Destination::FieldInstruction:
    case Destination::ListLevelText:
        appendChar(char16_t(byte));
        break;
    default:
        break;
    }
}

void RtfReader::unicodeChar(char16_t c)
{
    appendChar(c);
    m_skipChars = top().unicodeSkip;
}

void RtfReader::appendChar(char16_t c)
{
    GroupState& group = top();
    switch (group.destination) {
    case Destination::Text:
        emitChar(c);
        break;
    case Destination::FontTable:
        if (FontEntry* font = fontEntry(m_currentFont); font && !font->complete) {
            decodeFontName(font);
            if (font->family.size() < 256)
                font->family += QChar(c);
        }
        break;
    case Destination::FieldInstruction:
        if (!m_fields.isEmpty() && m_fields.last().instruction.size() < kMaxInstruction)
            m_fields.last().instruction += QChar(c);
        break;
    case Destination::ListLevelText:
        // A level text outside a list definition or its levels has no owner.
        if (!m_listDefinitions.isEmpty() && !m_listDefinitions.last().levels.isEmpty() &&
            m_listDefinitions.last().levels.last().text.size() < kMaxLevelText)
            m_listDefinitions.last().levels.last().text += QChar(c);
        break;
    default:
        break;
    }
}

RtfReader::FontEntry* RtfReader::fontEntry(int index)
{
    if (m_fonts.size() >= kMaxTableEntries && !m_fonts.contains(index))
        return nullptr;
    return &m_fonts[index];
}

void RtfReader::fontTableText(QByteArrayView bytes)
{
    FontEntry* font = fontEntry(m_currentFont);
    if (!font)
        return;
    for (const char c : bytes) {
        if (font->complete)
            return;
        if (c != ';') {
            if (font->name.size() < 256)
                font->name += c;
            continue;
        }
        font->complete = true;
        decodeFontName(font);
        font->family = font->family.trimmed();
    }
}

void RtfReader::decodeFontName(FontEntry* font)
{
    if (font->name.isEmpty())
        return;
    const int codePage = font->codePage > 0 ? font->codePage : m_documentCodePage;
    QStringDecoder* decoder = decoderFor(codePage);
    font->family += decoder ? decoder->decode(font->name) : QString::fromLatin1(font->name);
    if (decoder)
        decoder->resetState();
    font->name.clear();
}

void RtfReader::beginFieldResult()
{
    if (m_fields.isEmpty())
        return;
    const QString target = hyperlinkTarget(m_fields.last().instruction);
    if (target.isEmpty())
        return;
    m_links.append(target);
    top().chars.link = int(m_links.size() - 1);
}

void RtfReader::emitBytes(QByteArrayView bytes)
{
    prepareForText();
    const int codePage = codePageOf(top().chars.font);
    if (codePage != m_pendingCodePage) {
        flushBytes();
        m_pendingCodePage = codePage;
    }
    if (m_pendingPrintable) {
        for (const char c : bytes) {
            if (uchar(c) >= 0x80 || (uchar(c) < 0x20 && c != '\t')) {
                m_pendingPrintable = false;
                break;
            }
        }
    }
    m_pendingBytes.append(bytes.data(), bytes.size());
}

void RtfReader::emitChar(char16_t c)
{
    if (dropsOut(c))
        return;
    prepareForText();
    flushBytes();
    m_buffer += QChar(c);
}

void RtfReader::prepareForText()
{
    const CharState& state = top().chars;
    if (!m_bufferStateValid || !(state == m_bufferState)) {
        flushText();
        m_bufferState = state;
        m_bufferStateValid = true;
    }
    if (m_pendingCells > 0) {
        flushBytes();
        m_buffer += QString(m_pendingCells, u'\t');
        m_pendingCells = 0;
    }
}

void RtfReader::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    if (m_pendingPrintable) {
        m_buffer += QLatin1StringView(m_pendingBytes);
    } else {
        QStringDecoder* decoder = decoderFor(m_pendingCodePage);
        QString decoded =
            decoder ? decoder->decode(m_pendingBytes) : QString::fromLatin1(m_pendingBytes);
        if (decoder)
            decoder->resetState();
        decoded.removeIf([](QChar c) { return dropsOut(c.unicode()); });
        m_buffer += decoded;
    }
    m_pendingBytes.resize(0);
    m_pendingPrintable = true;
}

void RtfReader::flushText()
{
    flushBytes();
    if (m_buffer.isEmpty())
        return;
    auto format = m_formats.constFind(m_bufferState);
    if (format == m_formats.cend()) {
        if (m_formats.size() >= 4096)
            m_formats.clear(); // a bound for documents with endless variety
        format = m_formats.insert(m_bufferState, charFormat(m_bufferState));
    }
    m_cursor.insertText(m_buffer, *format);
    m_paragraphEnded = false;
    m_buffer.resize(0);
}

void RtfReader::finish()
{
    flushText();
    if (m_paragraphEnded && m_cursor.block().length() == 1) {
        // The \par that ended the last paragraph opened no new one.
        m_cursor.deletePreviousChar();
        return;
    }
    applyParagraph();
}

void RtfReader::endParagraph()
{
    if (top().destination != Destination::Text)
        return;
    flushText();
    m_pendingCells = 0;
    applyParagraph();
    m_cursor.insertBlock(QTextBlockFormat());
    m_blockIsPlain = true;
    m_paragraphEnded = true;
}

void RtfReader::applyParagraph()
{
    const ParaState& para = top().para;
    if (para.list < kLegacyListBase)
        ++m_legacyRun; // an old-style list ends at the first paragraph outside it
    if (para == ParaState{} && m_blockIsPlain)
        return;
    if (!m_blockFormatValid || !(m_blockState == para)) {
        m_blockFormat = blockFormat(para);
        m_blockState = para;
        m_blockFormatValid = true;
    }
    m_cursor.setBlockFormat(m_blockFormat);
    m_blockIsPlain = false;
    if (para.list > 0) {
        if (QTextList* list = listFor(para))
            list->add(m_cursor.block());
    }
}

QTextCharFormat RtfReader::charFormat(const CharState& state) const
{
    QTextCharFormat format;
    const auto font = m_fonts.constFind(state.font >= 0 ? state.font : m_defaultFont);
    if (font != m_fonts.cend() && !font->family.isEmpty())
        format.setFontFamilies({font->family});
    format.setFontPointSize(state.halfPoints / 2.0);
    if (state.bold)
        format.setFontWeight(QFont::Bold);
    if (state.italic)
        format.setFontItalic(true);
    if (state.underline)
        format.setFontUnderline(true);
    if (state.strike)
        format.setFontStrikeOut(true);
    if (state.foreground >= 0 && state.foreground < m_colors.size() &&
        m_colors.at(state.foreground).isValid())
        format.setForeground(m_colors.at(state.foreground));
    if (state.background >= 0 && state.background < m_colors.size() &&
        m_colors.at(state.background).isValid())
        format.setBackground(m_colors.at(state.background));
    if (state.verticalAlignment == 1)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (state.verticalAlignment == 2)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (state.link > 0) {
        format.setAnchor(true);
        format.setAnchorHref(m_links.at(state.link));
    }
    return format;
}

QTextBlockFormat RtfReader::blockFormat(const ParaState& state) const
{
    QTextBlockFormat format;
    switch (state.alignment) {
    case 1:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case 2:
        format.setAlignment(Qt::AlignRight);
        break;
    case 3:
        format.setAlignment(Qt::AlignJustify);
        break;
    default:
        break;
    }
    const int listLevels = state.list > 0 ? state.listLevel + 1 : 0;
    qreal left = state.left / 20.0 - (state.indentLevels + listLevels) * m_document->indentWidth();
    if (listLevels > 0 && left < 0)
        left = 0;
    if (left != 0)
        format.setLeftMargin(left);
    if (state.right != 0)
        format.setRightMargin(state.right / 20.0);
    if (state.firstLine != 0 && !(listLevels > 0 && state.firstLine < 0))
        format.setTextIndent(state.firstLine / 20.0);
    if (state.before != 0)
        format.setTopMargin(state.before / 20.0);
    if (state.after != 0)
        format.setBottomMargin(state.after / 20.0);
    if (state.lineSpacing != 0) {
        if (state.lineMultiple && state.lineSpacing > 0)
            format.setLineHeight(state.lineSpacing * 100.0 / 240,
                                 QTextBlockFormat::ProportionalHeight);
        else if (state.lineSpacing < 0)
            format.setLineHeight(-state.lineSpacing / 20.0, QTextBlockFormat::FixedHeight);
        else if (!state.lineMultiple)
            format.setLineHeight(state.lineSpacing / 20.0, QTextBlockFormat::MinimumHeight);
    }
    if (state.indentLevels > 0)
        format.setIndent(state.indentLevels);
    return format;
}

QTextList* RtfReader::listFor(const ParaState& state)
{
    const bool legacy = state.list >= kLegacyListBase;
    const quint64 key = (quint64(uint(state.list)) << 32) |
                        (legacy ? quint64(m_legacyRun & 0xFFFFFF) << 8 : 0) | uint(state.listLevel);
    if (QTextList* list = m_lists.value(key))
        return list;
    if (m_lists.size() >= kMaxLists)
        return nullptr; // enough lists for any real document
    QTextListFormat format;
    format.setStyle(QTextListFormat::ListDisc);
    format.setIndent(state.listLevel + 1);
    if (legacy)
        format.setStyle(styleFor(state.list - kLegacyListBase, {}));
    const int id = legacy ? -1 : m_listOverrides.value(state.list, state.list);
    for (const ListDefinition& definition : std::as_const(m_listDefinitions)) {
        if (definition.id != id || definition.levels.isEmpty())
            continue;
        const ListLevel& level =
            definition.levels.at(qMin<qsizetype>(state.listLevel, definition.levels.size() - 1));
        format.setStyle(styleFor(level.numberFormat, level.text));
        if (format.style() <= QTextListFormat::ListDecimal && level.text.size() > 1) {
            // Level text: a length, then text around one placeholder (a byte below 9).
            // The length counts characters, so bytes of a legacy code page decode first.
            const qsizetype length = level.text.at(0).unicode();
            QStringView text = QStringView(level.text).sliced(1);
            text = text.first(qMin(
                text.size(), qsizetype(text.indexOf(u';') < 0 ? text.size() : text.indexOf(u';'))));
            qsizetype placeholder = -1;
            int placeholders = 0;
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (text.at(i).unicode() < 9) {
                    placeholder = i;
                    ++placeholders;
                }
            }
            if (placeholders == 1) {
                const QString prefix = levelTextPart(text.first(placeholder)).left(length);
                const QString suffix = levelTextPart(text.sliced(placeholder + 1))
                                           .left(qMax<qsizetype>(0, length - prefix.size() - 1));
                if (!prefix.isEmpty())
                    format.setNumberPrefix(prefix);
                if (suffix != QLatin1String("."))
                    format.setNumberSuffix(suffix);
            }
        }
        break;
    }
    QTextList* list = m_cursor.createList(format);
    m_lists.insert(key, list);
    return list;
}

// Level text arrives byte by byte; bytes of a legacy code page decode here.
QString RtfReader::levelTextPart(QStringView part)
{
    bool bytes = true;
    bool ascii = true;
    for (const QChar c : part) {
        bytes = bytes && c.unicode() <= 0xFF;
        ascii = ascii && c.unicode() < 0x80;
    }
    QStringDecoder* decoder = bytes && !ascii ? decoderFor(m_documentCodePage) : nullptr;
    if (!decoder)
        return part.toString();
    QString text = decoder->decode(part.toLatin1());
    decoder->resetState();
    return text;
}

int RtfReader::codePageOf(int font) const
{
    const auto found = m_fonts.constFind(font >= 0 ? font : m_defaultFont);
    if (found != m_fonts.cend() && found->codePage != 0)
        return found->codePage;
    return m_documentCodePage;
}

QStringDecoder* RtfReader::decoderFor(int codePage)
{
    if (codePage == -2 || codePage == 0)
        return nullptr;
    auto found = m_decoders.find(codePage);
    if (found == m_decoders.end()) {
        std::shared_ptr<QStringDecoder> decoder;
        for (const QByteArray& name : decoderNames(codePage)) {
            auto candidate = std::make_shared<QStringDecoder>(name.constData());
            if (candidate->isValid()) {
                decoder = candidate;
                break;
            }
        }
        found = m_decoders.insert(codePage, decoder);
    }
    return found->get();
}

} // namespace velko::rtf
