#pragma once

namespace velko {

// Runs the editor: builds the windows, performs the launch steps, opens the
// files named on the command line and runs the event loop.
int runApplication(int argc, char* argv[]);

} // namespace velko
