#pragma once

// Files and a temporary home, for tests of every layer (no widgets needed).

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace testsupport {

inline const QString kRc5Module = QStringLiteral(VELKO_BIN_DIR "/ossl-modules/velkorc5.so");

// Runs `/usr/bin/openssl enc` as a user would, with this build's RC5 module
// offered beside the legacy provider: its output, or nothing when it fails.
std::optional<QByteArray> stockEnc(const QStringList& arguments, const QByteArray& input);

// A temporary home: HOME and the XDG folders point into a fresh directory
// for the lifetime of the object, so tests never touch the user's files.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    // Creates $HOME/Desktop (the default desktop folder).
    QString makeDesktop();

private:
    QTemporaryDir m_dir;
    QByteArray m_saved[5];
};

// Writes `data` to `path`; returns false on failure. Paths keep their bytes
// (core/nativepath.h), as in the program.
bool writeFile(const QString& path, const QByteArray& data);
QByteArray readFile(const QString& path);
// Writes an executable shell script.
bool writeScript(const QString& path, const QString& text);

// Every file and folder under `folder` by relative path, with the files'
// contents: what a command that failed must leave as it found it.
QMap<QString, QByteArray> filesUnder(const QString& folder);

// Starts `program` with `arguments` whose bytes are kept as the program's
// own file names keep them (QProcess passes text, so the shell's printf
// spells the bytes out); `shellFirst` runs in that shell before.
void startKeepingBytes(QProcess& process, const QString& program, const QStringList& arguments,
                       const QString& shellFirst = {});

} // namespace testsupport
