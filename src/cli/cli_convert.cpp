#include "cli/commands.h"

#include <cstdio>

namespace velko::cli {

// Placeholder until the converter lands.
int runConvert(const QStringList&)
{
    std::fputs("velko-cli: convert is not available in this build\n", stderr);
    return ExitUsage;
}

} // namespace velko::cli
