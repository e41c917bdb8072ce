#pragma once

#include <QStringList>

// Sub-commands of velko-cli. Each takes the arguments after its name and
// returns the process exit status.
namespace velko::cli {

enum ExitStatus {
    ExitDone = 0,
    ExitUsage = 1,
    ExitWrongKeyword = 2, // also: a document that cannot be read
    ExitToolUnavailable = 3,
    ExitFileError = 4,
};

int runLock(const QStringList& args);
int runUnlock(const QStringList& args);
int runConvert(const QStringList& args);

} // namespace velko::cli
