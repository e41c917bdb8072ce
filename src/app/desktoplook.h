#pragma once

#include <QFont>
#include <QPalette>

namespace velko {

struct Layout;

// The font new documents start in: the desktop's document font where it
// names one, else the toolkit's general font.
QFont desktopDocumentQFont();

// The window's colours for a dark desktop whose platform theme gives Qt
// none of its own.
QPalette darkPalette();

// The document window follows the desktop: new documents start in its
// document font, and the window's colours follow its light or dark scheme,
// also when they change while the editor runs. The text itself stays on
// white paper: documents carry colours of their own, chosen for paper.
void followDesktopLook(Layout& layout);

} // namespace velko
