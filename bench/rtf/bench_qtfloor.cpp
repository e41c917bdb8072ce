// What QTextDocument itself costs, without our reader: the least time and
// memory any reader building a QTextDocument through Qt's public API can
// reach for each shape of document.
//
//   bench_qtfloor [COUNT...] [CASE...]   cases at these sizes (default 1000000 3000000)
//   bench_qtfloor --case NAME COUNT (used by the benchmark itself: one case in a fresh process)
//
// Each case runs in a fresh process; it prints wall and CPU time and the
// peak memory of that process (wait4 ru_maxrss), less an empty process's,
// and the CPU time of what the case measures (the building, or a walk over
// a document built first).

#include "benchchild.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

#include <cstdio>
#include <unistd.h>

namespace {

struct Case
{
    const char* name;
    const char* what;
    // A divisor of the count: the quadratic cases run on fewer items.
    int divisor;
    void (*run)(QTextDocument& document, int count);
    // Builds the document the case walks; the walk alone is timed.
    void (*prepare)(QTextDocument& document, int count) = nullptr;
};

QTextCursor startBuilding(QTextDocument& document)
{
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    return cursor;
}

// Paragraphs of a few words each through QTextCursor::insertBlock.
void insertBlocks(QTextDocument& document, int count)
{
    QTextCursor cursor = startBuilding(document);
    const QString text = QStringLiteral("a few words of text");
    for (int i = 0; i < count; ++i) {
        cursor.insertText(text);
        cursor.insertBlock();
    }
    cursor.endEditBlock();
}

// The same paragraphs given as one string to setPlainText.
void setPlainText(QTextDocument& document, int count)
{
    QString text;
    text.reserve(qsizetype(count) * 20);
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("a few words of text\n");
    document.setPlainText(text);
}

// The same paragraphs given to one insertText, split by paragraph separators.
void separators(QTextDocument& document, int count)
{
    QString text;
    text.reserve(qsizetype(count) * 20);
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("a few words of text\u2029");
    QTextCursor cursor = startBuilding(document);
    cursor.insertText(text, QTextCharFormat());
    cursor.endEditBlock();
}

// Runs of one word, each in a character format no other run has: a size
// and a colour; the colour's brush made anew for each run, or (as our
// reader makes them) a font family and the brush shared by the runs that
// use them.
void distinctFormats(QTextDocument& document, int count, bool shared)
{
    QTextCursor cursor = startBuilding(document);
    const QString text = QStringLiteral("word ");
    const QStringList families = {QStringLiteral("Arial")};
    QBrush brush;
    // One format changed in place: each run's copy then keeps a property
    // list of its own size.
    QTextCharFormat format;
    if (shared)
        format.setFontFamilies(families);
    for (int i = 0; i < count; ++i) {
        format.setFontPointSize(2 + (i % 1600) / 2.0);
        if (i % 1600 == 0 || !shared)
            brush = QBrush(QColor::fromRgb(QRgb(i / 1600)));
        format.setForeground(brush);
        cursor.insertText(text, format);
    }
    cursor.endEditBlock();
}

void distinctFormats(QTextDocument& document, int count)
{
    distinctFormats(document, count, false);
}

void distinctFormatsSharedBrushes(QTextDocument& document, int count)
{
    distinctFormats(document, count, true);
}

// Runs of one word, taking turns between two formats: one fragment each.
void alternatingFormats(QTextDocument& document, int count)
{
    QTextCursor cursor = startBuilding(document);
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const QString text = QStringLiteral("word ");
    for (int i = 0; i < count; ++i)
        cursor.insertText(text, i % 2 ? bold : plain);
    cursor.endEditBlock();
}

// Paragraphs that all belong to one numbered list.
void oneList(QTextDocument& document, int count)
{
    QTextCursor cursor = startBuilding(document);
    cursor.insertText(QStringLiteral("item"));
    QTextList* list = cursor.createList(QTextListFormat::ListDecimal);
    for (int i = 1; i < count; ++i) {
        cursor.insertBlock();
        cursor.insertText(QStringLiteral("item"));
        list->add(cursor.block());
    }
    cursor.endEditBlock();
}

// A table of two columns grown by one row at a time, as a reader meets its rows.
void tableByRows(QTextDocument& document, int count)
{
    QTextCursor cursor = startBuilding(document);
    QTextTable* table = cursor.insertTable(1, 2);
    for (int row = 0; row < count; ++row) {
        if (row > 0)
            table->appendRows(1);
        for (int column = 0; column < 2; ++column) {
            cursor.setPosition(table->cellAt(row, column).firstPosition());
            cursor.insertText(QStringLiteral("cell"));
        }
    }
    cursor.endEditBlock();
}

// What any writer does at the least: each block's fragments, their format
// index and their text.
void walkFragments(QTextDocument& document, int)
{
    qsizetype characters = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            characters += fragment.text().size() + fragment.charFormatIndex();
        }
    }
    if (characters < 0)
        std::printf("never\n");
}

const Case kCases[] = {
    {"blocks", "insertBlock, one per paragraph", 1, insertBlocks},
    {"plaintext", "setPlainText, same paragraphs", 1, setPlainText},
    {"separators", "one insertText, U+2029 between", 1, separators},
    {"alternating", "runs in two formats by turns", 1, alternatingFormats},
    {"distinct", "runs, each in a format of its own", 1, distinctFormats},
    {"distinct2", "the same with a family; family, brush shared", 1, distinctFormatsSharedBrushes},
    {"list", "items of one QTextList", 100, oneList},
    {"tablerows", "table rows appended one by one", 100, tableByRows},
    {"walkblocks", "walk: fragments of those paragraphs", 1, walkFragments, separators},
    {"walkruns", "walk: fragments of runs in 2 formats", 1, walkFragments, alternatingFormats},
};

int runCase(const QString& name, int count)
{
    if (name == QLatin1String("empty"))
        return 0;
    for (const Case& c : kCases) {
        if (name == QLatin1String(c.name)) {
            auto* document = new QTextDocument; // left to the process's end
            if (c.prepare)
                c.prepare(*document, count);
            const double cpu = bench::cpuSeconds();
            c.run(*document, count);
            std::printf("%.4f\n", bench::cpuSeconds() - cpu);
            std::fflush(stdout);
            _exit(document->characterCount() > 0 ? 0 : 1);
        }
    }
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args.at(0) == QLatin1String("--case"))
        return runCase(args.at(1), args.at(2).toInt());
    QStringList counts;
    QStringList only;
    for (const QString& arg : std::as_const(args))
        (arg.toInt() > 0 ? counts : only).append(arg);
    if (counts.isEmpty())
        counts = {QStringLiteral("1000000"), QStringLiteral("3000000")};

    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    const bench::ChildRun empty = bench::runChild({self, "--case", "empty", "0"});
    std::printf("%-12s %-36s %9s | %8s %8s %9s %10s | %8s\n", "case", "what", "count", "wall s",
                "cpu s", "peak MB", "bytes/item", "timed s");
    for (const QString& arg : std::as_const(counts)) {
        for (const Case& c : kCases) {
            if (!only.isEmpty() && !only.contains(QLatin1String(c.name)))
                continue;
            const int count = arg.toInt() / c.divisor;
            QByteArray timed;
            const bench::ChildRun run =
                bench::runChild({self, "--case", c.name, QByteArray::number(count)}, &timed);
            const double extra = double(run.peakKilobytes - empty.peakKilobytes) * 1024.0;
            std::printf("%-12s %-36s %9d | %8.2f %8.2f %9.0f %10.0f | %8.2f%s\n", c.name, c.what,
                        count, run.seconds, run.cpu, extra / 1048576.0, extra / count,
                        timed.trimmed().toDouble(), run.ok ? "" : "  (failed)");
            std::fflush(stdout);
        }
    }
    std::printf("Peak MB: the child's ru_maxrss less an empty child's (%.0f MB).\n",
                empty.peakKilobytes / 1024.0);
    return 0;
}
