#pragma once

#include "core/result.h"
#include "core/secretbytes.h"

#include <QString>

namespace velko::cli {

// The first line read from descriptor `fd`, without its line feed (and a
// carriage return before it). Reads byte by byte, so nothing after the line
// is taken from the descriptor: it may be standard input that then carries
// the document too.
// The bytes are kept as given: a keyword need not be UTF-8.
Result<SecretBytes> readKeywordLine(int fd);

// Asks on the controlling terminal with echo off. Fails when the process
// has no terminal.
Result<SecretBytes> askKeyword(const char* prompt);

} // namespace velko::cli
