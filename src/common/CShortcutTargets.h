#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Reads the targets of many shortcuts in one folder, each relative to the
// folder opened once: a long run of reads then costs no walk of the folder's
// own path each. The bytes are those the file system holds; a target that is
// not a clean absolute path, or a shortcut of another kind, takes the
// shortcut reader's long way.
class CShortcutTargets {
public:
    explicit CShortcutTargets(const QString& folder);
    ~CShortcutTargets();
    CShortcutTargets(const CShortcutTargets&) = delete;
    CShortcutTargets& operator=(const CShortcutTargets&) = delete;

    // The document shortcut stands for, or empty when it names none.
    QByteArray DocumentOf(QByteArrayView shortcut) const;

private:
    QByteArray m_folder; // ends in a slash
    int m_dir = -1;
};
