// velko-cli lock and unlock: the cipher pipeline on files or standard streams.
#include "cli/commands.h"
#include "cli/failure.h"
#include "cli/keywordinput.h"
#include "cli/streamio.h"
#include "core/cipheroption.h"
#include "core/cipherpipeline.h"
#include "core/memoryfile.h"
#include "rtf/grammar/rtfgrammar.h"

#include <cstdio>
#include <optional>

namespace velko::cli {

namespace {

const QString kAuto = QStringLiteral("auto");

struct Request
{
    QString cipher; // a cipher option, or "auto"
    std::optional<int> keywordFd;
    QString input;
    QString output;
};

// --cipher NAME, --keyword-fd N and two operands, in any order.
std::optional<Request> parseRequest(const QStringList& args, bool allowAuto, QString* problem)
{
    Request request;
    QStringList operands;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        QString option = arg;
        std::optional<QString> value;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('='))) {
            option = arg.section(QLatin1Char('='), 0, 0);
            value = arg.section(QLatin1Char('='), 1);
        }
        if (option == QLatin1String("--cipher") || option == QLatin1String("--keyword-fd")) {
            if (!value) {
                if (++i >= args.size()) {
                    *problem = QStringLiteral("%1 needs a value").arg(option);
                    return std::nullopt;
                }
                value = args[i];
            }
            if (option == QLatin1String("--cipher")) {
                if (allowAuto && *value == kAuto) {
                    request.cipher = kAuto;
                } else if (const auto cipher = cipherOptionFromName(*value)) {
                    request.cipher = *cipher;
                } else {
                    *problem = QStringLiteral("unknown cipher \"%1\"").arg(*value);
                    return std::nullopt;
                }
            } else {
                bool ok = false;
                request.keywordFd = value->toInt(&ok);
                if (!ok || *request.keywordFd < 0) {
                    *problem = QStringLiteral("--keyword-fd needs a descriptor number");
                    return std::nullopt;
                }
            }
        } else if (arg.startsWith(QLatin1Char('-')) && arg != kStream) {
            *problem = QStringLiteral("unknown option \"%1\"").arg(arg);
            return std::nullopt;
        } else {
            operands << arg;
        }
    }
    if (request.cipher.isEmpty()) {
        *problem = QStringLiteral("--cipher is required");
        return std::nullopt;
    }
    if (operands.size() != 2) {
        *problem = QStringLiteral("expected INPUT and OUTPUT");
        return std::nullopt;
    }
    request.input = operands[0];
    request.output = operands[1];
    return request;
}

Result<SecretBytes> keywordFor(const Request& request, bool confirm)
{
    if (request.keywordFd)
        return readKeywordLine(*request.keywordFd);
    Result<SecretBytes> keyword = askKeyword("Keyword: ");
    if (!keyword || !confirm)
        return keyword;
    const Result<SecretBytes> again = askKeyword("Repeat keyword: ");
    if (!again)
        return again.error();
    if (again.value().view() != keyword.value().view())
        return makeError(ErrorCode::KeywordRefused, QStringLiteral("The keywords differ."));
    return keyword;
}

} // namespace

int runLock(const QStringList& args)
{
    // 1. Arguments.
    QString problem;
    const std::optional<Request> request = parseRequest(args, false, &problem);
    if (!request)
        return usage(problem);
    // 2. The keyword (standard input may carry it before the document).
    const Result<SecretBytes> keyword = keywordFor(*request, true);
    if (!keyword)
        return fail(ExitUsage, keyword.error().detail);
    // 3. The RTF bytes, refused unless they make a whole RTF document.
    const Result<QByteArray> rtf = readInput(request->input);
    if (!rtf)
        return failWith(rtf.error());
    if (!velko::rtf::isCompleteRtf(rtf.value()))
        return fail(ExitWrongKeyword,
                    QStringLiteral("%1 is not an RTF document.").arg(request->input));
    // 4. Encipher into the output file, or into memory for standard output.
    const CipherPipeline pipeline;
    const bool toStream = request->output == kStream;
    const Result<QByteArray> text =
        pipeline.encipher(rtf.value(), request->cipher, keyword.value().view(),
                          toStream ? QString() : request->output);
    if (!text)
        return failWith(text.error());
    if (!toStream)
        return ExitDone;
    const Status written = writeOutput(kStream, text.value());
    return written ? ExitDone : failWith(written.error());
}

int runUnlock(const QStringList& args)
{
    // 1. Arguments.
    QString problem;
    const std::optional<Request> request = parseRequest(args, true, &problem);
    if (!request)
        return usage(problem);
    // 2. The keyword.
    const Result<SecretBytes> keyword = keywordFor(*request, false);
    if (!keyword)
        return fail(ExitUsage, keyword.error().detail);
    // 3. The document: a file as it is, standard input held in memory.
    QString documentPath = request->input;
    MemoryFile document;
    if (request->input == kStream) {
        const Result<QByteArray> text = readInput(kStream);
        if (!text)
            return failWith(text.error());
        if (const Status held = document.write(text.value()); !held)
            return failWith(held.error());
        documentPath = document.path();
    }
    // 4. Decipher with the cipher given, or any of them.
    const CipherPipeline pipeline;
    const Result<CipherPipeline::Unlocked> unlocked =
        request->cipher == kAuto
            ? pipeline.decipherAnyCipher(documentPath, kCipherBlowfish, keyword.value().view())
            : pipeline.decipherEitherDigest(documentPath, request->cipher, keyword.value().view());
    if (!unlocked)
        return failWith(unlocked.error());
    if (request->cipher == kAuto)
        std::fprintf(stderr, "velko-cli: opened with %s (%s key derivation)\n",
                     qPrintable(cipherDisplayName(unlocked.value().cipherOption)),
                     unlocked.value().digest == Digest::Md5 ? "MD5" : "SHA-256");
    // 5. The RTF, byte for byte.
    const Status written = writeOutput(request->output, unlocked.value().rtf);
    return written ? ExitDone : failWith(written.error());
}

} // namespace velko::cli
