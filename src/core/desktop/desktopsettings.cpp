#include "core/desktop/desktopsettings.h"

#include <QStringList>

// GIO names struct members "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace velko {

namespace {

const char* const kInterfaceSchema = "org.gnome.desktop.interface";

// The interface settings, or null where their schema is not installed
// (g_settings_new() would abort the program).
GSettings* openInterfaceSettings()
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, kInterfaceSchema, TRUE);
    if (!schema)
        return nullptr;
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
    return settings;
}

bool hasKey(GSettings* settings, const char* key)
{
    GSettingsSchema* schema = nullptr;
    g_object_get(settings, "settings-schema", &schema, nullptr);
    const bool found = schema && g_settings_schema_has_key(schema, key);
    if (schema)
        g_settings_schema_unref(schema);
    return found;
}

QString stringSetting(GSettings* settings, const char* key)
{
    if (!hasKey(settings, key))
        return {};
    gchar* value = g_settings_get_string(settings, key);
    QString text = QString::fromUtf8(value);
    g_free(value);
    return text;
}

} // namespace

std::optional<DesktopFont> parseDesktopFont(const QString& description)
{
    QStringList words = description.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    DesktopFont font;
    if (!words.isEmpty()) {
        bool isNumber = false;
        const double size = words.last().toDouble(&isNumber);
        if (isNumber) {
            if (size > 0)
                font.pointSize = size;
            words.removeLast();
        }
    }
    // Style words at the end belong to the description, not the family.
    static const QStringList kStyles = {
        QStringLiteral("Bold"),      QStringLiteral("Italic"),   QStringLiteral("Oblique"),
        QStringLiteral("Regular"),   QStringLiteral("Normal"),   QStringLiteral("Book"),
        QStringLiteral("Light"),     QStringLiteral("Medium"),   QStringLiteral("Semi-Bold"),
        QStringLiteral("Condensed"), QStringLiteral("Expanded"), QStringLiteral("Thin")};
    while (words.size() > 1 && kStyles.contains(words.last(), Qt::CaseInsensitive)) {
        const QString style = words.takeLast();
        font.bold |= style.compare(QLatin1String("Bold"), Qt::CaseInsensitive) == 0;
        font.italic |= style.compare(QLatin1String("Italic"), Qt::CaseInsensitive) == 0 ||
                       style.compare(QLatin1String("Oblique"), Qt::CaseInsensitive) == 0;
    }
    font.family = words.join(QLatin1Char(' ')).remove(QLatin1Char(','));
    if (font.family.isEmpty())
        return std::nullopt;
    return font;
}

std::optional<DesktopFont> desktopDocumentFont()
{
    GSettings* settings = openInterfaceSettings();
    if (!settings)
        return std::nullopt;
    QString description = stringSetting(settings, "document-font-name");
    if (description.isEmpty())
        description = stringSetting(settings, "font-name");
    g_object_unref(settings);
    return parseDesktopFont(description);
}

std::optional<ColorScheme> desktopColorScheme()
{
    GSettings* settings = openInterfaceSettings();
    if (!settings)
        return std::nullopt;
    const QString scheme = stringSetting(settings, "color-scheme");
    const QString theme = stringSetting(settings, "gtk-theme");
    g_object_unref(settings);
    if (scheme == QLatin1String("prefer-dark"))
        return ColorScheme::Dark;
    if (scheme == QLatin1String("prefer-light"))
        return ColorScheme::Light;
    return theme.endsWith(QLatin1String("-dark"), Qt::CaseInsensitive) ? ColorScheme::Dark
                                                                       : ColorScheme::Light;
}

struct DesktopSettingsWatcher::Private
{
    GSettings* settings = nullptr;
    gulong handler = 0;
};

namespace {

void onSettingChanged(GSettings*, const gchar* key, gpointer data)
{
    auto* watcher = static_cast<DesktopSettingsWatcher*>(data);
    const QByteArray name(key);
    if (name == "document-font-name" || name == "font-name")
        emit watcher->documentFontChanged();
    else if (name == "color-scheme" || name == "gtk-theme")
        emit watcher->colorSchemeChanged();
}

} // namespace

DesktopSettingsWatcher::DesktopSettingsWatcher(QObject* parent) : QObject(parent), d(new Private)
{
    d->settings = openInterfaceSettings();
    if (!d->settings)
        return;
    d->handler = g_signal_connect(d->settings, "changed", G_CALLBACK(onSettingChanged), this);
    // GSettings tells of changes only to keys that were read once.
    for (const char* key : {"document-font-name", "font-name", "color-scheme", "gtk-theme"}) {
        if (hasKey(d->settings, key))
            g_free(g_settings_get_string(d->settings, key));
    }
}

DesktopSettingsWatcher::~DesktopSettingsWatcher()
{
    if (d->settings) {
        g_signal_handler_disconnect(d->settings, d->handler);
        g_object_unref(d->settings);
    }
    delete d;
}

} // namespace velko
