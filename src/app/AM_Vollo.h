#pragma once

class QWidget;

// Process-wide state of the running program.
namespace AM_Vollo {
// The program's entry: returns the process exit status.
int Main(int argc, char** argv);
} // namespace AM_Vollo
