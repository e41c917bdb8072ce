// The fixed translation request.
#include "engine/engine.h"

namespace velko {

void Engine::btnTranslateToBulgarian() {}

} // namespace velko
