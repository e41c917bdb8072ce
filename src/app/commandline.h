#pragma once

#include <QString>
#include <QStringList>

namespace velko {

// What the command line asks for.
struct CommandLine
{
    QStringList paths; // files to open, absolute, in the order given
    bool showHelp = false;
    bool showVersion = false;
    QString error; // set when the arguments cannot be understood
};

// Reads the program's arguments (the program name first). Relative paths are
// made absolute against `currentDirectory`; "file:" URLs become local paths.
CommandLine parseCommandLine(const QStringList& arguments, const QString& currentDirectory);

// The text printed for --help.
QString commandLineHelp();

// The local paths named by a list of URIs (non-local URIs are left out).
QStringList localPathsOfUris(const QStringList& uris);

// `paths` as "file:" URIs.
QStringList urisOfPaths(const QStringList& paths);

} // namespace velko
