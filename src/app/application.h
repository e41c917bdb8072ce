#pragma once

namespace velko {

struct Layout;
class SingleInstance;

// Runs the editor: builds the windows, performs the launch steps, opens the
// files named on the command line and runs the event loop.
int runApplication(int argc, char* argv[]);

// Hands what later launches ask for to the window: each file, in order, to
// AppController as a desktop open request, and the window brought forward.
void connectLaterLaunches(SingleInstance& instance, Layout& layout);

// Ends the event loop when Engine or AppController asks to terminate. The
// loop is left directly: QApplication::quit() would first send every window
// a close event, and the document window's close asks the Quit question
// again while there are unsaved edits.
void connectTermination(Layout& layout);

} // namespace velko
