#pragma once

namespace velko {

struct Layout;

// Fills File ▸ Open Recent from the desktop's recently-used list each time
// the menu is about to show.
void buildOpenRecentMenu(Layout& layout);

} // namespace velko
