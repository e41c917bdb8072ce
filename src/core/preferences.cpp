#include "core/preferences.h"

#include <QSettings>

namespace velko {

namespace {

const QString kLockAfterIdle = QStringLiteral("security/lockAfterIdleMinutes");
const QString kClearClipboard = QStringLiteral("security/clearClipboardAfterSeconds");
const QString kWindowGeometry = QStringLiteral("window/geometry");

QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("velko"),
                     QStringLiteral("velko"));
}

int readChoice(const QSettings& store, const QString& key, const QList<int>& choices, int fallback)
{
    bool ok = false;
    const int value = store.value(key, fallback).toInt(&ok);
    return ok && choices.contains(value) ? value : fallback;
}

} // namespace

QList<int> lockAfterIdleChoices()
{
    return {0, 1, 5, 15, 60};
}

QList<int> clearClipboardChoices()
{
    return {0, 15, 30, 60, 120, 300};
}

Preferences loadPreferences()
{
    const QSettings store = settings();
    Preferences preferences;
    preferences.lockAfterIdleMinutes =
        readChoice(store, kLockAfterIdle, lockAfterIdleChoices(), preferences.lockAfterIdleMinutes);
    preferences.clearClipboardAfterSeconds = readChoice(
        store, kClearClipboard, clearClipboardChoices(), preferences.clearClipboardAfterSeconds);
    return preferences;
}

void savePreferences(const Preferences& preferences)
{
    QSettings store = settings();
    store.setValue(kLockAfterIdle, preferences.lockAfterIdleMinutes);
    store.setValue(kClearClipboard, preferences.clearClipboardAfterSeconds);
}

QByteArray loadWindowGeometry()
{
    return settings().value(kWindowGeometry).toByteArray();
}

void saveWindowGeometry(const QByteArray& geometry)
{
    QSettings store = settings();
    store.setValue(kWindowGeometry, geometry);
}

} // namespace velko
