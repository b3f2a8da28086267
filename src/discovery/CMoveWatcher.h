#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <utility>

class QSocketNotifier;

// Watches folders (inotify, read through the event loop) and reports renames
// and moves between them: a file or folder leaving one watched folder and
// arriving in another (or the same) under one cookie is one move. Moves out
// of the watched folders are not reported; the owner finds those documents
// missing later; OnGone tells at once that something left a watched folder
// for good, or for a folder no watch sees.
//
// The system grants each user a limited number of watches
// (/proc/sys/fs/inotify/max_user_watches). When that limit, or the one set
// here, is reached, no further folder is watched and OnWatchLimit is raised
// once; the owner relies on its repair for the rest.
class CMoveWatcher : public QObject {
    Q_OBJECT
public:
    explicit CMoveWatcher(QObject* parent = nullptr);
    ~CMoveWatcher() override;

    // Starts watching folder; true when it is watched now. A folder already
    // watched costs nothing.
    bool Watch(const QString& folder);
    bool IsWatched(const QString& folder) const;
    qsizetype WatchCount() const { return m_folders.size(); }
    bool LimitReached() const { return m_limitReached; }
    // Most watches this object adds; 0 leaves it to the system's limit.
    qint32 WatchLimit() const { return m_limit; }
    void setWatchLimit(qint32 value) { m_limit = value; }
    // The system's limit per user, or -1 when it cannot be read.
    static qint64 SystemWatchLimit();

signals:
    // A file (or a folder, with IsFolder) moved from From to To.
    void OnMoved(const QString& From, const QString& To, bool IsFolder);
    void OnWatchLimit();
    // The system's event queue overflowed: moves in any watched folder may
    // have been lost.
    void OnOverflow();
    // A file deleted from a watched folder, or a file or folder (IsFolder)
    // that left one without arriving in another within a moment (moved to
    // the trash, say). A move that completes later is still reported.
    void OnGone(const QString& Path, bool IsFolder);

private:
    void ReadEvents();
    void Moved(const QString& from, const QString& to, bool isFolder);
    void ReachLimit();
    void TellUnpaired();
    void WatchCreated(const QString& folder);
    struct Left;
    bool ArrivedUnseen(quint32 cookie, const Left& left);

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QHash<int, QString> m_folders; // watch descriptor -> folder with trailing "/"
    QHash<QString, int> m_watches; // folder with trailing "/" -> watch descriptor
    struct Left {
        QString path;
        bool isFolder = false;
        bool told = false; // OnGone raised while it waited
    };
    QHash<quint32, Left> m_from; // cookie -> what left, awaiting its arrival
    // Folders made lately under watched ones (trailing "/"), with when.
    QList<std::pair<QString, qint64>> m_created;
    QTimer* m_unpaired = nullptr;
    qint32 m_limit = 0;
    bool m_limitReached = false;
};
