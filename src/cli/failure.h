#pragma once

#include "core/result.h"

#include <QString>

// How velko-cli tells what went wrong: one line on standard error and the
// exit status that goes with the kind of failure.
namespace velko::cli {

// Prints "velko-cli: message" and gives `status` back.
int fail(int status, const QString& message);
// A mistake in the command line.
int usage(const QString& message);
// Any failure the libraries report.
int failWith(const Error& error);

} // namespace velko::cli
