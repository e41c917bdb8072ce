#pragma once

#include "core/result.h"

#include <QString>

namespace velko::cli {

// The first line read from descriptor `fd`, without its line feed (and a
// carriage return before it). Reads byte by byte, so nothing after the line
// is taken from the descriptor: it may be standard input that then carries
// the document too.
Result<QString> readKeywordLine(int fd);

// Asks on the controlling terminal with echo off. Fails when the process
// has no terminal.
Result<QString> askKeyword(const char* prompt);

} // namespace velko::cli
