// velko-cli: lock, unlock and convert documents without the window.
#include "cli/commands.h"
#include "core/nativepath.h"
#include "core/processguard.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] = R"(Usage:
  velko-cli lock   --cipher aes256|blowfish|des3|rc5|rc4 [--keyword-fd N] INPUT.rtf OUTPUT.srtf
  velko-cli unlock --cipher aes256|blowfish|des3|rc5|rc4|auto [--keyword-fd N] INPUT.srtf OUTPUT.rtf
  velko-cli convert --to txt|html|rtf INPUT.rtf OUTPUT
  velko-cli --help

lock     Enciphers the bytes of an RTF document, as they are, into a secure
         document (Base64 text of `openssl enc` output). An input that is not
         a complete RTF document is refused: it could never be unlocked.
unlock   Deciphers a secure document and writes the RTF exactly as it was
         locked, byte for byte. Documents made with SHA-256 or (older tools)
         MD5 key derivation both open. With --cipher auto the four ciphers are
         tried in turn and the one that opened the document is reported on
         standard error.
convert  Turns an RTF document into plain text, HTML or normalised RTF.

A secure document does not record its cipher: unlock needs the cipher it
was locked with (or auto).

"-" as INPUT or OUTPUT stands for standard input or standard output. File
names are taken as the bytes given, UTF-8 or not; a message shows a byte
that is not UTF-8 as \xe9.

The keyword is the first line read from descriptor N (--keyword-fd N; the
line feed, and a carriage return before it, are not part of it). Without
--keyword-fd it is asked on the terminal without echo, twice for lock. It
may be empty; it may not hold a line break or exceed 1023 bytes in UTF-8.

Exit status:
  0  done
  1  usage: bad arguments, no keyword, keywords that differ, a refused keyword
  2  wrong keyword, wrong cipher, damaged document, or an input that is not RTF
  3  the openssl tool or the cipher is not available
  4  a file that cannot be read or written

On failure no output file is created and an existing one is left as it was.
)";

} // namespace

int main(int argc, char* argv[])
{
    using namespace velko;
    using namespace velko::cli;
    velko::guardProcess();
    const char* command = argc > 1 ? argv[1] : "";

    if (std::strcmp(command, "convert") == 0) {
        // Converting lays out a text document, which needs a GUI application
        // object; with no display the offscreen platform does.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return runConvert(nativeArguments(argc, argv).mid(2));
    }

    // File names are taken as the bytes given, whatever their encoding.
    QCoreApplication app(argc, argv);
    const QStringList args = nativeArguments(argc, argv).mid(2);
    if (std::strcmp(command, "lock") == 0)
        return runLock(args);
    if (std::strcmp(command, "unlock") == 0)
        return runUnlock(args);
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 ||
        std::strcmp(command, "help") == 0) {
        std::fputs(kUsage, stdout);
        return ExitDone;
    }
    if (*command)
        std::fprintf(stderr, "velko-cli: unknown command \"%s\"\n\n", command);
    std::fputs(kUsage, stderr);
    return ExitUsage;
}
