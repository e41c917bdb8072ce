#include "translator/translator.h"

#include "translator/httpfetch.h"

#include <QHash>
#include <QLoggingCategory>
#include <QRegularExpression>
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

// The entities web pages use most, and numbered characters.
QString decodeEntities(const QString& text)
{
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-z]+);"));
    static const QHash<QString, QString> named = {{QStringLiteral("amp"), QStringLiteral("&")},
                                                  {QStringLiteral("lt"), QStringLiteral("<")},
                                                  {QStringLiteral("gt"), QStringLiteral(">")},
                                                  {QStringLiteral("quot"), QStringLiteral("\"")},
                                                  {QStringLiteral("apos"), QStringLiteral("'")},
                                                  {QStringLiteral("nbsp"), QStringLiteral(" ")}};
    QString decoded;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& match : entity.globalMatch(text)) {
        decoded += text.mid(from, match.capturedStart() - from);
        from = match.capturedEnd();
        const QString name = match.captured(1);
        if (!name.startsWith(QLatin1Char('#'))) {
            decoded += named.value(name, match.captured());
            continue;
        }
        bool ok = false;
        const bool hex = name.size() > 1 && name.at(1).toLower() == QLatin1Char('x');
        const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        decoded += ok && QChar::isPrint(char32_t(code))
                       ? QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1)
                       : QStringLiteral(" ");
    }
    return decoded + text.mid(from);
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

// The text of a web page or a plain answer, for reading: scripts, styles,
// comments and tags dropped (block ends and line breaks kept as lines), the
// common entities decoded, blanks folded, empty lines dropped, and cut at
// translator::kShownCharacters.
QString readableText(QString text, bool markup)
{
    if (markup) {
        static const QRegularExpression hidden(
            QStringLiteral("<(script|style)\\b.*?</\\1\\s*>|<!--.*?-->"),
            QRegularExpression::CaseInsensitiveOption |
                QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression lineEnd(
            QStringLiteral("<br\\s*/?>|</(p|div|li|tr|h[1-6]|title)\\s*>"),
            QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        text.remove(hidden);
        text.replace(blanks, QStringLiteral(" ")); // a page's line breaks are blanks
        text.replace(lineEnd, QStringLiteral("\n"));
        text.remove(tag);
        text = decodeEntities(text);
    }
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        QString folded;
        for (const QChar c : line)
            folded += c.isPrint() ? c : QChar(u' ');
        if (const QString simple = folded.simplified(); !simple.isEmpty())
            lines << simple;
    }
    QString readable = lines.join(QLatin1Char('\n'));
    if (readable.size() > translator::kShownCharacters)
        readable = readable.left(translator::kShownCharacters) + QChar(0x2026);
    return readable;
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

QString translator::readableAnswer(const HttpAnswer& answer)
{
    const QString text = decodeAnswerText(answer.body, answer.contentType);
    const bool markup = answer.contentType.toLower().contains("html") ||
                        text.trimmed().startsWith(QLatin1Char('<'));
    QString shown;
    if (const std::optional<QString> translation =
            answer.statusCode == 200 && !markup ? parseAnswer(text) : std::nullopt)
        shown = *translation;
    else
        shown = readableText(text, markup);
    if (answer.statusCode == 200)
        return shown;
    const QString status =
        QObject::tr("The service answered with status %1.").arg(answer.statusCode);
    return shown.isEmpty() ? status : status + QStringLiteral("\n\n") + shown;
}

QString translator::escapeUrlText(const QString& urlText)
{
    return QString::fromLatin1(
        QUrl::toPercentEncoding(urlText, QByteArrayLiteral("-_.!~*'();/?:@&=+$,")));
}

} // namespace velko
