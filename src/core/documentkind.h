#pragma once

#include <QByteArray>
#include <QString>

namespace velko {

// How a file handed to the application is opened.
enum class DocumentKind {
    Secure, // a locked document: asks for the keyword first
    Plain,  // a rich-text document: loaded at once
};

// Every locked document begins with this text: the Base64 form of the
// "Salted__" header that `openssl enc` writes.
inline constexpr char kSecureDocumentMagic[] = "U2FsdGVkX1";

// A file is secure when its own name (not a folder above it) ends in ".srtf"
// in any letter case, or when its content begins with the secure magic.
// `contentStart` holds the first bytes of the file (empty when unreadable).
DocumentKind documentKindOf(const QString& path, const QByteArray& contentStart);

// The same decision, reading the first bytes of the file at `path`.
DocumentKind documentKindOfFile(const QString& path);

} // namespace velko
