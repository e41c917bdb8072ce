#pragma once

#include <QIcon>
#include <QString>

class QWidget;

namespace velko {

// The icon of a command, by the object name of its action ("btnSaveAction",
// "formatBold", "showKeyword"): the desktop theme's icon where the theme has
// one, else one Velko draws itself in the palette's text colour, so a plain X11
// session shows icons too. A null icon for names without one.
QIcon actionIcon(const QString& actionName);

// Gives every action under `root` that has no icon yet the icon of its name.
void applyActionIcons(QWidget* root);

} // namespace velko
