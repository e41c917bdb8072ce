#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QByteArrayView>

#include <sys/types.h>

class QProcess;

namespace velko {

// A pipe that holds one keyword line and is handed to one child process as
// descriptor 3, so the keyword never shows in the child's arguments or
// environment. The child checks that descriptor 3 really is this pipe before
// the tool starts: were it absent, the tool would open its first input file
// as descriptor 3 and read the keyword from there.
class KeywordPipe
{
public:
    // Exit status of a child that found something else on descriptor 3.
    static constexpr int kWrongDescriptorExit = 125;

    // Writes `line` into a fresh pipe and closes its write end.
    static Result<KeywordPipe> create(QByteArrayView line);

    KeywordPipe(KeywordPipe&& other) noexcept;
    KeywordPipe& operator=(KeywordPipe&&) = delete;
    KeywordPipe(const KeywordPipe&) = delete;
    ~KeywordPipe();

    // Installs the child-side step on `process`: move the read end to
    // descriptor 3 (which clears close-on-exec there) and verify that
    // descriptor 3 is this very pipe, else exit kWrongDescriptorExit.
    void attachTo(QProcess& process) const;

    // Closes the parent's read end once the child has started.
    void closeReadEnd();

private:
    KeywordPipe(int readEnd, dev_t device, ino_t inode);

    int m_readEnd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace velko
