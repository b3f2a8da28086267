#pragma once

#include <QCoreApplication>
#include <QString>

// `vollo` with a subcommand: the work is done without a display, by the
// command of that name, and the program ends with its exit status.
class CCliMain {
    Q_DECLARE_TR_FUNCTIONS(CCliMain)
public:
    // Whether the first argument names a subcommand.
    static bool IsCommand(int argc, char** argv);
    static int Run(int argc, char** argv);
    // Replaces this process with the window's program, found beside this
    // one, handing on every argument; returns only when it cannot.
    static int StartWindow(int argc, char** argv);
    // The list of subcommands for `vollo --help`.
    static QString CommandsHelp();
};
