#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLockFile;

// One running Vollo per repository. The first start listens on a local
// socket named after the repository file; a later start connects to it, which
// asks the running one to bring its window forward, and then ends. A command
// run from the shell tells the running one through the same socket that it
// changed the repository.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(const QString& repositoryPath, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // Makes this process the one Vollo on the repository, before anything of
    // it is touched: a lock in its folder decides between starts made at the
    // same instant, and the lock's holder answers later starts. False when
    // another one runs and was asked to come forward (or is still starting).
    bool Claim();
    // Asks a running Vollo on the same repository to come forward. True when
    // one answered: this start has nothing more to do.
    bool HandOver();
    // What HandOver asks from now on: open the category dialog on these
    // files (absolute paths) instead of only coming forward.
    void setHandOverPaths(const QStringList& Paths);
    // Tells a running Vollo on the same repository that it was changed from
    // elsewhere. False when none answered, which is no fault.
    bool TellChanged();
    // Starts answering later starts. False when the socket cannot be made;
    // the program still runs, only without the hand-off.
    bool Listen();

    // The socket's name for a repository file.
    static QString ServerName(const QString& repositoryPath);

signals:
    // A later start asked for the window.
    void OnActivate();
    // A command changed the repository.
    void OnChanged();
    // A later start asked for the category dialog on these files.
    void OnCategories(const QStringList& Paths);

private:
    void AcceptConnections();
    bool Send(const QByteArray& message);
    void Received(const QByteArray& Line);

    QString m_name;
    QString m_lockPath;
    QByteArray m_handOver;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
