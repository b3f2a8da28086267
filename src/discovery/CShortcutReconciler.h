#pragma once

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

    explicit CShortcutReconciler(CVolloDB& repository);
    // One transaction. Errors reach the caller; what was done before stays.
    // With Change false nothing is written: the result counts what would be.
    Result Reconcile(bool Change = true);

private:
    CVolloDB& m_repository;
};
