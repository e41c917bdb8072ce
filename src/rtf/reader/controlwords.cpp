#include "rtf/reader/controlwords.h"

#include "rtf/reader/keptwords.h"
#include "rtf/textproperties.h"

#include <string_view>
#include <unordered_map>

namespace velko::rtf::reader {

namespace {

const std::unordered_map<std::string_view, WordEntry>& words()
{
    static const std::unordered_map<std::string_view, WordEntry> table = [] {
        std::unordered_map<std::string_view, WordEntry> t;
        const auto add = [&t](std::string_view name, Word word, char16_t c = 0) {
            t.emplace(name, WordEntry{word, c});
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
        add("stylesheet", Word::StyleSheet);
        add("pict", Word::Picture);
        add("shppict", Word::PictureGroup);
        add("nesttableprops", Word::NestedTableProperties);
        add("pnlvlblt", Word::LegacyBullet);
        add("pnlvlbody", Word::LegacyBody);
        add("pnlvl", Word::LegacyLevel);
        add("pndec", Word::LegacyFormat, 0);
        add("pnucrm", Word::LegacyFormat, 1);
        add("pnlcrm", Word::LegacyFormat, 2);
        add("pnucltr", Word::LegacyFormat, 3);
        add("pnlcltr", Word::LegacyFormat, 4);
        for (std::string_view name : {"info",         "object",
                                      "header",       "headerl",
                                      "headerr",      "headerf",
                                      "footer",       "footerl",
                                      "footerr",      "footerf",
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
                                      "field-pict",   "nonesttables",
                                      "ebcstart",     "ebcend"})
            add(name, Word::SkippedDestination);
        const auto keep = [&t](std::string_view name, char16_t kind) {
            t.insert_or_assign(name, WordEntry{Word::KeptGroup, kind});
        };
        for (std::string_view name : kKeptDocumentGroups)
            keep(name, kKeptDocument);
        for (std::string_view name : kKeptInlineGroups)
            keep(name, kKeptInline);
        for (std::string_view name : kKeptInvisibleGroups)
            keep(name, kKeptInvisible);
        keep("footnote", kKeptNote);
        for (std::string_view name : kKeptSettings)
            add(name, Word::Setting);
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
        add("levelstartat", Word::LevelStart);
        add("lfolevel", Word::OverrideLevel);
        add("pnstart", Word::LegacyStart);
        add("pnlvlcont", Word::LegacyContinue);
        add("sbasedon", Word::BasedOn);
        add("plain", Word::Plain);
        add("fs", Word::FontSize);
        add("b", Word::Bold);
        add("i", Word::Italic);
        for (int kind = 0; kind < kUnderlineKindCount; ++kind)
            add(kUnderlineKinds[kind].word, Word::Underline, char16_t(kind));
        add("strike", Word::Strike);
        add("striked", Word::Strike);
        add("cf", Word::Foreground);
        add("cb", Word::Background);
        add("chcbpat", Word::Background);
        add("highlight", Word::Background);
        add("super", Word::Super);
        add("sub", Word::Sub);
        add("nosupersub", Word::NoSuperSub);
        add("up", Word::Raise);
        add("dn", Word::Lower);
        add("af", Word::AssociatedFont);
        add("loch", Word::RunKind, 1);
        add("hich", Word::RunKind, 2);
        add("dbch", Word::RunKind, 3);
        add("cs", Word::CharStyle);
        add("v", Word::Hidden);
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
        add("s", Word::Style);
        add("outlinelevel", Word::OutlineLevel);
        add("tx", Word::TabPosition);
        add("tqr", Word::TabKind, 1);
        add("tqc", Word::TabKind, 2);
        add("tqdec", Word::TabKind, 3);
        add("tldot", Word::TabLeader, u'.');
        add("tlmdot", Word::TabLeader, u'm');
        add("tlhyph", Word::TabLeader, u'-');
        add("tlul", Word::TabLeader, u'_');
        add("tlth", Word::TabLeader, u't');
        add("tleq", Word::TabLeader, u'=');
        add("rtlpar", Word::Direction, 1);
        add("ltrpar", Word::Direction, 0);
        add("intbl", Word::InTable);
        add("itap", Word::Nesting);
        add("pagebb", Word::PageBreakBefore);
        add("trowd", Word::RowDefaults);
        add("trgaph", Word::RowGap);
        add("trleft", Word::RowLeft);
        add("trql", Word::RowAlign, 0);
        add("trqc", Word::RowAlign, 1);
        add("trqr", Word::RowAlign, 2);
        add("cellx", Word::CellRight);
        add("clmgf", Word::CellMergeFirst);
        add("clmrg", Word::CellMerge);
        add("clvmgf", Word::CellVMergeFirst);
        add("clvmrg", Word::CellVMerge);
        add("clcbpat", Word::CellShading);
        add("clvertalt", Word::CellAlign, 0);
        add("clvertalc", Word::CellAlign, 1);
        add("clvertalb", Word::CellAlign, 2);
        for (std::string_view name : {"clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr", "trbrdrt",
                                      "trbrdrl", "trbrdrb", "trbrdrr"})
            add(name, Word::CellBorder);
        for (std::string_view name :
             {"brdrt", "brdrl", "brdrb", "brdrr", "box", "brdrbtw", "brdrbar", "trbrdrh", "trbrdrv",
              "chbrdr", "pgbrdrt", "pgbrdrl", "pgbrdrb", "pgbrdrr"})
            add(name, Word::OtherBorder);
        for (std::string_view name : {"brdrnone", "brdrnil", "brdrtbl"})
            add(name, Word::BorderStyle, 0);
        for (std::string_view name :
             {"brdrs", "brdrth", "brdrdb", "brdrdot", "brdrdash", "brdrsh", "brdrhair",
              "brdrtriple", "brdrinset", "brdroutset", "brdrdashsm", "brdrdashd", "brdrdashdd",
              "brdrwavy", "brdrengrave", "brdremboss", "brdrframe"})
            add(name, Word::BorderStyle, 1);
        add("brdrw", Word::BorderWidth);
        add("brdrcf", Word::BorderColor);
        add("par", Word::Par);
        add("sect", Word::Section);
        add("page", Word::PageBreak);
        add("chftn", Word::FootnoteNumber);
        add("chatn", Word::CommentMark);
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

} // namespace

const WordEntry* lookupWord(QByteArrayView name)
{
    const auto& table = words();
    const auto found = table.find(std::string_view(name.data(), size_t(name.size())));
    return found == table.end() ? nullptr : &found->second;
}

} // namespace velko::rtf::reader
