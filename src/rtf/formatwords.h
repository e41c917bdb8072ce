#pragma once

#include <QByteArray>
#include <QStringView>

class QTextBlockFormat;
class QTextCharFormat;

// RTF words for the formatting that needs more than one word, or a choice
// between words, on the way out.
namespace velko::rtf {

// The index in kUnderlineKinds of a format's underline: the word it was read
// with while Qt still draws that style, else the plain word for the style.
int underlineKindOf(const QTextCharFormat& format);

// A paragraph's tab positions: each one's kind and leader, then \txN.
void appendTabWords(QByteArray& out, const QTextBlockFormat& format);

// Whether readers take a font of this family, as it is written, for the
// Symbol font.
bool isSymbolFontName(QStringView family);

// Text in the Symbol font, whose bytes readers show as other characters
// (0x61 as alpha): the characters that would change go as \uN; the rest
// is written by `escape`.
void appendSymbolFontText(QByteArray& out, QStringView text,
                          void (*escape)(QByteArray&, QStringView));

} // namespace velko::rtf
