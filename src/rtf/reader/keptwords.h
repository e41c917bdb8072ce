#pragma once

#include <string_view>

// The control words of what the reader keeps as RTF (rtf/reader/kept.h).
namespace velko::rtf::reader {

// The kinds of kept group (Kept::Kind).
inline constexpr char16_t kKeptDocument = 1;
inline constexpr char16_t kKeptInline = 2;
inline constexpr char16_t kKeptNote = 3;
inline constexpr char16_t kKeptInvisible = 4;

// Groups of the document as a whole, kept for the header area.
inline constexpr std::string_view kKeptDocumentGroups[] = {
    "info",      "header",  "headerl",       "headerr",     "headerf",
    "footer",    "footerl", "footerr",       "footerf",     "pgdsctbl",
    "ftnsep",    "ftnsepc", "ftncn",         "aftnsep",     "aftnsepc",
    "aftncn",    "docvar",  "userprops",     "template",    "background",
    "revtbl",    "rsidtbl", "xmlnstbl",      "themedata",   "colorschememapping",
    "datastore", "mmathPr", "wgrffmtfilter", "protusertbl", "filetbl",
    "nextfile",  "private", "pnseclvl"};

// Groups kept where they stand in the text: shapes, drawing objects,
// objects, comments.
inline constexpr std::string_view kKeptInlineGroups[] = {"shp", "shpgrp", "shpinst",
                                                         "do",  "object", "annotation"};

// Groups kept where they stand but not shown: bookmarks, and the parts of a
// comment that say who made it and what it covers.
inline constexpr std::string_view kKeptInvisibleGroups[] = {
    "bkmkstart", "bkmkend", "atnid",     "atnauthor", "atnref",   "atndate",
    "atntime",   "atnicn",  "atrfstart", "atrfend",   "atnparent"};

// Settings of the document and its sections: page size and margins,
// footnote and page numbering, columns, line numbers.
inline constexpr std::string_view kKeptSettings[] = {
    "paperw",       "paperh",         "psz",           "margl",      "margr",
    "margt",        "margb",          "margmirror",    "gutter",     "gutterprl",
    "rtlgutter",    "landscape",      "facingp",       "twoonone",   "deftab",
    "widowctrl",    "hyphauto",       "hyphhotz",      "hyphconsec", "hyphcaps",
    "formshade",    "viewkind",       "viewscale",     "viewzk",     "viewbksp",
    "fet",          "endnotes",       "enddoc",        "aendnotes",  "aenddoc",
    "ftnbj",        "ftntj",          "ftnstart",      "ftnrstpg",   "ftnrestart",
    "ftnrstcont",   "ftnnar",         "ftnnalc",       "ftnnauc",    "ftnnrlc",
    "ftnnruc",      "ftnnchi",        "aftnbj",        "aftntj",     "aftnstart",
    "aftnrestart",  "aftnrstcont",    "aftnnar",       "aftnnalc",   "aftnnauc",
    "aftnnrlc",     "aftnnruc",       "aftnnchi",      "sectd",      "sbknone",
    "sbkcol",       "sbkpage",        "sbkeven",       "sbkodd",     "pgwsxn",
    "pghsxn",       "marglsxn",       "margrsxn",      "margtsxn",   "margbsxn",
    "margmirsxn",   "guttersxn",      "lndscpsxn",     "headery",    "footery",
    "titlepg",      "cols",           "colsx",         "colno",      "colsr",
    "colw",         "linebetcol",     "pgnstart",      "pgnstarts",  "pgncont",
    "pgnrestart",   "pgndec",         "pgnucrm",       "pgnlcrm",    "pgnucltr",
    "pgnlcltr",     "pgnx",           "pgny",          "pgnhn",      "pgnhnsh",
    "pgnhnsp",      "pgnhnsc",        "pgnhnsm",       "pgnhnsn",    "vertalt",
    "vertalb",      "vertalc",        "vertalj",       "endnhere",   "binfsxn",
    "binsxn",       "ltrsect",        "rtlsect",       "linemod",    "linex",
    "linestarts",   "linerestart",    "lineppage",     "linecont",   "stextflow",
    "sectunlocked", "sectlinegrid",   "sectdefaultcl", "sectexpand", "sectspecifycl",
    "sectspecifyl", "sectspecifygen", "sftnbj",        "sftntj",     "sftnstart",
    "sftnrstpg",    "sftnrestart",    "sftnrstcont",   "sftnnar",    "sftnnalc",
    "sftnnauc",     "sftnnrlc",       "sftnnruc",      "saftnstart", "saftnrestart",
    "saftnrstcont", "saftnnar",       "saftnnalc",     "saftnnauc",  "saftnnrlc",
    "saftnnruc"};

} // namespace velko::rtf::reader
