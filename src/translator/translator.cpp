#include "translator/translator.h"

#include "translator/httpfetch.h"

#include <QLoggingCategory>
#include <QUrl>

Q_LOGGING_CATEGORY(lcTranslator, "velko.translator", QtInfoMsg)

namespace velko {

namespace {

const QString kTranslatePath = QStringLiteral("/translate_a/t?client=t&sl=auto&tl=");
const QString kTextKey = QStringLiteral("&text=");
const QString kFixedRequestPath = QStringLiteral("/translate_t#en|fr|hi there all");

const QString kEndOfTranslation = QStringLiteral("\",");
const QString kLineBreakMarker = QStringLiteral("\\n ");
const QString kLineBreak = QStringLiteral("\r\n");
constexpr qsizetype kLeadingCharacters = 2;

// A query value: everything but letters, digits and the marks -_.!~*'() is
// escaped, so "&", "=", "+", "#" and "%" in the text stay part of the value.
QString escapeQueryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value, QByteArrayLiteral("!*'()")));
}

// The five request headers, in the order the service's clients send them.
void setTranslationHeaders(QNetworkRequest& request)
{
    request.setRawHeader("Accept-Charset", "utf-8");
    request.setRawHeader("Accept-Encoding", "gzip,deflate");
    request.setRawHeader("User-Agent", "Mozilla/5.0 (Macintosh; U; Intel Mac OS X 10.5; en-US; "
                                       "rv:1.9.0.6) Gecko/2009011912 Firefox/3.0.6");
    request.setRawHeader("Accept",
                         "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    request.setRawHeader("Accept-Language", "en-us,en;q=0.5");
}

} // namespace

QString translator::translateText(const QString& text, const QString& language)
{
    return translateText(text, language, TranslatorOptions{});
}

QString translator::translateText(const QString& text, const QString& language,
                                  const TranslatorOptions& options)
{
    const QString urlEncodedString = translationUrlText(text, language, options.baseUrl);
    qCInfo(lcTranslator, "urlEncodedString = %s", qUtf8Printable(urlEncodedString));

    QNetworkRequest request(QUrl(urlEncodedString, QUrl::StrictMode));
    setTranslationHeaders(request);

    const Result<HttpAnswer> answer = getSynchronously(request, options.timeoutMs);
    if (!answer || answer.value().statusCode != 200)
        return kUnableToTranslate;

    const QString answerText = decodeAnswerText(answer.value().body, answer.value().contentType);
    return parseAnswer(answerText).value_or(kUnableToTranslate);
}

QString translator::translationUrlText(const QString& text, const QString& language,
                                       const QString& baseUrl)
{
    return escapeUrlText(baseUrl + kTranslatePath) + escapeQueryValue(language) + kTextKey +
           escapeQueryValue(text);
}

std::optional<QString> translator::parseAnswer(const QString& answer)
{
    const qsizetype end = answer.indexOf(kEndOfTranslation);
    if (end < kLeadingCharacters)
        return std::nullopt;

    QString translation = answer.mid(kLeadingCharacters, end - kLeadingCharacters);
    translation.replace(kLineBreakMarker, kLineBreak, Qt::CaseInsensitive);
    return translation;
}

QNetworkRequest translator::fixedBulgarianRequest(const QString& baseUrl)
{
    QNetworkRequest request(QUrl(escapeUrlText(baseUrl + kFixedRequestPath), QUrl::StrictMode));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
    return request;
}

Status translator::sendFixedBulgarianRequest(const QString& baseUrl)
{
    const Result<HttpAnswer> answer =
        getSynchronously(fixedBulgarianRequest(baseUrl), kFixedRequestTimeoutMs);
    if (!answer)
        return answer.error();
    return {};
}

QString translator::escapeUrlText(const QString& urlText)
{
    return QString::fromLatin1(
        QUrl::toPercentEncoding(urlText, QByteArrayLiteral("-_.!~*'();/?:@&=+$,")));
}

} // namespace velko
