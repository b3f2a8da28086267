#pragma once

#include "CMoveMatcher.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The one walk behind finding moved documents: it goes through the folders
// where they most likely went, each folder once, and hands the files that
// could be a missing document to a CMoveMatcher. It follows the path
// finder's rules: hidden entries are skipped, symbolic links are never
// followed (nor taken), and names that cannot be kept as text are passed by.
// Only files of a size (or inode) that some missing document has are read
// for a fingerprint, so the walk costs little more than listing the trees.
class CMoveSearch : public QObject {
    Q_OBJECT
public:
    // The fingerprint of a file, or nothing when it cannot be read.
    using Fingerprinter = std::function<std::optional<quint64>(const QString&)>;

    explicit CMoveSearch(QObject* parent = nullptr);

    void setFingerprinter(Fingerprinter f) { m_fingerprint = std::move(f); }

    // Where to look, each tree once: the old folder of every missing
    // document (or its nearest folder still there, but never the home folder's
    // parents), the documents folder, and the folders of the documents still
    // present. Folders inside another listed one are dropped.
    static QStringList Roots(const QList<CMoveMatcher::Facts>& Missing,
                             const QStringList& PresentPaths, const QString& Documents,
                             const QString& Home);

    // Walks Roots and adds every possible match to Matcher. Returns false when
    // cancelled.
    bool Search(CMoveMatcher& Matcher, const QStringList& Roots);
    // Files looked at by the last search.
    qint64 FileCount() const { return m_files; }

public slots:
    void Cancel() { m_cancelled = true; }

signals:
    // The walk enters a folder, for progress display.
    void OnFolder(const QString& folder);

private:
    void Walk(CMoveMatcher& Matcher, const QString& folder);

    Fingerprinter m_fingerprint;
    qint64 m_files = 0;
    bool m_cancelled = false;
};
