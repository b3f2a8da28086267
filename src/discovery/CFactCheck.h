#pragma once

#include "CFileFacts.h"

#include <QMetaType>
#include <QString>

// One list row handed to the background check, and what the check found.
struct CFactCheck {
    enum Outcome {
        Unchanged, // the stored facts still hold
        Changed,   // the document is there with other facts (fresh holds them)
        Missing,   // the shortcut is there, its document is not
        Vanished,  // the shortcut itself is gone
        Unknown,   // the shortcut could not be looked at (kept as it is)
    };

    qint32 fileID = 0;
    quint64 param = 0; // the row in its list
    QString shortcut;
    bool known = false; // stored holds facts
    CFileFacts stored;

    Outcome outcome = Unknown;
    CFileFacts fresh;
};

Q_DECLARE_METATYPE(CFactCheck)
