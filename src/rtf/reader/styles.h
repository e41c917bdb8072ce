#pragma once

#include "rtf/grammar/rtftokenizer.h"
#include "rtf/reader/controlwords.h"
#include "rtf/reader/formats.h"

#include <QByteArray>
#include <QHash>

namespace velko::rtf::reader {

// The style sheet (\stylesheet): each paragraph style's character and
// paragraph properties, given to the paragraphs that name it (\sN). A style
// named "heading N" without an outline level of its own is heading N.
class StyleSheet
{
public:
    // A group of the style sheet opens: one style's description.
    void beginEntry();
    void word(Word word, const RtfToken& token);
    // Bytes of the style's name, up to the ';' that ends it.
    void text(QByteArrayView bytes);
    void endEntry();

    // \sN in the text: the style's paragraph properties replace the group's,
    // but for where the paragraph stands (tables) and a list it names itself;
    // its character properties apply where the text has set none.
    void apply(int style, CharState& chars, ParaState& para) const;

private:
    struct Style
    {
        CharState chars;
        ParaState para;
    };

    QHash<int, Style> m_styles;
    Style m_entry;
    int m_index = 0;
    QByteArray m_name;
    bool m_nameEnded = false;
};

} // namespace velko::rtf::reader
