// Reads and writes generated RTF documents of 1, 10 and 50 MB with mixed
// formatting and Unicode, and times `unrtf --text` on the same files.
//
//   bench_rtf [SIZES_MB...]     e.g. bench_rtf 1 10 50 (the default)
//   bench_rtf --read FILE       (used by the benchmark itself: one read in a fresh process)
//
// Prints, per size: read MB/s (in this process and in a fresh one), peak
// memory of the fresh reading process, write MB/s, and unrtf's MB/s; then the
// tokenizer alone and the complete-document check that lock and unlock apply.

#include "rtf/grammar/rtfgrammar.h"
#include "rtf/grammar/rtftokenizer.h"
#include "rtf/rtf.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextDocument>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <vector>

extern char** environ;

namespace {

// A small deterministic generator, so every run reads the same documents.
class Random
{
public:
    quint32 next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    int below(int n) { return int(next() % quint32(n)); }

private:
    quint32 m_state = 12345;
};

// Words with and without non-ASCII characters, as RTF: \uN with fallbacks and \'hh bytes.
const char* const kWords[] = {"the",
                              "quick",
                              "brown",
                              "fox",
                              "jumps",
                              "over",
                              "lazy",
                              "dog",
                              "keyword",
                              "document",
                              "secure",
                              "cipher",
                              "Gr\\'fc\\'dfe",
                              "caf\\'e9",
                              "na\\'efve",
                              "\\u8364?",
                              "\\u1055?\\u1088?\\u1080?\\u1074?\\u1077?\\u1090?",
                              "\\u26085?\\u26412?\\u35486?",
                              "\\u-10179?\\u-8704?",
                              "\\{braces\\}",
                              "back\\\\slash",
                              "1234",
                              "2026",
                              "\\ldblquote quoted\\rdblquote"};

QByteArray generate(qint64 targetBytes)
{
    QByteArray out;
    out.reserve(targetBytes + 4096);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
           "{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern\\fcharset0 Courier New;}}"
           "{\\colortbl;\\red255\\green128\\blue0;\\red0\\green0\\blue255;\\red200\\green0\\blue0;}"
           "\n";
    Random random;
    const int words = int(sizeof(kWords) / sizeof(kWords[0]));
    static const char* const aligns[] = {"", "\\qc", "\\qr", "\\qj"};
    while (out.size() < targetBytes) {
        out += "\\pard";
        out += aligns[random.below(4)];
        if (random.below(3) == 0)
            out += "\\li720\\fi-360\\sb120\\sa120";
        out += ' ';
        const int length = 40 + random.below(80);
        for (int i = 0; i < length; ++i) {
            switch (random.below(12)) {
            case 0:
                out += "{\\b ";
                out += kWords[random.below(words)];
                out += "}";
                break;
            case 1:
                out += "{\\i\\cf";
                out += char('1' + random.below(3));
                out += ' ';
                out += kWords[random.below(words)];
                out += "}";
                break;
            case 2:
                out += "{\\f";
                out += char('0' + random.below(3));
                out += "\\fs";
                out += QByteArray::number(16 + 2 * random.below(10));
                out += ' ';
                out += kWords[random.below(words)];
                out += "}";
                break;
            case 3:
                out += "{\\ul\\super ";
                out += kWords[random.below(words)];
                out += "}";
                break;
            default:
                out += kWords[random.below(words)];
                break;
            }
            out += ' ';
        }
        out += "\\par\n";
    }
    out += "}";
    return out;
}

double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// CPU time of this process: the machine is shared, so wall time alone says little.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double cpuSeconds(const rusage& usage)
{
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double megabytes(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

struct ChildRun
{
    bool ok = false;
    double seconds = 0;
    double cpu = 0;
    long peakKilobytes = 0;
};

// Runs a program with stdout to /dev/null; wall time and the child's peak memory.
ChildRun runChild(const std::vector<QByteArray>& args)
{
    std::vector<char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(const_cast<char*>(arg.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    ChildRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.seconds = seconds(timer);
            run.cpu = cpuSeconds(usage);
            run.peakKilobytes = usage.ru_maxrss;
            run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

// One pass of the tokenizer over the data; the token count keeps the loop honest.
qint64 tokenCount(const QByteArray& data)
{
    velko::rtf::RtfTokenizer tokenizer(data);
    qint64 count = 0;
    while (tokenizer.next().type != velko::rtf::RtfToken::Type::End)
        ++count;
    return count;
}

int readOnce(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 4;
    const QByteArray data = file.readAll();
    QTextDocument document;
    return velko::rtf::read(data, &document).ok() ? 0 : 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.at(0) == QLatin1String("--read"))
        return readOnce(args.at(1));
    if (args.isEmpty())
        args = {"1", "10", "50"};

    QTemporaryDir dir;
    QList<QByteArray> documents;
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    std::printf("%7s %9s | %9s %8s %10s | %10s %7s | %10s %7s\n", "size MB", "chars", "read MB/s",
                "wall s", "peak RSS", "write MB/s", "out MB", "unrtf MB/s", "wall s");
    for (const QString& arg : std::as_const(args)) {
        const qint64 target = qint64(arg.toDouble() * 1024 * 1024);
        const QByteArray data = generate(target);
        const QString path = dir.filePath(QStringLiteral("bench-%1.rtf").arg(arg));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return 4;
        file.close();
        documents.append(data);

        QTextDocument document;
        QElapsedTimer timer;
        timer.start();
        double cpu = cpuSeconds();
        if (!velko::rtf::read(data, &document)) {
            std::fprintf(stderr, "read failed\n");
            return 2;
        }
        const double readCpu = cpuSeconds() - cpu;
        const double readWall = seconds(timer);

        cpu = cpuSeconds();
        const QByteArray written = velko::rtf::write(document);
        const double writeCpu = cpuSeconds() - cpu;

        const ChildRun fresh = runChild({self, "--read", path.toLocal8Bit()});
        const ChildRun unrtf = runChild({"/usr/bin/unrtf", "--text", path.toLocal8Bit()});

        const double size = megabytes(data.size());
        std::printf("%7.1f %9d | %9.1f %8.2f %7.0f MB | %10.1f %7.1f | %10s %7.2f\n", size,
                    document.characterCount(), size / readCpu, readWall,
                    fresh.ok ? fresh.peakKilobytes / 1024.0 : -1.0,
                    megabytes(written.size()) / writeCpu, megabytes(written.size()),
                    unrtf.ok ? qPrintable(QString::number(size / unrtf.cpu, 'f', 1)) : "failed",
                    unrtf.seconds);
        std::fflush(stdout);
    }
    std::printf("\n%7s %9s %10s %10s\n", "size MB", "tokens", "token MB/s", "check MB/s");
    for (const QByteArray& data : std::as_const(documents)) {
        // Best of three: the machine is shared, and these passes are short.
        double tokenCpu = 1e9;
        double checkCpu = 1e9;
        qint64 tokens = 0;
        for (int i = 0; i < 3; ++i) {
            double cpu = cpuSeconds();
            tokens = tokenCount(data);
            tokenCpu = qMin(tokenCpu, cpuSeconds() - cpu);
            cpu = cpuSeconds();
            if (!velko::rtf::isCompleteRtf(data)) {
                std::fprintf(stderr, "check failed\n");
                return 2;
            }
            checkCpu = qMin(checkCpu, cpuSeconds() - cpu);
        }
        const double size = megabytes(data.size());
        std::printf("%7.1f %9lld %10.1f %10.1f\n", size, static_cast<long long>(tokens),
                    size / tokenCpu, size / checkCpu);
    }
    std::printf("MB/s from CPU time (user + system). Peak RSS: one read in a fresh process "
                "(wait4 ru_maxrss).\n");
    return 0;
}
