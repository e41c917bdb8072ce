// Fuzz entry point: the same read and write functions the editor calls.
// Besides crashes, it checks three properties: the reader opens whatever the
// lock check accepts, and for every input the reader accepts, what we write is
// complete RTF and reading it back gives the same text.

#include "rtf/grammar/rtfgrammar.h"
#include "rtf/rtf.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool complete = velko::rtf::isCompleteRtf(input);
    QTextDocument document;
    if (!velko::rtf::read(input, &document)) {
        if (complete) {
            fprintf(stderr, "the reader refuses what the lock check accepts\n");
            abort();
        }
        return 0;
    }

    const QByteArray written = velko::rtf::write(document);
    if (!velko::rtf::isCompleteRtf(written)) {
        fprintf(stderr, "written RTF is not complete\n");
        abort();
    }
    QTextDocument again;
    if (!velko::rtf::read(written, &again) || again.toRawText() != document.toRawText()) {
        fprintf(stderr, "text changed on the way through the writer\n");
        abort();
    }
    const int length = document.characterCount() - 1;
    velko::rtf::writeRange(document, length / 3, length - length / 3);
    return 0;
}
