#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

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

    // Asks a running Vollo on the same repository to come forward. True when
    // one answered: this start has nothing more to do.
    bool HandOver();
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

private:
    void AcceptConnections();
    bool Send(const QByteArray& message);

    QString m_name;
    QLocalServer* m_server = nullptr;
};
