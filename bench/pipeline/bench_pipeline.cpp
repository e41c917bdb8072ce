// Times lock and unlock through the cipher pipeline against bare openssl
// runs doing the same work the same way: the cipher stage fed from memory
// and piped into the Base64 stage writing the document for lock; the Base64
// stage fed from memory into a file, then the cipher stage from that file
// into memory for unlock. Prints the best of N runs and its ratio pipeline /
// bare, the ratio of the medians, and the ratio of the processor time used
// (this process and its children): on a machine busy with other work the
// wall-clock figures wander, the processor time much less.
#include "core/cipheroption.h"
#include "core/cipherpipeline.h"
#include "core/opensslcommand.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

using namespace velko;

namespace {

const QString kKeyword = QStringLiteral("bench keyword");

QByteArray makeRtf(qsizetype bytes)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    const QByteArray line = "Lorem ipsum dolor sit amet, consectetur adipiscing elit.\\par\n";
    while (rtf.size() < bytes - 1)
        rtf += line;
    rtf.truncate(bytes - 1);
    rtf += '}';
    return rtf;
}

QStringList bareCipherArgs(bool decipher, const QString& cipher, const QStringList& providers)
{
    QStringList args{"enc"};
    if (decipher)
        args << "-d";
    args << cipher << "-md"
         << "sha256";
    if (const int iterations = keyDerivationOf(cipher).iterations)
        args << "-pbkdf2"
             << "-iter" << QString::number(iterations);
    args << providers << "-pass" << ("pass:" + kKeyword);
    return args;
}

bool bareLock(const QString& tool, const QByteArray& rtf, const QString& cipher,
              const QStringList& providers, const QString& document)
{
    QProcess cipherStage;
    QProcess base64Stage;
    cipherStage.setStandardOutputProcess(&base64Stage);
    base64Stage.setStandardOutputFile(document, QIODevice::Truncate);
    cipherStage.start(tool, bareCipherArgs(false, cipher, providers));
    base64Stage.start(tool, {"enc", "-base64"});
    cipherStage.waitForStarted(-1);
    base64Stage.waitForStarted(-1);
    cipherStage.write(rtf);
    cipherStage.closeWriteChannel();
    cipherStage.waitForFinished(-1);
    base64Stage.waitForFinished(-1);
    QFile file(document);
    return cipherStage.exitCode() == 0 && base64Stage.exitCode() == 0 &&
           file.open(QIODevice::ReadOnly) && !file.readAll().isEmpty();
}

bool bareUnlock(const QString& tool, const QString& document, const QString& cipher,
                const QStringList& providers, const QString& scratch, qsizetype expectedSize)
{
    QFile file(document);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QProcess base64Stage;
    base64Stage.setStandardOutputFile(scratch, QIODevice::Truncate);
    base64Stage.start(tool, {"enc", "-d", "-base64"});
    base64Stage.waitForStarted(-1);
    base64Stage.write(file.readAll());
    base64Stage.closeWriteChannel();
    base64Stage.waitForFinished(-1);
    QProcess cipherStage;
    cipherStage.setStandardInputFile(scratch);
    cipherStage.start(tool, bareCipherArgs(true, cipher, providers));
    cipherStage.waitForFinished(-1);
    return cipherStage.exitCode() == 0 &&
           cipherStage.readAllStandardOutput().size() == expectedSize;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double best(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

// Processor time of this process and its waited-for children, in ms.
double cpuMs()
{
    const auto ms = [](const timeval& v) {
        return v.tv_sec * 1e3 + v.tv_usec / 1e3;
    };
    rusage self;
    rusage children;
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return ms(self.ru_utime) + ms(self.ru_stime) + ms(children.ru_utime) + ms(children.ru_stime);
}

struct Timing
{
    std::vector<double> wall;
    double cpu = 0;
};

void timeRun(const std::function<bool()>& work, bool keep, Timing* timing, bool* ok)
{
    QElapsedTimer timer;
    const double cpuBefore = cpuMs();
    timer.start();
    if (!work())
        *ok = false;
    const double wall = timer.nsecsElapsed() / 1e6;
    if (keep) {
        timing->wall.push_back(wall);
        timing->cpu += cpuMs() - cpuBefore;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString tool = CipherPipeline::defaultToolPath();
    const CipherPipeline pipeline(tool);
    const QStringList providers = openssl::providerArguments(3, pipeline.rc5ModulePath());
    QTemporaryDir dir;
    if (pipeline.rc5ModulePath().isEmpty() || !dir.isValid()) {
        std::fprintf(stderr, "bench_pipeline: RC5 module or scratch folder missing\n");
        return 1;
    }
    const QString ours = dir.filePath("ours.srtf");
    const QString bare = dir.filePath("bare.srtf");
    const QString scratch = dir.filePath("bare.bin");

    struct Size
    {
        const char* name;
        qsizetype bytes;
        int rounds;
    };
    const Size sizes[] = {
        {"10 KB", 10 * 1024, 21}, {"1 MB", 1024 * 1024, 7}, {"10 MB", 10 * 1024 * 1024, 5}};

    std::printf("%-6s %-10s | %8s %8s %6s %6s %6s | %8s %8s %6s %6s %6s\n", "", "", "lock", "bare",
                "best", "median", "cpu", "unlock", "bare", "best", "median", "cpu");
    std::printf("%-6s %-10s | %8s %8s %6s %6s %6s | %8s %8s %6s %6s %6s\n", "size", "cipher",
                "best ms", "best ms", "ratio", "ratio", "ratio", "best ms", "best ms", "ratio",
                "ratio", "ratio");
    bool allOk = true;
    for (const Size& size : sizes) {
        const QByteArray rtf = makeRtf(size.bytes);
        for (const QString& cipher : allCipherOptions()) {
            Timing lockOurs, lockBare, unlockOurs, unlockBare;
            bool ok = true;
            // One warm-up round, then alternate so drift hits both alike.
            for (int round = 0; round <= size.rounds; ++round) {
                const bool keep = round > 0;
                timeRun(
                    [&] { return pipeline.encipher(rtf, cipher, kKeyword.toUtf8(), ours).ok(); },
                    keep, &lockOurs, &ok);
                timeRun([&] { return bareLock(tool, rtf, cipher, providers, bare); }, keep,
                        &lockBare, &ok);
                timeRun([&] { return pipeline.decipher(ours, cipher, kKeyword.toUtf8()).ok(); },
                        keep, &unlockOurs, &ok);
                timeRun(
                    [&] { return bareUnlock(tool, bare, cipher, providers, scratch, rtf.size()); },
                    keep, &unlockBare, &ok);
            }
            const auto row = [](const Timing& ours, const Timing& bare) {
                std::printf("%8.1f %8.1f %5.2fx %5.2fx %5.2fx", best(ours.wall), best(bare.wall),
                            best(ours.wall) / best(bare.wall),
                            median(ours.wall) / median(bare.wall), ours.cpu / bare.cpu);
            };
            std::printf("%-6s %-10s | ", size.name, qPrintable(cipherDisplayName(cipher)));
            row(lockOurs, lockBare);
            std::printf(" | ");
            row(unlockOurs, unlockBare);
            std::printf("%s\n", ok ? "" : "  (FAILED RUNS)");
            std::fflush(stdout);
            allOk = allOk && ok;
        }
    }
    return allOk ? 0 : 1;
}
