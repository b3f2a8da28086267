#include "CMoveWatcher.h"

#include "BM_Library.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr quint32 kMask =
    IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE | IN_CREATE | IN_ONLYDIR | IN_DONT_FOLLOW;
// The two halves of a move come in one read as a rule; a half alone after
// this long left for a place no watch sees.
constexpr int kPairingMs = 250;
// A folder made this long before a move out of sight may be where the
// document went before its watch took hold.
constexpr qint64 kArrivalMs = 3000;

} // namespace

CMoveWatcher::CMoveWatcher(QObject* parent) : QObject(parent) {
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    m_unpaired = new QTimer(this);
    m_unpaired->setSingleShot(true);
    m_unpaired->setInterval(kPairingMs);
    connect(m_unpaired, &QTimer::timeout, this, &CMoveWatcher::TellUnpaired);
    connect(m_notifier, &QSocketNotifier::activated, this, &CMoveWatcher::ReadEvents);
}

CMoveWatcher::~CMoveWatcher() {
    delete m_notifier;
    if (m_fd >= 0)
        close(m_fd);
}

qint64 CMoveWatcher::SystemWatchLimit() {
    QFile file(QStringLiteral("/proc/sys/fs/inotify/max_user_watches"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const qint64 limit = file.readAll().trimmed().toLongLong(&ok);
    return ok ? limit : -1;
}

bool CMoveWatcher::IsWatched(const QString& folder) const {
    return m_watches.contains(BM_Library::AddBackslash(folder));
}

bool CMoveWatcher::Watch(const QString& folder) {
    const QString key = BM_Library::AddBackslash(folder);
    if (m_watches.contains(key))
        return true;
    if (m_fd < 0 || m_limitReached)
        return false;
    if (m_limit > 0 && m_watches.size() >= m_limit) {
        ReachLimit();
        return false;
    }
    const int wd = inotify_add_watch(m_fd, QFile::encodeName(key).constData(), kMask);
    if (wd < 0) {
        if (errno == ENOSPC)
            ReachLimit();
        return false;
    }
    m_folders.insert(wd, key);
    m_watches.insert(key, wd);
    return true;
}

void CMoveWatcher::ReachLimit() {
    if (m_limitReached)
        return;
    m_limitReached = true;
    emit OnWatchLimit();
}

void CMoveWatcher::ReadEvents() {
    alignas(inotify_event) char buffer[64 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t n = read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
            if (ev->mask & IN_Q_OVERFLOW) {
                emit OnOverflow();
                continue;
            }
            if (ev->mask & IN_IGNORED) {
                m_watches.remove(m_folders.take(ev->wd));
                continue;
            }
            const auto folder = m_folders.constFind(ev->wd);
            if (folder == m_folders.constEnd() || ev->len == 0)
                continue;
            const QString path = *folder + QFile::decodeName(ev->name);
            if (ev->mask & IN_MOVED_FROM) {
                // A file moved out of sight never pairs; keep the table small.
                if (m_from.size() > 1024)
                    m_from.clear();
                m_from.insert(ev->cookie, {path, (ev->mask & IN_ISDIR) != 0});
                m_unpaired->start();
            } else if (ev->mask & IN_MOVED_TO) {
                const Left from = m_from.take(ev->cookie);
                if (!from.path.isEmpty())
                    Moved(from.path, path, (ev->mask & IN_ISDIR) != 0);
            } else if ((ev->mask & IN_CREATE) && (ev->mask & IN_ISDIR)) {
                WatchCreated(path);
            } else if ((ev->mask & IN_DELETE) && !(ev->mask & IN_ISDIR)) {
                emit OnGone(path, false);
            }
        }
    }
}

void CMoveWatcher::WatchCreated(const QString& folder) {
    // A document moved into a new folder must still be seen arriving; what
    // was made inside before the watch took hold (mkdir -p) is watched too.
    if (m_created.size() > 64)
        m_created.removeFirst();
    m_created.append({BM_Library::AddBackslash(folder), QDateTime::currentMSecsSinceEpoch()});
    if (!Watch(folder))
        return;
    const QStringList inside =
        QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : inside)
        WatchCreated(folder + QLatin1Char('/') + name);
}

bool CMoveWatcher::ArrivedUnseen(quint32 cookie, const Left& left) {
    // Moved into a new folder before its watch took hold: the arrival was
    // never told, but the document is there under its name.
    const QString name = left.path.mid(left.path.lastIndexOf(QLatin1Char('/')) + 1);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const auto& [folder, made] : std::as_const(m_created)) {
        if (now - made > kArrivalMs || folder + name == left.path ||
            !QFileInfo::exists(folder + name))
            continue;
        m_from.remove(cookie);
        Moved(left.path, folder + name, left.isFolder);
        return true;
    }
    return false;
}

void CMoveWatcher::TellUnpaired() {
    const QList<quint32> cookies = m_from.keys();
    for (quint32 cookie : cookies) {
        const auto it = m_from.constFind(cookie);
        if (it != m_from.constEnd() && !it->told)
            ArrivedUnseen(cookie, Left(*it));
    }
    // Kept after telling: a move that pairs late still re-points.
    for (Left& left : m_from) {
        if (!left.told) {
            left.told = true;
            emit OnGone(left.path, left.isFolder);
        }
    }
}

void CMoveWatcher::Moved(const QString& from, const QString& to, bool isFolder) {
    if (isFolder) {
        // Watches inside the moved folder go with it: keep their paths true.
        const QString oldPrefix = from + QLatin1Char('/');
        const QString newPrefix = to + QLatin1Char('/');
        for (auto it = m_folders.begin(); it != m_folders.end(); ++it) {
            if (!it->startsWith(oldPrefix))
                continue;
            m_watches.remove(*it);
            *it = newPrefix + it->mid(oldPrefix.size());
            m_watches.insert(*it, it.key());
        }
    }
    emit OnMoved(from, to, isFolder);
}
