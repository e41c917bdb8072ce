#pragma once

#include <QByteArray>

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

} // namespace velko::rtf
