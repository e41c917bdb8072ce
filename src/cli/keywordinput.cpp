#include "cli/keywordinput.h"

#include "core/opensslcommand.h"

#include "core/secretbytes.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>

#include <csignal>
#include <iterator>
#include <unistd.h>

namespace velko::cli {

namespace {

// A line past the tool's limit (plus a carriage return) is refused; reading
// stops there.
constexpr qsizetype kLineLimit = openssl::kMaxKeywordBytes + 2;

enum class LineEnd { Found, EndOfData, Failed, TooLong };

// A line read into one fixed buffer that is wiped when it goes, so the
// keyword leaves no copies behind on the way.
struct LineBuffer
{
    char bytes[kLineLimit];
    qsizetype size = 0;
    ~LineBuffer() { wipeBytes(bytes, sizeof bytes); }

    // The line without a carriage return before its end.
    SecretBytes keyword() const
    {
        const qsizetype length = size > 0 && bytes[size - 1] == '\r' ? size - 1 : size;
        return SecretBytes(QByteArrayView(bytes, length));
    }
};

LineEnd readLine(int fd, LineBuffer& line)
{
    char c;
    while (line.size < kLineLimit) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return LineEnd::Failed;
        if (n == 0)
            return LineEnd::EndOfData;
        if (c == '\n')
            return LineEnd::Found;
        line.bytes[line.size++] = c;
    }
    wipeBytes(&c, 1);
    return LineEnd::TooLong;
}

Error tooLong()
{
    return makeError(
        ErrorCode::KeywordRefused,
        QStringLiteral("The keyword is longer than %1 bytes.").arg(openssl::kMaxKeywordBytes));
}

} // namespace

Result<SecretBytes> readKeywordLine(int fd)
{
    if (fd < 0 || ::fcntl(fd, F_GETFD) < 0)
        return makeError(ErrorCode::FileRead, QStringLiteral("Descriptor %1 is not open.").arg(fd));
    LineBuffer line;
    const LineEnd end = readLine(fd, line);
    if (end == LineEnd::Failed)
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("Cannot read descriptor %1: %2")
                             .arg(fd)
                             .arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (end == LineEnd::EndOfData && line.size == 0)
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("Descriptor %1 gave no keyword line.").arg(fd));
    if (end == LineEnd::TooLong)
        return tooLong();
    return line.keyword();
}

namespace {

// While echo is off, a signal that ends the program must give the terminal
// its echo back first.
int g_quietTerminal = -1;
termios g_terminalSettings;
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction g_previousActions[std::size(kEndingSignals)];

extern "C" void restoreTerminalAndReraise(int signal)
{
    if (g_quietTerminal >= 0)
        ::tcsetattr(g_quietTerminal, TCSAFLUSH, &g_terminalSettings);
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
        if (kEndingSignals[i] == signal)
            ::sigaction(signal, &g_previousActions[i], nullptr);
    }
    ::raise(signal);
}

void guardTerminal(int tty, const termios& settings)
{
    g_quietTerminal = tty;
    g_terminalSettings = settings;
    struct sigaction action = {};
    action.sa_handler = restoreTerminalAndReraise;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kEndingSignals); ++i)
        ::sigaction(kEndingSignals[i], &action, &g_previousActions[i]);
}

void releaseTerminal()
{
    for (size_t i = 0; i < std::size(kEndingSignals); ++i)
        ::sigaction(kEndingSignals[i], &g_previousActions[i], nullptr);
    g_quietTerminal = -1;
}

} // namespace

Result<SecretBytes> askKeyword(const char* prompt)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0)
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("No terminal to ask the keyword on; use --keyword-fd."));
    [[maybe_unused]] const ssize_t shown = ::write(tty, prompt, std::strlen(prompt));
    termios saved;
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        guardTerminal(tty, saved);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    LineBuffer line;
    const LineEnd end = readLine(tty, line);
    if (isTerminal) {
        ::tcsetattr(tty, TCSAFLUSH, &saved);
        releaseTerminal();
    }
    ::close(tty);
    if (end == LineEnd::TooLong)
        return tooLong();
    if (end == LineEnd::Failed || (end == LineEnd::EndOfData && line.size == 0))
        return makeError(ErrorCode::FileRead, QStringLiteral("No keyword was typed."));
    return line.keyword();
}

} // namespace velko::cli
