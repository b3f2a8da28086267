#pragma once

#include <QStringList>
#include <optional>

// What the command line asks before any window exists: --help and --version
// print and end the program, a bad option ends it with a message, and a start
// with nowhere to show a window ends with one clear line instead of an abort
// inside the platform plugin.
class CCommandLine {
public:
    // The exit status when the program must end here, or nothing to go on.
    // CategoryFiles receives the files of --categories, made absolute.
    static std::optional<int> Handle(int argc, char** argv, QStringList* CategoryFiles);

    // Whether a window can be shown: a display server is named in the
    // environment or a platform plugin is chosen explicitly.
    static bool HasDisplay(int argc, char** argv);
};
