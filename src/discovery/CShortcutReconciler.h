#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class CDatabase;
class CVolloDB;

// Brings the shortcut folder and the repository's file rows in line, as a
// start after an interruption needs: a shortcut without a row is registered
// again when its document exists and removed when it does not; a row whose
// shortcut is gone is deleted. Nothing happens on a repository open for
// reading only.
class CShortcutReconciler {
public:
    struct Result {
        int registered = 0;
        int removedShortcuts = 0;
        int removedRows = 0;
    };

    // What a look at the folder and the rows found: the rows whose shortcut
    // the folder did not list, and the shortcuts no row claimed.
    struct Look {
        QStringList unlisted;
        QList<QByteArray> unclaimed; // names in the folder
    };

    explicit CShortcutReconciler(CVolloDB& repository);
    // One transaction. Errors reach the caller; what was done before stays.
    // With Change false nothing is written: the result counts what would be.
    Result Reconcile(bool Change = true);
    // The reading half alone, through any connection to the repository:
    // a start runs it on a thread of its own while the window is made.
    // selectAll is the stored statement of every file's ID and path.
    static Look LookAt(const QString& folder, CDatabase& connection, const QString& selectAll);
    // The writing half, with what a look found, in one transaction. The look
    // may be older than the rows: what it found is checked again here.
    Result Apply(const Look& look, bool Change = true);

private:
    CVolloDB& m_repository;
};
