#pragma once

namespace velko {

// Keeps keywords and plaintext out of core files: turns core dumps off for
// this process (and so ptrace by other users' processes). Called first
// thing by both programs.
void disableCoreDumps();

} // namespace velko
