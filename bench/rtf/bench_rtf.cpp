// Reads and writes generated RTF documents of several shapes (bench/rtf/shapes.h)
// and runs `unrtf --text` on the same files, each in a fresh process.
//
//   bench_rtf [SHAPE...]        the shapes named (default: all but plain200)
//   bench_rtf --read FILE       (used by the benchmark: one read in a fresh process)
//   bench_rtf --write FILE      (used by the benchmark: one read, then the write timed)
//   bench_rtf --generate SHAPE FILE   writes one shape's document to FILE
//
// Prints per shape: the file's size; our read's wall and CPU time, MB/s and
// the reading process's peak memory; our write's MB/s (of the RTF written);
// unrtf's wall and CPU time, MB/s and peak memory. Then the tokenizer alone
// and the complete-document check that lock and unlock apply.

#include "benchchild.h"
#include "rtf/grammar/rtfgrammar.h"
#include "rtf/grammar/rtftokenizer.h"
#include "rtf/rtf.h"
#include "shapes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cstdio>
#include <unistd.h>

namespace {

struct Shape
{
    const char* name;
    const char* what;
    QByteArray (*generate)();
    bool byDefault = true;
};

const Shape kShapes[] = {
    {"paper", "10 MB: lists, tables, pictures",
     [] {
         return bench::paper(10 << 20);
     }},
    {"plain50", "50 MB of plain text",
     [] {
         return bench::plainText(qint64(50) << 20);
     }},
    {"plain200", "200 MB of plain text", [] { return bench::plainText(qint64(200) << 20); }, false},
    {"paragraphs", "3e6 short paragraphs",
     [] {
         return bench::paragraphs(3000000);
     }},
    {"runs", "3e6 runs, 3 formats by turns",
     [] {
         return bench::alternatingRuns(3000000);
     }},
    {"distinct", "3e6 runs, each its own format",
     [] {
         return bench::distinctRuns(3000000);
     }},
    {"list", "one list of 20,000 items",
     [] {
         return bench::longList(20000);
     }},
    {"table", "one table of 20,000 rows",
     [] {
         return bench::longTable(20000);
     }},
};

double megabytes(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One read, or one write of what was read, measured here and told on stdout
// as "seconds cpu-seconds bytes"; the document is left to the process's end.
int childRun(const QString& path, bool write)
{
    const QByteArray data = readFile(path);
    auto* document = new QTextDocument;
    QElapsedTimer timer;
    timer.start();
    double cpu = bench::cpuSeconds();
    if (!velko::rtf::read(data, document))
        return 2;
    qint64 bytes = data.size();
    if (write) {
        timer.restart();
        cpu = bench::cpuSeconds();
        bytes = velko::rtf::write(*document).size();
    }
    std::printf("%.4f %.4f %lld\n", double(timer.nsecsElapsed()) / 1e9, bench::cpuSeconds() - cpu,
                static_cast<long long>(bytes));
    std::fflush(stdout);
    _exit(0); // tearing down a large document is no part of the figures
}

struct Measured
{
    bool ok = false;
    double seconds = 0;
    double cpu = 0;
    qint64 bytes = 0;
    double peakMegabytes = 0;
};

Measured measureChild(const QByteArray& self, const char* mode, const QString& path)
{
    QByteArray output;
    const bench::ChildRun run = bench::runChild({self, mode, path.toLocal8Bit()}, &output);
    Measured measured;
    long long bytes = 0;
    measured.ok = run.ok && std::sscanf(output.constData(), "%lf %lf %lld", &measured.seconds,
                                        &measured.cpu, &bytes) == 3;
    measured.bytes = bytes;
    measured.peakMegabytes = run.peakKilobytes / 1024.0;
    return measured;
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

void printTokenizer(const char* name, const QByteArray& data)
{
    // Best of three: the machine is shared, and these passes are short.
    double tokenCpu = 1e9;
    double checkCpu = 1e9;
    qint64 tokens = 0;
    bool complete = true;
    for (int i = 0; i < 3; ++i) {
        double cpu = bench::cpuSeconds();
        tokens = tokenCount(data);
        tokenCpu = qMin(tokenCpu, bench::cpuSeconds() - cpu);
        cpu = bench::cpuSeconds();
        complete = complete && velko::rtf::isCompleteRtf(data);
        checkCpu = qMin(checkCpu, bench::cpuSeconds() - cpu);
    }
    const double size = megabytes(data.size());
    std::printf("%-10s %7.1f %10lld %10.1f %10.1f%s\n", name, size, static_cast<long long>(tokens),
                size / tokenCpu, size / checkCpu, complete ? "" : "  (check failed)");
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.at(0) == QLatin1String("--read"))
        return childRun(args.at(1), false);
    if (args.size() == 2 && args.at(0) == QLatin1String("--write"))
        return childRun(args.at(1), true);

    if (args.size() == 3 && args.at(0) == QLatin1String("--generate")) {
        for (const Shape& shape : kShapes) {
            if (args.at(1) == QLatin1String(shape.name)) {
                QFile file(args.at(2));
                const QByteArray data = shape.generate();
                return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() ? 0 : 4;
            }
        }
        return 2;
    }

    QTemporaryDir dir;
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    std::printf("%-10s %-31s %6s | %7s %7s %6s %7s | %7s | %7s %7s %6s %7s\n", "shape", "", "MB",
                "read s", "cpu s", "MB/s", "peak MB", "write", "unrtf s", "cpu s", "MB/s",
                "peak MB");
    QList<std::pair<const char*, QByteArray>> tokenized;
    for (const Shape& shape : kShapes) {
        if (args.isEmpty() ? !shape.byDefault : !args.contains(QLatin1String(shape.name)))
            continue;
        const QByteArray data = shape.generate();
        const QString path = dir.filePath(QLatin1String(shape.name) + QLatin1String(".rtf"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return 4;
        file.close();
        if (qstrcmp(shape.name, "paper") == 0 || qstrcmp(shape.name, "plain50") == 0)
            tokenized.append({shape.name, data});

        const Measured read = measureChild(self, "--read", path);
        const Measured write = measureChild(self, "--write", path);
        // unrtf writes the pictures it finds into its working directory.
        const bench::ChildRun unrtf = bench::runChild(
            {"/usr/bin/unrtf", "--text", path.toLocal8Bit()}, nullptr, dir.path().toLocal8Bit());
        const double size = megabytes(data.size());
        std::printf("%-10s %-31s %6.1f | ", shape.name, shape.what, size);
        if (read.ok)
            std::printf("%7.2f %7.2f %6.1f %7.0f | ", read.seconds, read.cpu, size / read.cpu,
                        read.peakMegabytes);
        else
            std::printf("%31s | ", "read failed");
        if (write.ok)
            std::printf("%7.1f | ", megabytes(write.bytes) / write.cpu);
        else
            std::printf("%7s | ", "failed");
        if (unrtf.ok)
            std::printf("%7.2f %7.2f %6.1f %7.0f\n", unrtf.seconds, unrtf.cpu, size / unrtf.cpu,
                        unrtf.peakKilobytes / 1024.0);
        else
            std::printf("%s\n", "unrtf failed");
        std::fflush(stdout);
    }
    std::printf("\n%-10s %7s %10s %10s %10s\n", "shape", "MB", "tokens", "token MB/s",
                "check MB/s");
    for (const auto& [name, data] : std::as_const(tokenized))
        printTokenizer(name, data);
    std::printf("read: wall and CPU seconds of the read alone, MB/s of the input by CPU time, "
                "peak memory of the reading process (wait4 ru_maxrss).\nwrite: MB/s of the RTF "
                "written, by CPU time. unrtf: the whole process, its output to /dev/null.\n");
    return 0;
}
