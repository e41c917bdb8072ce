#include "app/layout.h"

namespace velko {

// Format, Edit and View tools of the document window.
void buildEditingTools(Layout&) {}

} // namespace velko
