#pragma once

#include <QHash>
#include <QList>

class CTagMirror;
class CVolloDB;

// The category links of many documents at once: a selection of a file list
// linked to a category or taken out of it, and which categories the selection
// carries. Each write is one transaction, all or nothing: a failure leaves the
// repository as it was and reaches the caller.
class CCategoryLinks {
public:
    explicit CCategoryLinks(CVolloDB& repository);

    // Links every file to TagID unless it is linked already; the root (0),
    // extension categories' IDs and file IDs below 1 are never linked.
    // Returns the number of links added.
    qint32 LinkFiles(const QList<qint32>& FileIDs, qint32 TagID);
    // Takes every file out of TagID only; its other links stay. Returns the
    // number of links removed.
    qint32 UnlinkFiles(const QList<qint32>& FileIDs, qint32 TagID);
    // For every category of TagIDs, how many of FileIDs carry it.
    QHash<qint32, qint32> CountTags(const QList<qint32>& FileIDs, const QList<qint32>& TagIDs);

    // Told the documents whose links changed, after each write.
    void setTagMirror(CTagMirror* Mirror) { m_mirror = Mirror; }

private:
    QList<qint32> LinkedFiles(qint32 TagID);

    CVolloDB& m_repository;
    CTagMirror* m_mirror = nullptr;
};
