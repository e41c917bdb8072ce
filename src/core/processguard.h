#pragma once

namespace velko {

// Called first thing by both programs:
// - keeps keywords and plaintext out of core files: core dumps off for this
//   process (and so ptrace by other users' processes);
// - ignores SIGXFSZ, so a write beyond the file size limit fails with EFBIG
//   and comes back as an error instead of killing the program half-way
//   (children started afterwards inherit this, the openssl tool included).
void guardProcess();

} // namespace velko
