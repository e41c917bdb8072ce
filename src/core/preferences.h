#pragma once

#include <QByteArray>
#include <QList>

namespace velko {

// The user's settings, kept with QSettings in the user's configuration
// folder. Nothing secret is ever among them.
struct Preferences
{
    // Minutes without input before an open secure document locks; 0: never.
    int lockAfterIdleMinutes = 5;
    // Seconds before text copied from a secure document leaves the
    // clipboard; 0: only when the document locks or the editor quits.
    int clearClipboardAfterSeconds = 60;

    friend bool operator==(const Preferences&, const Preferences&) = default;
};

// The choices offered for each setting; a stored value that is not among
// them reads as the default.
QList<int> lockAfterIdleChoices();
QList<int> clearClipboardChoices();

Preferences loadPreferences();
void savePreferences(const Preferences& preferences);

// The document window's size and place at the end of the last run, as
// QWidget::saveGeometry() gave it; empty before the first run.
QByteArray loadWindowGeometry();
void saveWindowGeometry(const QByteArray& geometry);

} // namespace velko
