#pragma once

#include "core/result.h"
#include "translator/httpfetch.h"

#include <QNetworkRequest>
#include <QString>

#include <optional>

namespace velko {

// The translation service's host; every request goes to "https://" + host
// unless a caller gives another base URL: the user's text never travels in
// clear.
inline const QString kTranslationServiceHost = QStringLiteral("translate.google.com");

struct TranslatorOptions
{
    // Scheme, host and optional port (and path prefix) put before each request path.
    QString baseUrl = QStringLiteral("https://") + kTranslationServiceHost;
    // How long to wait for the whole exchange before giving up.
    int timeoutMs = 60000;
};

// The translation client. No instances: everything is a class operation.
class translator
{
public:
    translator() = delete;

    static inline const QString kUnableToTranslate = QStringLiteral("Unable to translate text");
    static constexpr int kFixedRequestTimeoutMs = 10000;

    // Asks the service to translate text into language (a language code such
    // as "de") and returns the translation, or "Unable to translate text" when
    // no answer came, the final status was not 200 or the answer has no
    // translation in it. Blocks the calling thread; safe on any thread.
    static QString translateText(const QString& text, const QString& language);
    static QString translateText(const QString& text, const QString& language,
                                 const TranslatorOptions& options);

    // The escaped request URL text: base and path as fixed parts, the language
    // and the text escaped as query values.
    static QString translationUrlText(const QString& text, const QString& language,
                                      const QString& baseUrl);
    // The translation inside an answer: after two leading characters, up to the
    // first `",`, with each `\n ` (n in either case) turned into CR LF.
    static std::optional<QString> parseAnswer(const QString& answer);

    // "https://" + the service's host.
    static QString defaultBaseUrl() { return TranslatorOptions{}.baseUrl; }

    // The window's fixed request: "/translate_t#en|fr|hi there all" under
    // baseUrl, escaped whole, answered from the cache when it can be; it is
    // given kFixedRequestTimeoutMs.
    static QNetworkRequest fixedBulgarianRequest(const QString& baseUrl);
    // What a person is shown of an answer: the translation when it is the
    // service's answer to a translation, else its text made readable (markup
    // dropped, blanks folded, cut at kShownCharacters), after a sentence
    // naming the status when that is not 200.
    static QString readableAnswer(const HttpAnswer& answer);
    static constexpr qsizetype kShownCharacters = 2000;

    // Percent-escapes every character outside letters, digits, the marks
    // -_.!~*'() and the reserved ;/?:@&=+$, (UTF-8 bytes for non-ASCII).
    static QString escapeUrlText(const QString& urlText);
};

} // namespace velko
