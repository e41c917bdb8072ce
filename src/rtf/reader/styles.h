#pragma once

#include "rtf/grammar/rtftokenizer.h"
#include "rtf/reader/controlwords.h"
#include "rtf/reader/formats.h"

#include <QByteArray>
#include <QHash>
#include <QList>

namespace velko::rtf::reader {

// The style sheet (\stylesheet): paragraph styles (\sN), given to the
// paragraphs that name them, and character styles (\csN), given to text.
// A style holds the words that describe it, on top of the style it is based
// on (\sbasedonN). A paragraph style named "heading N" without an outline
// level of its own is heading N.
class StyleSheet
{
public:
    // A group of the style sheet opens: one style's description.
    void beginEntry();
    void word(const WordEntry& entry, const RtfToken& token);
    // Bytes of the style's name, up to the ';' that ends it.
    void text(QByteArrayView bytes);
    void endEntry();

    // \sN in the text: the style's paragraph properties replace the group's,
    // but for where the paragraph stands (tables) and a list it names itself;
    // its character properties apply where the text has set none.
    void apply(int style, CharState& chars, ParaState& para);
    // \csN in the text: the character style's properties apply over the text's.
    void applyCharacterStyle(int style, CharState& chars);

private:
    struct Step
    {
        const WordEntry* entry;
        int parameter;
        bool hasParameter;
    };
    struct Style
    {
        QList<Step> steps;
        int basedOn = -1;
        bool resolved = false; // chars and para hold the style with its bases
        CharState chars;
        ParaState para;
    };

    void replay(QHash<int, Style>& styles, int index, CharState& chars, ParaState& para,
                int depth) const;
    const Style* resolved(int index);

    QHash<int, Style> m_paragraphStyles;
    QHash<int, Style> m_characterStyles;
    Style m_entry;
    int m_index = 0;
    bool m_character = false; // the entry is a character style (\*\csN)
    QByteArray m_name;
    bool m_nameEnded = false;
    qsizetype m_steps = 0; // kept in all styles, bounded
};

} // namespace velko::rtf::reader
