#include "rtf/keptproperties.h"

#include <string_view>
#include <unordered_map>

namespace velko::rtf {

KeptReference keptReference(QByteArrayView word)
{
    static const std::unordered_map<std::string_view, KeptReference> words = [] {
        std::unordered_map<std::string_view, KeptReference> t;
        for (std::string_view name : {"f", "af"})
            t.emplace(name, KeptReference::Font);
        for (std::string_view name :
             {"cf", "cb", "chcbpat", "chcfpat", "highlight", "cbpat", "cfpat", "brdrcf", "ulc",
              "clcbpat", "clcfpat", "clcbpatraw", "clcfpatraw", "trcbpat", "trcfpat"})
            t.emplace(name, KeptReference::Color);
        for (std::string_view name : {"s", "cs", "ds", "ts", "ls"})
            t.emplace(name, KeptReference::Style);
        return t;
    }();
    const auto found = words.find(std::string_view(word.data(), size_t(word.size())));
    return found == words.end() ? KeptReference::None : found->second;
}

QString noteLabel(int number, bool endnote)
{
    if (!endnote)
        return QString::number(number);
    // Lower-case Roman numerals.
    static const char* const ones[] = {"", "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix"};
    static const char* const tens[] = {"", "x", "xx", "xxx", "xl", "l", "lx", "lxx", "lxxx", "xc"};
    static const char* const hundreds[] = {"",  "c",  "cc",  "ccc",  "cd",
                                           "d", "dc", "dcc", "dccc", "cm"};
    if (number <= 0 || number >= 4000)
        return QString::number(number);
    QString out(number / 1000, u'm');
    out += QLatin1String(hundreds[number / 100 % 10]);
    out += QLatin1String(tens[number / 10 % 10]);
    out += QLatin1String(ones[number % 10]);
    return out;
}

} // namespace velko::rtf
