#include "core/processguard.h"

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace velko {

void guardProcess()
{
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace velko
