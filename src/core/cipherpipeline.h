#pragma once

#include "core/cipheroption.h"
#include "core/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace velko {

// Lock and unlock through the `openssl enc` tool: a cipher stage and a Base64
// stage per operation. The keyword reaches the tool on a pipe (descriptor 3),
// plaintext never touches the disk, and the document is replaced atomically.
class CipherPipeline
{
public:
    static QString defaultToolPath() { return QStringLiteral("/usr/bin/openssl"); }

    // toolPath: the openssl executable. rc5ModulePath: our RC5 provider module;
    // empty means look for it next to the running program.
    explicit CipherPipeline(QString toolPath = defaultToolPath(), QString rc5ModulePath = {});

    // Keywords are bytes as typed (UTF-8 from the window), handed to the tool
    // unchanged and never copied here.
    //
    // Enciphers `rtf` with the cipher option and keyword into the document at
    // `documentPath`. Gives the Base64 text written there. With no path the
    // text is only given back, and no file is written anywhere.
    Result<QByteArray> encipher(const QByteArray& rtf, const QString& cipherOption,
                                QByteArrayView keyword, const QString& documentPath) const;

    // Deciphers the document with one cipher and one digest. Fails with
    // WrongKeyword unless the result is a complete RTF document.
    Result<QByteArray> decipher(const QString& documentPath, const QString& cipherOption,
                                QByteArrayView keyword, Digest digest = Digest::Sha256) const;

    struct Unlocked
    {
        QByteArray rtf;
        QString cipherOption; // the option that opened the document
        Digest digest;
    };
    // Deciphers with one cipher, trying SHA-256 and then MD5 key derivation
    // (documents written by tools older than OpenSSL 1.1 used MD5).
    Result<Unlocked> decipherEitherDigest(const QString& documentPath, const QString& cipherOption,
                                          QByteArrayView keyword) const;

    // Tries `preferredCipher` first (SHA-256, then MD5), then the other
    // options in pop-up order, each with both digests (AES-256 with SHA-256
    // only). A sealed document opens only with the cipher whose seal verifies.
    Result<Unlocked> decipherAnyCipher(const QString& documentPath, const QString& preferredCipher,
                                       QByteArrayView keyword) const;

    // Whether the tool can use the cipher option here.
    Status checkCipherAvailable(const QString& cipherOption) const;

    QString toolPath() const { return m_toolPath; }
    QString rc5ModulePath() const { return m_rc5ModulePath; }

private:
    struct Attempt
    {
        QString cipherOption;
        Digest digest;
    };
    static QList<Attempt> attemptsFor(const QString& cipherOption);
    Result<Unlocked> decipherAttempts(const QString& documentPath, const QList<Attempt>& attempts,
                                      QByteArrayView keyword) const;
    Result<QStringList> providersFor(const QString& cipherOption) const;
    // The document to encipher, made when the tool is already at work.
    using DocumentSource = std::function<QByteArray()>;
    Result<QByteArray> encipherIntoMemory(const DocumentSource& rtf, const QString& cipherOption,
                                          const QStringList& providers, QByteArrayView keywordLine,
                                          const QByteArray& salt) const;
    Status runEncipherStages(const DocumentSource& rtf, const QString& cipherOption,
                             const QStringList& providers, QByteArrayView keywordLine,
                             const QByteArray& salt, const QString& outputPath) const;
    Result<QByteArray> checkedDocument(const QByteArray& rtf, const QByteArray& sealKey) const;
    Status runBase64Decode(const QByteArray& base64, const QString& outputPath) const;
    // `meanwhile` runs while the tool works.
    Result<QByteArray> runDecipherStage(const QString& cipherPath, const Attempt& attempt,
                                        const QStringList& providers, QByteArrayView keywordLine,
                                        const std::function<void()>& meanwhile) const;
    Error stageFailure(const QString& cipherOption, const QByteArray& toolMessages,
                       ErrorCode otherwise) const;

    QString m_toolPath;
    QString m_rc5ModulePath;
};

// Where the RC5 provider module is found for the running program: next to
// the executable in the build tree, or under lib/velko in an installed tree.
QString findRc5ModulePath();

} // namespace velko
