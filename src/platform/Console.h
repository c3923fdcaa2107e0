#pragma once
// What a command-line tool needs to know about where its output goes.

namespace pw {

// True when standard output is a terminal (a console window on Windows), which can show colour
// escapes; false for a file or a pipe.
bool IsOutputTerminal();

}  // namespace pw
