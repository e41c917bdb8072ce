#pragma once

// Runs a program as a child process and measures it: wall time, CPU time
// (user + system) and peak memory (wait4's ru_maxrss), so each case is
// measured alone in a fresh process.

#include <QByteArray>
#include <QElapsedTimer>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace bench {

struct ChildRun
{
    bool ok = false;
    double seconds = 0;
    double cpu = 0;
    long peakKilobytes = 0;
};

inline double cpuSeconds(const rusage& usage)
{
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU time of this process: the machine is shared, so wall time alone says little.
inline double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs `args` (the program's path first); its output goes to `output` when
// given, else to /dev/null. `directory`: the child's working directory, when given.
inline ChildRun runChild(const std::vector<QByteArray>& args, QByteArray* output = nullptr,
                         const QByteArray& directory = {})
{
    std::vector<char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(const_cast<char*>(arg.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!directory.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, directory.constData());
    int pipeEnds[2] = {-1, -1};
    if (output && pipe2(pipeEnds, O_CLOEXEC) == 0)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    ChildRun run;
    const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    if (pipeEnds[1] >= 0)
        close(pipeEnds[1]);
    if (pipeEnds[0] >= 0) {
        char buffer[4096];
        ssize_t got = 0;
        while (started && (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
            output->append(buffer, got);
        close(pipeEnds[0]);
    }
    if (started) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.seconds = double(timer.nsecsElapsed()) / 1e9;
            run.cpu = cpuSeconds(usage);
            run.peakKilobytes = usage.ru_maxrss;
            run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

} // namespace bench
