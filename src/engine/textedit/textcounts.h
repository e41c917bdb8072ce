#pragma once

#include <QString>

class QTextDocument;

namespace velko::textedit {

struct TextCounts
{
    qsizetype words = 0;
    qsizetype characters = 0; // without the breaks between paragraphs and lines
};

// Words are runs of characters that are not white space.
TextCounts countText(const QString& plainText);
TextCounts countText(const QTextDocument& document);

} // namespace velko::textedit
