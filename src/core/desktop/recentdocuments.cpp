#include "core/desktop/recentdocuments.h"

#include "core/documentfile.h"
#include "core/nativepath.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMimeDatabase>
#include <QStandardPaths>

#include <algorithm>
#include <memory>

// GLib after Qt: its headers use names that Qt's keywords would clash with.
#include <glib.h>

namespace velko {

namespace {

const char* const kApplicationName = "Velko";
const char* const kApplicationExec = "velko %u"; // GLib quotes it itself
const int kLockTimeoutMs = 3000;

struct BookmarkFileDeleter
{
    void operator()(GBookmarkFile* file) const { g_bookmark_file_free(file); }
};
using BookmarkFilePtr = std::unique_ptr<GBookmarkFile, BookmarkFileDeleter>;

struct GFreeDeleter
{
    void operator()(void* p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;

QString takeMessage(GError* error)
{
    const QString message = error ? QString::fromUtf8(error->message) : QString();
    g_clear_error(&error);
    return message;
}

QString listFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString listPath()
{
    return listFolder() + QStringLiteral("/recently-used.xbel");
}

// The list as it is on disk; an absent or empty file is an empty list.
Result<BookmarkFilePtr> loadList(const QString& path)
{
    BookmarkFilePtr file(g_bookmark_file_new());
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        return file;
    GError* error = nullptr;
    if (!g_bookmark_file_load_from_file(file.get(), QFile::encodeName(path).constData(), &error))
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("%1: %2").arg(path, takeMessage(error)));
    return file;
}

// Writes the list through a temporary file readable by the user only.
Status saveList(GBookmarkFile* list, const QString& path)
{
    GError* error = nullptr;
    gsize length = 0;
    GCharPtr data(g_bookmark_file_to_data(list, &length, &error));
    if (!data)
        return makeError(ErrorCode::FileWrite,
                         QStringLiteral("%1: %2").arg(path, takeMessage(error)));
    return writeDocumentFile(path, QByteArray(data.get(), qsizetype(length)), NewFileMode::Private);
}

QString mimeTypeOf(const QString& path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (type.isValid() && !type.isDefault())
        return type.name();
    if (QFileInfo(path).suffix().compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("application/rtf");
    return QStringLiteral("application/octet-stream");
}

} // namespace

Status addRecentDocument(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    GError* error = nullptr;
    GCharPtr uri(g_filename_to_uri(nativePath(absolute).constData(), nullptr, &error));
    if (!uri)
        return makeError(ErrorCode::Internal,
                         QStringLiteral("%1: %2").arg(absolute, takeMessage(error)));

    const QString folder = listFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return makeError(ErrorCode::FileWrite,
                         QStringLiteral("%1: the folder cannot be created").arg(folder));

    // Other desktop programs write the same file: hold their lock while
    // reading, changing and replacing it.
    QLockFile lock(folder + QStringLiteral("/recently-used.xbel.lock"));
    if (!lock.tryLock(kLockTimeoutMs))
        return makeError(
            ErrorCode::FileWrite,
            QStringLiteral("%1: the list is locked by another program").arg(listPath()));

    const QString list = listPath();
    Result<BookmarkFilePtr> loaded = loadList(list);
    if (!loaded)
        return loaded.error();
    GBookmarkFile* bookmarks = loaded.value().get();

    g_bookmark_file_set_mime_type(bookmarks, uri.get(), mimeTypeOf(absolute).toUtf8().constData());
    g_bookmark_file_add_application(bookmarks, uri.get(), kApplicationName, kApplicationExec);
    GDateTime* now = g_date_time_new_now_utc();
    g_bookmark_file_set_visited_date_time(bookmarks, uri.get(), now);
    g_date_time_unref(now);
    return saveList(bookmarks, list);
}

QStringList recentDocuments()
{
    Result<BookmarkFilePtr> loaded = loadList(listPath());
    if (!loaded)
        return {};
    GBookmarkFile* bookmarks = loaded.value().get();

    struct Entry
    {
        QString path;
        gint64 stamp;
    };
    std::vector<Entry> entries;
    gsize count = 0;
    gchar** uris = g_bookmark_file_get_uris(bookmarks, &count);
    for (gsize i = 0; i < count; ++i) {
        const char* uri = uris[i];
        if (!g_bookmark_file_has_application(bookmarks, uri, kApplicationName, nullptr))
            continue;
        GCharPtr fileName(g_filename_from_uri(uri, nullptr, nullptr));
        if (!fileName)
            continue;
        const QString path = pathFromNative(fileName.get());
        if (!checkRegularFile(path))
            continue;
        GDateTime* stamp = nullptr;
        gint64 when = 0;
        if (g_bookmark_file_get_application_info(bookmarks, uri, kApplicationName, nullptr, nullptr,
                                                 &stamp, nullptr) &&
            stamp)
            when = g_date_time_to_unix(stamp) * G_USEC_PER_SEC + g_date_time_get_microsecond(stamp);
        entries.push_back({path, when});
    }
    g_strfreev(uris);

    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.stamp > b.stamp; });
    QStringList paths;
    for (const Entry& entry : entries)
        paths.append(entry.path);
    return paths;
}

} // namespace velko
