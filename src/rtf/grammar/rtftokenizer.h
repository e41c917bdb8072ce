#pragma once

#include <QByteArrayView>

namespace velko::rtf {

// One lexical element of an RTF stream. Views point into the tokenizer's input.
struct RtfToken
{
    enum class Type {
        End,           // no more input
        GroupOpen,     // {
        GroupClose,    // }
        ControlWord,   // \name or \nameN
        ControlSymbol, // \ followed by one non-letter (not ' and not a line end)
        HexByte,       // \'hh
        Text,          // a run of plain bytes, line ends removed
        Binary,        // the data of \binN, already cut to what the input holds
    };

    Type type = Type::End;
    QByteArrayView name; // ControlWord: the letters; Text/Binary: the bytes
    int parameter = 0;   // ControlWord: clamped to int range; HexByte: the byte
    bool hasParameter = false;
    char symbol = 0; // ControlSymbol: the character after the backslash
};

// Splits RTF bytes into tokens. Knows nothing about documents: it only has to
// know \bin, because the bytes after it are not RTF.
class RtfTokenizer
{
public:
    explicit RtfTokenizer(QByteArrayView data) : m_data(data) {}

    RtfToken next();
    // Reads on past the end of the group that the last GroupOpen began, by the
    // rules of next() but without making tokens of what it holds. Returns the
    // depth it stopped at, that group counting as 1: 0 once it closed (the
    // position just past its '}'), maxDepth + 1 where nesting went deeper than
    // maxDepth (just past that '{'), or more than 0 where the data ended first.
    int skipGroup(int maxDepth);
    qsizetype position() const { return m_pos; }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

} // namespace velko::rtf
