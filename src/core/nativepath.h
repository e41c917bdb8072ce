#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// File names on Linux are bytes. Most spell UTF-8; some do not (copied from
// older systems, unpacked from archives, made under another locale), and Qt
// turns each byte that is not UTF-8 into U+FFFD, which names another file.
//
// A path here is a QString that keeps every byte: the UTF-8 it spells as
// that text, and each byte outside UTF-8 as one code point U+DC80..U+DCFF, a
// lone surrogate no real text holds. Joining, cleaning and splitting such a
// string keeps those bytes; files are opened by nativePath()'s bytes, never
// by QFile or QFileInfo, which would look up another name.
namespace velko {

// The path that names exactly `bytes`.
QString pathFromNative(QByteArrayView bytes);

// The bytes that name the file at `path`.
QByteArray nativePath(const QString& path);

// `text` with each kept byte written as "\xe9": for messages and titles,
// never for opening a file.
QString readablePath(const QString& text);

// The program's arguments with their bytes kept (QCoreApplication's
// arguments() turn them into text).
QStringList nativeArguments(int argc, const char* const* argv);

// The current directory, with its bytes kept.
QString currentFolder();

// A "file:" URI naming the absolute `path` byte for byte.
QString fileUriOf(const QString& path);

// The local path a "file:" URI names, bytes as they are percent-encoded;
// no value for any other URI.
std::optional<QString> localPathOfUri(const QString& uri);

} // namespace velko
