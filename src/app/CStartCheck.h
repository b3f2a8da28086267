#pragma once

#include <QString>
#include <optional>

// What the program needs from its surroundings before the GUI application is
// made: a home folder (its data lives there) and, for an X11 window, a display
// that answers. Qt itself would fall back to "/" for the first and abort with
// a core dump for the second.
class CStartCheck {
public:
    // A status to end with, after saying why on standard error, or nothing
    // when the start may go on.
    static std::optional<int> Run(int argc, char** argv);

    // The X11 display Qt would connect to, when it would use X11 at all, and
    // whether it answers. Empty when no X11 connection is to be made.
    static QString UnreachableDisplay(int argc, char** argv);
};
