#pragma once

#include "CCollectWalk.h"
#include "CWalkProgress.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

class CFileCollector;
class CPathFinder;
class CVolloDB;
class QWidget;

// The collecting walk as the window runs it: CCollectWalk's work with the
// progress window and its Cancel shown while a folder is walked.
class CDocumentWalk : public QObject {
    Q_OBJECT
public:
    CDocumentWalk(CVolloDB& repository, CPathFinder& Finder, CFileCollector& Collector,
                  QWidget* owner);
    ~CDocumentWalk() override;

    // See CCollectWalk; false when the user cancelled the walk.
    bool Run(const QString& folder, qint32 TagID = 0) { return m_walk.Run(folder, TagID); }
    void CollectDrop(const QStringList& Files, const QStringList& Folders, qint32 TagID) {
        m_walk.CollectDrop(Files, Folders, TagID);
    }
    void Found(const QString& FileName) { m_walk.Found(FileName); }

    // The progress window of the running walk, or nullptr.
    CWalkProgress* Progress() const { return m_progress.get(); }
    // Documents collected by the last walk.
    qint64 Count() const { return m_walk.Count(); }

private:
    void Walk_OnBegin();
    void Walk_OnEnd();

    CCollectWalk m_walk;
    QPointer<QWidget> m_owner;
    std::unique_ptr<CWalkProgress> m_progress;
};
