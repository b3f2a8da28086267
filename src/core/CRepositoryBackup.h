#pragma once

#include <QCoreApplication>
#include <QString>

// A copy of the repository taken through SQLite's online backup: consistent
// even while the window writes, since the copy is of one moment's pages.
// The copy is made beside Target and renamed onto it once complete and
// checked, so a failed backup never leaves half a file under Target's name.
class CRepositoryBackup {
    Q_DECLARE_TR_FUNCTIONS(CRepositoryBackup)
public:
    // Throws CError naming the file at fault and the cause.
    static void Save(const QString& Source, const QString& Target);
};
