// velko-cli convert: an RTF document as plain text, HTML or our own RTF.
#include "cli/commands.h"
#include "cli/failure.h"
#include "cli/streamio.h"
#include "rtf/plaintext.h"
#include "rtf/rtf.h"

#include <QFile>
#include <QTextDocument>

#include <cstdio>
#include <optional>

namespace velko::cli {

namespace {

enum class Target { Text, Html, Rtf };

struct ConvertRequest
{
    Target target = Target::Text;
    QString input;
    QString output;
};

std::optional<Target> targetNamed(const QString& name)
{
    if (name == QLatin1String("txt"))
        return Target::Text;
    if (name == QLatin1String("html"))
        return Target::Html;
    if (name == QLatin1String("rtf"))
        return Target::Rtf;
    return std::nullopt;
}

std::optional<ConvertRequest> parseConvert(const QStringList& args, QString* problem)
{
    ConvertRequest request;
    std::optional<Target> target;
    QStringList paths;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        QString value;
        if (arg == QLatin1String("--to")) {
            if (++i >= args.size()) {
                *problem = QStringLiteral("--to needs a format: txt, html or rtf");
                return std::nullopt;
            }
            value = args.at(i);
        } else if (arg.startsWith(QLatin1String("--to="))) {
            value = arg.mid(5);
        } else if (arg.startsWith(u'-') && arg != kStream) {
            *problem = QStringLiteral("unknown option \"%1\"").arg(arg);
            return std::nullopt;
        } else {
            paths.append(arg);
            continue;
        }
        target = targetNamed(value);
        if (!target) {
            *problem = QStringLiteral("unknown format \"%1\": use txt, html or rtf").arg(value);
            return std::nullopt;
        }
    }
    if (!target) {
        *problem = QStringLiteral("convert needs --to txt|html|rtf");
        return std::nullopt;
    }
    if (paths.size() != 2) {
        *problem = QStringLiteral("convert needs an INPUT and an OUTPUT");
        return std::nullopt;
    }
    request.target = *target;
    request.input = paths.at(0);
    request.output = paths.at(1);
    return request;
}

QByteArray converted(const QTextDocument& document, Target target)
{
    switch (target) {
    case Target::Html:
        return document.toHtml().toUtf8();
    case Target::Rtf:
        return rtf::write(document);
    case Target::Text:
        break;
    }
    QByteArray text = rtf::plainText(document).toUtf8();
    if (!text.isEmpty())
        text += '\n';
    return text;
}

} // namespace

int runConvert(const QStringList& args)
{
    // 1. Understand the request.
    QString problem;
    const std::optional<ConvertRequest> request = parseConvert(args, &problem);
    if (!request)
        return usage(problem);

    // 2. Read the input whole.
    const Result<QByteArray> data = readInput(request->input);
    if (!data)
        return failWith(data.error());

    // 3. Read it as RTF.
    QTextDocument document;
    if (const Status read = rtf::read(data.value(), &document); !read) {
        const QString name =
            request->input == kStream ? QStringLiteral("standard input") : request->input;
        return failWith(
            makeError(read.error().code, QStringLiteral("%1: %2").arg(name, read.error().detail)));
    }

    // 4. Write it out in the requested form.
    if (const Status written = writeOutput(request->output, converted(document, request->target));
        !written)
        return failWith(written.error());
    return ExitDone;
}

} // namespace velko::cli
