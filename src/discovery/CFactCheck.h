#pragma once

#include "CFileFacts.h"

#include <QMetaType>
#include <QString>
#include <memory>

// One list row handed to the background check, and what the check found.
struct CFactCheck {
    enum Outcome : quint8 {
        Unchanged, // the stored facts still hold
        Changed,   // the document is there with other facts (fresh holds them)
        Missing,   // the shortcut is there, its document is not
        Vanished,  // the shortcut itself is gone
        Unknown,   // the shortcut could not be looked at (kept as it is)
    };

    // Small members last: a long list holds one of these per row while it
    // is checked.
    quint64 param = 0; // the row in its list
    QString shortcut;
    CFileFacts stored;
    // What was found, for Changed and Missing only: held apart, as most rows
    // come back unchanged.
    std::shared_ptr<const CFileFacts> fresh;
    qint32 fileID = 0;
    bool known = false; // stored holds facts
    Outcome outcome = Unknown;
};

Q_DECLARE_METATYPE(CFactCheck)
