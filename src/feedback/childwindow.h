#pragma once

class QWidget;

namespace velko {

// Secondary windows live as tool windows of the document window: the window
// manager keeps them above it and minimises them with it, and while attached
// they move with it (also during a title-bar drag on X11).

// Attaches `child` above `parent`, shows it where it was last placed relative
// to the parent (the first time centred over it), makes it the active window and raises it.
// Attaching a window that is already attached only raises it again.
void attachChildWindow(QWidget* parent, QWidget* child);

// Detaches and hides `child`; the parent has the keyboard again when the
// child had it. Does nothing for a window that is not attached.
void detachChildWindow(QWidget* parent, QWidget* child);

// Gives the keyboard back to `widget` in its window, once an alert or panel
// over it is answered: the window manager would otherwise hand it to the
// document window.
void returnFocusTo(QWidget* widget);

bool isChildWindowAttached(const QWidget* parent, const QWidget* child);

// Places `window` (with its frame) centred over `parent`'s frame.
void centreOver(QWidget* window, const QWidget* parent);

// Centres a dialog over its parent's window whenever it is shown (at the
// size it has before its own show handling).
void centreWhenShown(QWidget* window);

// The width at which the window manager can show the whole of `window`'s
// title (bounded by the screen). Attached windows are kept at least that
// wide, also when their title changes.
int titleFittingWidth(const QWidget* window);

} // namespace velko
