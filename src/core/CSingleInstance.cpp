#include "CSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {

// Long enough for a busy process to answer, short enough that a stale socket
// left by a crash does not hold up the start noticeably.
constexpr int kConnectTimeoutMs = 1000;
const QByteArray kActivate = QByteArrayLiteral("activate\n");
const QByteArray kChanged = QByteArrayLiteral("changed\n");
// Followed by the paths as the file system spells them, each ended by a NUL,
// in base64: any byte a name may hold passes in one line.
const QByteArray kCategories = QByteArrayLiteral("categories ");
// A start that lost the lock waits this long for the winner to answer.
constexpr int kClaimStepMs = 100;
constexpr qint64 kClaimTimeoutMs = 10000;

} // namespace

CSingleInstance::CSingleInstance(const QString& repositoryPath, QObject* parent)
    : QObject(parent), m_name(ServerName(repositoryPath)),
      m_lockPath(QFileInfo(repositoryPath).absolutePath() + QStringLiteral("/vollo.lock")),
      m_handOver(kActivate) {}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::Claim() {
    if (HandOver())
        return false;
    QDir().mkpath(QFileInfo(m_lockPath).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Held for the whole run; a crashed holder's lock is taken over.
    m_lock->setStaleLockTime(0);
    QElapsedTimer waited;
    waited.start();
    while (!m_lock->tryLock(kClaimStepMs)) {
        // A folder where no lock can be made: the repository's own opening
        // will say what is wrong with it.
        if (m_lock->error() != QLockFile::LockFailedError)
            break;
        if (HandOver())
            return false;
        if (waited.elapsed() >= kClaimTimeoutMs) {
            qWarning("Vollo: another Vollo holds %s but does not answer.",
                     qUtf8Printable(m_lockPath));
            return false;
        }
    }
    Listen();
    return true;
}

QString CSingleInstance::ServerName(const QString& repositoryPath) {
    // The same repository reached through another spelling of its path must
    // give the same name; the socket name has a length limit, so a digest.
    QString canonical = QFileInfo(repositoryPath).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QFileInfo(repositoryPath).absoluteFilePath();
    const QByteArray digest =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("vollo-") + QString::fromLatin1(digest);
}

bool CSingleInstance::HandOver() {
    return Send(m_handOver);
}

void CSingleInstance::setHandOverPaths(const QStringList& Paths) {
    QByteArray names;
    for (const QString& path : Paths)
        names += QFile::encodeName(path) + '\0';
    m_handOver = Paths.isEmpty() ? kActivate : kCategories + names.toBase64() + '\n';
}

bool CSingleInstance::TellChanged() {
    return Send(kChanged);
}

bool CSingleInstance::Send(const QByteArray& message) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(message);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs))
        return false;
    socket.disconnectFromServer();
    return true;
}

bool CSingleInstance::Listen() {
    m_server = new QLocalServer(this);
    // Only the same user may ask for the window.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // Nobody answered HandOver, so the socket file is a crash's leftover.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::AcceptConnections);
    return true;
}

void CSingleInstance::AcceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine())
                Received(socket->readLine());
        });
    }
}

void CSingleInstance::Received(const QByteArray& Line) {
    if (Line == kActivate) {
        emit OnActivate();
    } else if (Line == kChanged) {
        emit OnChanged();
    } else if (Line.startsWith(kCategories) && Line.endsWith('\n')) {
        const QByteArray names = QByteArray::fromBase64(
            Line.sliced(kCategories.size(), Line.size() - kCategories.size() - 1));
        QStringList paths;
        for (const QByteArray& name : names.split('\0'))
            if (!name.isEmpty())
                paths << QFile::decodeName(name);
        if (!paths.isEmpty())
            emit OnCategories(paths);
    }
}
