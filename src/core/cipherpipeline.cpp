#include "core/cipherpipeline.h"

#include "core/atomicfile.h"
#include "core/cipheroption.h"
#include "core/descriptorio.h"
#include "core/documentfile.h"
#include "core/keywordpipe.h"
#include "core/memoryfile.h"
#include "core/opensslcommand.h"
#include "core/seal.h"
#include "core/securetext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QProcess>

#include <openssl/rand.h>

#include <fcntl.h>
#include <unistd.h>

namespace velko {

using openssl::Direction;

namespace {

const QString kRc5ModuleName = QStringLiteral("velkorc5.so");

// What the tool reports about itself, asked once per tool path.
struct ToolFacts
{
    QMutex mutex;
    QHash<QString, int> majorVersions;
    QHash<QString, bool> cipherAvailable; // keyed by tool, module and cipher
};

ToolFacts& toolFacts()
{
    static ToolFacts facts;
    return facts;
}

QProcessEnvironment childEnvironment()
{
    return openssl::childEnvironment(QProcessEnvironment::systemEnvironment());
}

Error startFailure(const QString& toolPath, const QProcess& process)
{
    return makeError(ErrorCode::ToolMissing,
                     QStringLiteral("Cannot start %1: %2").arg(toolPath, process.errorString()));
}

// The tool's messages without its routine warning about key derivation.
QString toolMessages(const QByteArray& standardError)
{
    QStringList kept;
    const QList<QByteArray> lines = standardError.split('\n');
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith("*** WARNING : deprecated key derivation") ||
            line.startsWith("Using -iter or -pbkdf2"))
            continue;
        kept << QString::fromLocal8Bit(line);
    }
    return kept.join(QLatin1Char('\n')).left(600);
}

// Runs `openssl version` once per tool path.
Result<int> toolMajorVersion(const QString& toolPath)
{
    ToolFacts& facts = toolFacts();
    {
        QMutexLocker lock(&facts.mutex);
        const auto known = facts.majorVersions.constFind(toolPath);
        if (known != facts.majorVersions.cend())
            return *known;
    }
    if (!QFileInfo(toolPath).isExecutable())
        return makeError(ErrorCode::ToolMissing,
                         QStringLiteral("%1 is missing or not executable.").arg(toolPath));
    QProcess process;
    process.setProcessEnvironment(childEnvironment());
    process.start(toolPath, {QStringLiteral("version")}, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return startFailure(toolPath, process);
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return makeError(ErrorCode::ToolMissing,
                         QStringLiteral("%1 version failed: %2")
                             .arg(toolPath, toolMessages(process.readAllStandardError())));
    // A tool that is not OpenSSL (LibreSSL, say) knows no providers.
    const int major = openssl::parseMajorVersion(process.readAllStandardOutput()).value_or(1);
    QMutexLocker lock(&facts.mutex);
    facts.majorVersions.insert(toolPath, major);
    return major;
}

bool isWholeRun(const QProcess& process)
{
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

const QByteArray kSaltedHeader = QByteArrayLiteral("Salted__");

Result<QByteArray> freshSalt()
{
    QByteArray salt(seal::kSaltLength, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), int(salt.size())) != 1)
        return makeError(ErrorCode::Internal, QStringLiteral("No random salt could be made."));
    return salt;
}

// A pipe whose two ends the stages open by name (their descriptors' names),
// so one stage's output flows into the other's input, after what was put in
// first.
class StagePipe
{
public:
    StagePipe()
    {
        if (::pipe2(m_fds, O_CLOEXEC) != 0)
            m_fds[0] = m_fds[1] = -1;
    }
    ~StagePipe() { close(); }
    StagePipe(const StagePipe&) = delete;
    StagePipe& operator=(const StagePipe&) = delete;

    bool isValid() const { return m_fds[0] >= 0; }
    // A few bytes, far below what a pipe holds, so this never waits.
    bool put(const QByteArray& bytes) { return io::writeAll(m_fds[1], bytes) == 0; }
    QString readEndPath() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fds[0]); }
    QString writeEndPath() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fds[1]); }
    void close()
    {
        for (int& fd : m_fds) {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    }

private:
    int m_fds[2];
};

Error keywordDescriptorError()
{
    return makeError(ErrorCode::Internal,
                     QStringLiteral("The keyword pipe could not be placed on descriptor 3."));
}

} // namespace

QString findRc5ModulePath()
{
    if (!QCoreApplication::instance())
        return {};
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList candidates{
        programDir + QStringLiteral("/ossl-modules/"),
        programDir + QStringLiteral("/../lib/velko/ossl-modules/"),
        programDir + QStringLiteral("/../" VELKO_INSTALL_LIBDIR "/velko/ossl-modules/"),
        programDir + QStringLiteral("/../lib/" VELKO_LIBRARY_ARCHITECTURE "/velko/ossl-modules/"),
    };
    for (const QString& folder : candidates) {
        const QFileInfo module(folder + kRc5ModuleName);
        if (module.isFile())
            return module.canonicalFilePath();
    }
    return {};
}

CipherPipeline::CipherPipeline(QString toolPath, QString rc5ModulePath)
    : m_toolPath(std::move(toolPath)),
      m_rc5ModulePath(rc5ModulePath.isEmpty() ? findRc5ModulePath() : std::move(rc5ModulePath))
{
}

Result<QStringList> CipherPipeline::providersFor(const QString& cipherOption) const
{
    if (!isCipherOption(cipherOption))
        return makeError(ErrorCode::CipherUnavailable,
                         QStringLiteral("Unknown cipher option %1.").arg(cipherOption));
    const Result<int> major = toolMajorVersion(m_toolPath);
    if (!major)
        return major.error();
    const bool haveModule = !m_rc5ModulePath.isEmpty() && QFileInfo(m_rc5ModulePath).isFile();
    if (major.value() >= 3 && cipherOption == kCipherRc5 && !haveModule)
        return makeError(ErrorCode::CipherUnavailable,
                         QStringLiteral("The RC5 module %1 was not found next to the program.")
                             .arg(m_rc5ModulePath.isEmpty() ? kRc5ModuleName : m_rc5ModulePath));
    return openssl::providerArguments(major.value(), haveModule ? m_rc5ModulePath : QString());
}

Status CipherPipeline::checkCipherAvailable(const QString& cipherOption) const
{
    const Result<QStringList> providers = providersFor(cipherOption);
    if (!providers)
        return providers.error();

    const QString key =
        m_toolPath + QLatin1Char('\n') + m_rc5ModulePath + QLatin1Char('\n') + cipherOption;
    ToolFacts& facts = toolFacts();
    {
        QMutexLocker lock(&facts.mutex);
        const auto known = facts.cipherAvailable.constFind(key);
        if (known != facts.cipherAvailable.cend() && *known)
            return {};
    }
    QProcess process;
    process.setProcessEnvironment(childEnvironment());
    process.start(m_toolPath, openssl::availabilityArguments(cipherOption, providers.value()),
                  QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return startFailure(m_toolPath, process);
    process.waitForFinished(-1);
    if (!isWholeRun(process))
        return makeError(ErrorCode::CipherUnavailable,
                         QStringLiteral("%1 cannot use %2: %3")
                             .arg(m_toolPath, cipherDisplayName(cipherOption),
                                  toolMessages(process.readAllStandardError())));
    QMutexLocker lock(&facts.mutex);
    facts.cipherAvailable.insert(key, true);
    return {};
}

Error CipherPipeline::stageFailure(const QString& cipherOption, const QByteArray& standardError,
                                   ErrorCode otherwise) const
{
    const Status available = checkCipherAvailable(cipherOption);
    if (!available)
        return available.error();
    return makeError(otherwise, toolMessages(standardError));
}

// ---- encipher ---------------------------------------------------------------

Result<QByteArray> CipherPipeline::encipher(const QByteArray& rtf, const QString& cipherOption,
                                            QByteArrayView keyword,
                                            const QString& documentPath) const
{
    // 1. The keyword must protect the document and reach the tool intact.
    //    (Unlock still tries an empty keyword, so old documents open.)
    if (keyword.isEmpty())
        return makeError(ErrorCode::KeywordRefused,
                         QStringLiteral("An empty keyword would leave the document unprotected."));
    const Result<SecretBytes> line = openssl::keywordLine(keyword);
    if (!line)
        return line.error();
    // 2. Only a complete RTF document can be unlocked again.
    if (!isCompleteRtf(rtf))
        return makeError(ErrorCode::NotRtf,
                         QStringLiteral("The data is not a complete RTF document."));
    // 3. The tool and the providers it needs for this cipher.
    const Result<QStringList> providers = providersFor(cipherOption);
    if (!providers)
        return providers.error();
    // 4. A fresh salt; the seal under the key it gives with the keyword is
    //    made while the tool derives its own key from them.
    const Result<QByteArray> salt = freshSalt();
    if (!salt)
        return salt.error();
    const auto sealedRtf = [&] {
        return seal::sealed(rtf,
                            seal::sealKey(cipherOption, Digest::Sha256, keyword, salt.value()));
    };
    // 5. An unnamed file in the document's folder takes the Base64 text;
    //    without a document, memory does.
    if (documentPath.isEmpty())
        return encipherIntoMemory(sealedRtf, cipherOption, providers.value(), line.value().view(),
                                  salt.value());
    AtomicFile document(documentPath);
    if (const Status created = document.create(); !created)
        return created.error();
    // 6. The cipher stage, then the Base64 stage, which writes the file
    //    through its descriptor.
    const Status ran =
        runEncipherStages(sealedRtf, cipherOption, providers.value(), line.value().view(),
                          salt.value(), document.descriptorPath());
    if (!ran)
        return document.childWriteFailure(ran.error());
    // 7. Read the text back; nothing written is a failure too.
    Result<QByteArray> text = document.readBack();
    if (!text)
        return text.error();
    if (text.value().isEmpty())
        return makeError(ErrorCode::ToolFailed, QStringLiteral("The Base64 stage wrote nothing."));
    // 8. Only now replace the document.
    if (const Status committed = document.commit(); !committed)
        return committed.error();
    return text;
}

Result<QByteArray> CipherPipeline::encipherIntoMemory(const DocumentSource& rtf,
                                                      const QString& cipherOption,
                                                      const QStringList& providers,
                                                      QByteArrayView keywordLine,
                                                      const QByteArray& salt) const
{
    const MemoryFile output;
    if (const Status held = output.status(); !held)
        return held.error();
    if (const Status ran =
            runEncipherStages(rtf, cipherOption, providers, keywordLine, salt, output.path());
        !ran)
        return output.childWriteFailure(ran.error());
    Result<QByteArray> text = output.readAll();
    if (text && text.value().isEmpty())
        return makeError(ErrorCode::ToolFailed, QStringLiteral("The Base64 stage wrote nothing."));
    return text;
}

Status CipherPipeline::runEncipherStages(const DocumentSource& rtf, const QString& cipherOption,
                                         const QStringList& providers, QByteArrayView keywordLine,
                                         const QByteArray& salt, const QString& outputPath) const
{
    Result<KeywordPipe> keyword = KeywordPipe::create(keywordLine);
    if (!keyword)
        return keyword.error();
    // A pipe from the cipher stage to the Base64 stage that already holds
    // the tool's own header: told the salt, the tool writes the bare
    // ciphertext, so the document reads as any salted document of the tool.
    StagePipe pipe;
    if (!pipe.isValid() || !pipe.put(kSaltedHeader + salt))
        return makeError(ErrorCode::Internal, QStringLiteral("No pipe between the stages."));

    const QProcessEnvironment environment = childEnvironment();
    QProcess cipherStage;
    QProcess base64Stage;
    cipherStage.setProcessEnvironment(environment);
    base64Stage.setProcessEnvironment(environment);
    cipherStage.setStandardOutputFile(pipe.writeEndPath(), QIODevice::Append);
    base64Stage.setStandardInputFile(pipe.readEndPath());
    base64Stage.setStandardOutputFile(outputPath, QIODevice::Truncate);
    keyword.value().attachTo(cipherStage);

    cipherStage.start(m_toolPath, openssl::cipherStageArguments(Direction::Encipher, cipherOption,
                                                                Digest::Sha256, providers, salt));
    base64Stage.start(m_toolPath, openssl::base64StageArguments(Direction::Encipher));
    const bool cipherStarted = cipherStage.waitForStarted(-1);
    keyword.value().closeReadEnd();
    const bool base64Started = base64Stage.waitForStarted(-1);
    // The stages hold the pipe now; the Base64 stage ends when the cipher
    // stage does.
    pipe.close();
    if (!cipherStarted || !base64Started) {
        cipherStage.kill();
        base64Stage.kill();
        cipherStage.waitForFinished(-1);
        base64Stage.waitForFinished(-1);
        return startFailure(m_toolPath, cipherStarted ? base64Stage : cipherStage);
    }

    // The document is made while the tool derives its key.
    cipherStage.write(rtf());
    cipherStage.closeWriteChannel();
    cipherStage.waitForFinished(-1);
    base64Stage.waitForFinished(-1);

    if (cipherStage.exitStatus() == QProcess::NormalExit &&
        cipherStage.exitCode() == KeywordPipe::kWrongDescriptorExit)
        return keywordDescriptorError();
    if (!isWholeRun(cipherStage))
        return stageFailure(cipherOption, cipherStage.readAllStandardError(),
                            ErrorCode::ToolFailed);
    if (!isWholeRun(base64Stage))
        return makeError(ErrorCode::ToolFailed,
                         QStringLiteral("The Base64 stage failed: %1")
                             .arg(toolMessages(base64Stage.readAllStandardError())));
    return {};
}

// ---- decipher ---------------------------------------------------------------

Result<QByteArray> CipherPipeline::decipher(const QString& documentPath,
                                            const QString& cipherOption, QByteArrayView keyword,
                                            Digest digest) const
{
    Result<Unlocked> unlocked = decipherAttempts(documentPath, {{cipherOption, digest}}, keyword);
    if (!unlocked)
        return unlocked.error();
    return std::move(unlocked.value().rtf);
}

// SHA-256 key derivation, then MD5 (documents of tools older than OpenSSL
// 1.1); a PBKDF2 cipher was never used with MD5, and one try of it costs
// a noticeable part of a second.
QList<CipherPipeline::Attempt> CipherPipeline::attemptsFor(const QString& cipherOption)
{
    if (keyDerivationOf(cipherOption).iterations > 0)
        return {{cipherOption, Digest::Sha256}};
    return {{cipherOption, Digest::Sha256}, {cipherOption, Digest::Md5}};
}

Result<CipherPipeline::Unlocked> CipherPipeline::decipherEitherDigest(const QString& documentPath,
                                                                      const QString& cipherOption,
                                                                      QByteArrayView keyword) const
{
    return decipherAttempts(documentPath, attemptsFor(cipherOption), keyword);
}

Result<CipherPipeline::Unlocked> CipherPipeline::decipherAnyCipher(const QString& documentPath,
                                                                   const QString& preferredCipher,
                                                                   QByteArrayView keyword) const
{
    QStringList order = allCipherOptions();
    if (order.removeOne(preferredCipher))
        order.prepend(preferredCipher);
    QList<Attempt> attempts;
    for (const QString& option : order)
        attempts << attemptsFor(option);
    return decipherAttempts(documentPath, attempts, keyword);
}

Result<CipherPipeline::Unlocked> CipherPipeline::decipherAttempts(const QString& documentPath,
                                                                  const QList<Attempt>& attempts,
                                                                  QByteArrayView keyword) const
{
    // 1. The keyword must reach the tool intact.
    const Result<SecretBytes> line = openssl::keywordLine(keyword);
    if (!line)
        return line.error();
    // 2. Read the document and lay its Base64 text out the way the tool
    //    decodes it reliably.
    const Result<QByteArray> text = readDocumentFile(documentPath);
    if (!text)
        return text.error();
    const Result<QByteArray> base64 = normaliseBase64(text.value());
    if (!base64)
        return base64.error();
    // 3. Decode once, into memory.
    const Result<int> major = toolMajorVersion(m_toolPath);
    if (!major)
        return major.error();
    const MemoryFile ciphertext;
    if (const Status held = ciphertext.status(); !held)
        return held.error();
    if (const Status decoded = runBase64Decode(base64.value(), ciphertext.path()); !decoded)
        return ciphertext.childWriteFailure(decoded.error());
    const Result<QByteArray> decoded = ciphertext.readAll();
    if (!decoded)
        return decoded.error();
    if (decoded.value().isEmpty())
        return makeError(ErrorCode::WrongKeyword,
                         QStringLiteral("The document's Base64 text decodes to nothing."));
    // 4. Each cipher and digest in turn until one gives a document whose
    //    seal verifies, or, unsealed, a complete RTF document.
    const QByteArray salt = decoded.value().startsWith(kSaltedHeader)
                                ? decoded.value().mid(kSaltedHeader.size(), seal::kSaltLength)
                                : QByteArray();
    std::optional<Error> firstChanged;
    std::optional<Error> firstWrong;
    std::optional<Error> firstUnavailable;
    for (const Attempt& attempt : attempts) {
        const Result<QStringList> providers = providersFor(attempt.cipherOption);
        // The seal's key is derived while the tool derives its own.
        QByteArray sealKey;
        const auto deriveSealKey = [&] {
            sealKey = seal::sealKey(attempt.cipherOption, attempt.digest, keyword, salt);
        };
        Result<QByteArray> rtf =
            providers ? runDecipherStage(ciphertext.path(), attempt, providers.value(),
                                         line.value().view(), deriveSealKey)
                      : Result<QByteArray>(providers.error());
        if (rtf)
            rtf = checkedDocument(rtf.value(), sealKey);
        if (rtf)
            return Unlocked{std::move(rtf.value()), attempt.cipherOption, attempt.digest};
        switch (rtf.error().code) {
        case ErrorCode::DocumentChanged:
            if (!firstChanged)
                firstChanged = rtf.error();
            break;
        case ErrorCode::WrongKeyword:
            if (!firstWrong)
                firstWrong = rtf.error();
            break;
        case ErrorCode::CipherUnavailable:
            if (!firstUnavailable)
                firstUnavailable = rtf.error();
            break;
        default:
            return rtf.error();
        }
    }
    return firstChanged ? *firstChanged : firstWrong ? *firstWrong : *firstUnavailable;
}

// A sealed document opens only when its seal verifies, and without the
// seal; an unsealed one (the stock tool's, or older) when it is a complete
// RTF document.
Result<QByteArray> CipherPipeline::checkedDocument(const QByteArray& rtf,
                                                   const QByteArray& sealKey) const
{
    seal::Opened opened = seal::open(rtf, sealKey);
    switch (opened.check) {
    case seal::Check::Intact:
        return std::move(opened.rtf);
    case seal::Check::Broken:
        return makeError(ErrorCode::DocumentChanged,
                         QStringLiteral("Its seal does not match its content."));
    case seal::Check::Unsealed:
        break;
    }
    // A wrong keyword may still exit 0 (always with RC4): only a complete
    // RTF document counts as opened.
    if (!isCompleteRtf(rtf))
        return makeError(ErrorCode::WrongKeyword,
                         QStringLiteral("The deciphered data is not a complete RTF document."));
    return rtf;
}

Status CipherPipeline::runBase64Decode(const QByteArray& base64, const QString& outputPath) const
{
    QProcess process;
    process.setProcessEnvironment(childEnvironment());
    process.setStandardOutputFile(outputPath, QIODevice::Truncate);
    process.start(m_toolPath, openssl::base64StageArguments(Direction::Decipher));
    if (!process.waitForStarted(-1))
        return startFailure(m_toolPath, process);
    process.write(base64);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    if (!isWholeRun(process))
        return makeError(ErrorCode::WrongKeyword,
                         QStringLiteral("The document's Base64 text cannot be decoded: %1")
                             .arg(toolMessages(process.readAllStandardError())));
    return {};
}

Result<QByteArray> CipherPipeline::runDecipherStage(const QString& cipherPath,
                                                    const Attempt& attempt,
                                                    const QStringList& providers,
                                                    QByteArrayView keywordLine,
                                                    const std::function<void()>& meanwhile) const
{
    Result<KeywordPipe> keyword = KeywordPipe::create(keywordLine);
    if (!keyword)
        return keyword.error();

    QProcess process;
    process.setProcessEnvironment(childEnvironment());
    process.setStandardInputFile(cipherPath);
    keyword.value().attachTo(process);
    process.start(m_toolPath,
                  openssl::cipherStageArguments(Direction::Decipher, attempt.cipherOption,
                                                attempt.digest, providers));
    const bool started = process.waitForStarted(-1);
    keyword.value().closeReadEnd();
    if (!started)
        return startFailure(m_toolPath, process);
    meanwhile();
    // The deciphered RTF comes back on standard output, never via a file.
    process.waitForFinished(-1);

    if (process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == KeywordPipe::kWrongDescriptorExit)
        return keywordDescriptorError();
    if (process.exitStatus() != QProcess::NormalExit)
        return makeError(ErrorCode::ToolFailed,
                         QStringLiteral("%1 stopped: %2").arg(m_toolPath, process.errorString()));
    if (process.exitCode() != 0)
        return stageFailure(attempt.cipherOption, process.readAllStandardError(),
                            ErrorCode::WrongKeyword);
    return process.readAllStandardOutput();
}

} // namespace velko
