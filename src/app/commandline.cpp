#include "app/commandline.h"

#include "core/nativepath.h"

#include <QCommandLineParser>
#include <QDir>
#include <QObject>

namespace velko {

namespace {

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QObject::tr("Velko edits rich text and locks it with a keyword.\n"
                    "Files named here open in the running Velko window when there is one."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QObject::tr("Documents to open (.rtf or .srtf)."),
                                 QStringLiteral("[files...]"));
}

QString absolutePathOf(const QString& argument, const QString& currentDirectory)
{
    if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        if (const std::optional<QString> path = localPathOfUri(argument))
            return QDir::cleanPath(*path);
    }
    return QDir::cleanPath(QDir(currentDirectory).absoluteFilePath(argument));
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& currentDirectory)
{
    CommandLine result;
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    result.showHelp = parser.isSet(QStringLiteral("help"));
    result.showVersion = parser.isSet(QStringLiteral("version"));
    for (const QString& argument : parser.positionalArguments()) {
        if (!argument.isEmpty())
            result.paths.append(absolutePathOf(argument, currentDirectory));
    }
    return result;
}

QString commandLineHelp()
{
    QCommandLineParser parser;
    describe(parser);
    return parser.helpText();
}

QStringList localPathsOfUris(const QStringList& uris)
{
    QStringList paths;
    for (const QString& uri : uris) {
        if (const std::optional<QString> path = localPathOfUri(uri))
            paths.append(QDir::cleanPath(*path));
    }
    return paths;
}

QStringList urisOfPaths(const QStringList& paths)
{
    QStringList uris;
    for (const QString& path : paths)
        uris.append(fileUriOf(path));
    return uris;
}

} // namespace velko
