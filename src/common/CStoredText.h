#pragma once

#include <QString>

// The texts the template repository ships (the root's name, the column
// captions, the first categories, the extension groups, the first-start
// question) are stored in Japanese, the program's own language, and are
// translated only where they are shown: a repository stays the same whichever
// language opens it, and nothing translated is ever written back.
class CStoredText {
public:
    // The text to show for a stored one: its translation when it is one of
    // the shipped texts and a catalogue is loaded, else the text as stored
    // (a name the user gave is never translated).
    static QString Shown(const QString& stored);
};
