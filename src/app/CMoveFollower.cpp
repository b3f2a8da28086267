#include "CMoveFollower.h"

#include "AM_Vollo.h"
#include "CError.h"
#include "CMoveWatcher.h"
#include "CShortcutRelinker.h"
#include "CWalkProgress.h"
#include "FormChooseMove.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QScopeGuard>
#include <algorithm>

namespace {

// How long after a re-pointing a vanished document may be an editor's save.
constexpr qint64 kSafeSaveMs = 10000;
// How long the watcher stays quiet after an overflow before the search runs.
constexpr int kSettleMs = 500;

bool Exists(const QString& path) {
    return CMoveRepair::Exists(path);
}

} // namespace

CMoveFollower::CMoveFollower(QWidget* owner)
    : QObject(owner), m_owner(owner), m_watcher(new CMoveWatcher(this)) {
    connect(m_watcher, &CMoveWatcher::OnMoved, this, &CMoveFollower::Watcher_OnMoved);
    connect(m_watcher, &CMoveWatcher::OnWatchLimit, this, &CMoveFollower::Watcher_OnWatchLimit);
    connect(m_watcher, &CMoveWatcher::OnGone, this, &CMoveFollower::Watcher_OnGone);
    // Searched for once the burst that overflowed the queue has settled, and
    // never from inside a repair that is running.
    m_lost = new QTimer(this);
    m_lost->setSingleShot(true);
    m_lost->setInterval(kSettleMs);
    connect(m_watcher, &CMoveWatcher::OnOverflow, m_lost, qOverload<>(&QTimer::start));
    connect(m_lost, &QTimer::timeout, this, [this] {
        if (m_repairing)
            m_lost->start();
        else
            emit OnMovesLost();
    });
}

CMoveFollower::~CMoveFollower() = default;

void CMoveFollower::setDocuments(QList<Document> documents) {
    // Taken over rather than copied: the list is every registered document.
    // Each file has a shortcut of its own, so none replaces another here.
    m_documents = std::move(documents);
    // The index by path is made when a change on the disk first asks for
    // it: at the start it cost a tenth of the time to the window, and a
    // session without moves never needs it.
    m_byPath.clear();
    m_byPathMade = false;
    m_earlier.clear();
    QStringView lastFolder;
    for (qsizetype i = 0; i < m_documents.size(); ++i) {
        const QString& path = m_documents[i].Stored.Path;
        // Documents registered together mostly share their folder: its
        // watches are asked for once for each run of them.
        const QStringView folder =
            QStringView(path).left(std::max<qsizetype>(path.lastIndexOf(QLatin1Char('/')), 0));
        if (i > 0 && folder == lastFolder)
            continue;
        lastFolder = folder;
        WatchAround(path);
    }
}

QHash<QString, qsizetype>& CMoveFollower::ByPath() {
    if (!m_byPathMade) {
        m_byPath.reserve(m_documents.size());
        // In order: of two documents at one path, the later one is found.
        for (qsizetype i = 0; i < m_documents.size(); ++i)
            m_byPath.insert(m_documents[i].Stored.Path, i);
        m_byPathMade = true;
    }
    return m_byPath;
}

void CMoveFollower::Follow(const Document& document) {
    QHash<QString, qsizetype>& byPath = ByPath();
    const auto known = byPath.constFind(document.Stored.Path);
    if (known != byPath.constEnd() && m_documents[*known].Shortcut == document.Shortcut) {
        m_documents[*known] = document;
        return;
    }
    byPath.insert(document.Stored.Path, m_documents.size());
    m_documents << document;
    WatchAround(document.Stored.Path);
}

void CMoveFollower::WatchAround(const QString& path) {
    // The folder above too: a renamed folder is a move seen from there.
    const QString folder = QFileInfo(path).path();
    if (m_watcher->Watch(folder) && folder != QLatin1String("/"))
        m_watcher->Watch(QFileInfo(folder).path());
}

bool CMoveFollower::Relink(qsizetype index, const QString& newPath) {
    Document& d = m_documents[index];
    const QString oldPath = d.Stored.Path;
    if (!AM_Vollo::Guard([&] { CShortcutRelinker::Relink(d.Shortcut, newPath); }, m_owner))
        return false;
    // Two documents that traded names: the other one may hold oldPath now.
    QHash<QString, qsizetype>& byPath = ByPath();
    if (byPath.value(oldPath, -1) == index)
        byPath.remove(oldPath);
    m_earlier.insert(index, {oldPath, QDateTime::currentMSecsSinceEpoch()});
    d.Stored.Path = newPath;
    byPath.insert(newPath, index);
    WatchAround(newPath);
    emit OnRelinked(d.FileID, d.Shortcut, oldPath, newPath);
    return true;
}

void CMoveFollower::Watcher_OnMoved(const QString& From, const QString& To, bool IsFolder) {
    const QHash<QString, qsizetype>& byPath = ByPath();
    if (!IsFolder) {
        const auto it = byPath.constFind(From);
        if (it != byPath.constEnd())
            Relink(*it, To);
        return;
    }
    const QString prefix = From + QLatin1Char('/');
    QList<qsizetype> inside;
    for (auto it = byPath.constBegin(); it != byPath.constEnd(); ++it)
        if (it.key().startsWith(prefix))
            inside << *it;
    for (qsizetype index : inside)
        Relink(index, To + m_documents[index].Stored.Path.mid(From.size()));
}

void CMoveFollower::Watcher_OnGone(const QString& Path, bool IsFolder) {
    QList<qsizetype> gone;
    const QHash<QString, qsizetype>& byPath = ByPath();
    if (IsFolder) {
        const QString prefix = Path + QLatin1Char('/');
        for (auto it = byPath.constBegin(); it != byPath.constEnd(); ++it)
            if (it.key().startsWith(prefix))
                gone << *it;
    } else if (const auto it = byPath.constFind(Path); it != byPath.constEnd()) {
        gone << *it;
    }
    // Only what is really not there: a new file may already have its name.
    for (qsizetype index : gone) {
        const Document& d = m_documents[index];
        if (Exists(d.Stored.Path))
            continue;
        // An editor's safe save: the document renamed to a backup, written
        // anew under its name, the backup deleted, all within moments.
        const Earlier earlier = m_earlier.value(index);
        if (!earlier.path.isEmpty() && Exists(earlier.path) &&
            QDateTime::currentMSecsSinceEpoch() - earlier.at < kSafeSaveMs) {
            Relink(index, earlier.path);
            continue;
        }
        emit OnGone(d.FileID);
    }
}

void CMoveFollower::Watcher_OnWatchLimit() {
    Tell(QStringLiteral("WatchLimitNotice"),
         tr("フォルダの監視数がシステムの上限に達しました (%L1)。\n"
            "ほかのフォルダで移動された文書は自動ではつなぎ直されません。"
            "「見つからない文書を探す」で探してください。")
             .arg(CMoveWatcher::SystemWatchLimit()));
}

void CMoveFollower::Tell(const QString& name, const QString& text) {
    // Told without stopping the program: it may come up in the middle of work.
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Vollo"), text,
                                QMessageBox::Ok, m_owner);
    box->setObjectName(name);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QList<CMoveMatcher::Outcome> CMoveFollower::Search(CMoveRepair& repair,
                                                   const QList<qsizetype>& missing) {
    CWalkProgress progress(m_owner);
    progress.setTitle(tr("見つからない文書を探しています..."));
    connect(&repair, &CMoveRepair::OnFolder, &progress, [&](const QString& folder) {
        progress.setFolder(folder);
        progress.setCount(repair.FileCount());
        progress.Pump();
    });
    connect(&progress, &CWalkProgress::OnCancel, &repair, &CMoveRepair::Cancel);
    progress.Begin();
    QList<CMoveMatcher::Outcome> outcomes = repair.Search(m_documents, missing);
    progress.End();
    return outcomes;
}

QList<CMoveFollower::Relinked> CMoveFollower::FollowSwaps(const QList<qsizetype>& displaced) {
    CMoveRepair repair;
    repair.setFingerprinter(m_fingerprint);
    QList<Relinked> done;
    for (const auto& [index, newPath] : repair.FollowSwaps(m_documents, displaced)) {
        const QString oldPath = m_documents[index].Stored.Path;
        if (Relink(index, newPath))
            done << Relinked{m_documents[index].Shortcut, oldPath, newPath};
    }
    return done;
}

QList<CMoveFollower::Relinked> CMoveFollower::Repair(bool Quiet) {
    if (m_repairing)
        return {};
    m_repairing = true;
    const auto repaired = qScopeGuard([this] { m_repairing = false; });
    QList<qsizetype> missing, displaced;
    CMoveRepair::Sort(m_documents, Quiet, &missing, &displaced);
    QList<Relinked> done = FollowSwaps(displaced);
    if (missing.isEmpty()) {
        if (!done.isEmpty())
            Tell(QStringLiteral("RelinkReport"), Report(done));
        else if (!Quiet)
            Tell(QStringLiteral("RelinkReport"), tr("見つからない文書はありません。"));
        return done;
    }
    CMoveRepair repair;
    repair.setFingerprinter(m_fingerprint);
    qsizetype notFound = 0;
    const QList<CMoveMatcher::Outcome> outcomes = Search(repair, missing);
    const bool canceled = repair.IsCanceled();
    for (const CMoveMatcher::Outcome& o : outcomes) {
        const qsizetype index = missing[o.Missing];
        const QString oldPath = m_documents[index].Stored.Path;
        QString newPath;
        if (o.Decision == CMoveMatcher::Verdict::Relink)
            newPath = o.Candidates.front();
        else if (o.Decision == CMoveMatcher::Verdict::Ambiguous)
            newPath = FormChooseMove::Choose(oldPath, o.Candidates, m_owner);
        if (!newPath.isEmpty() && Exists(newPath) && Relink(index, newPath)) {
            done << Relinked{m_documents[index].Shortcut, oldPath, newPath};
        } else if (!canceled) {
            m_documents[index].KnownMissing = true;
            ++notFound;
            emit OnStillMissing(m_documents[index].FileID);
        }
    }
    if (canceled || (done.isEmpty() && Quiet))
        return done;
    if (done.isEmpty()) {
        Tell(QStringLiteral("RelinkReport"),
             tr("%L1 件の見つからない文書の移動先は見つかりませんでした。").arg(missing.size()));
        return done;
    }
    // Those left behind are named too: the user should not take the
    // relinked ones for all that was missing.
    QString text = Report(done);
    if (notFound > 0)
        text += QStringLiteral("\n\n") +
                tr("%Ln 件の文書は見つかりませんでした。", nullptr, int(notFound));
    Tell(QStringLiteral("RelinkReport"), text);
    return done;
}

QString CMoveFollower::Report(const QList<Relinked>& relinked, qint32 Shown) {
    QString text = tr("%L1 件の文書をつなぎ直しました。").arg(relinked.size());
    for (qsizetype i = 0; i < relinked.size() && i < Shown; ++i)
        text += QLatin1Char('\n') + QDir::toNativeSeparators(relinked[i].OldPath) +
                QStringLiteral(" → ") + QDir::toNativeSeparators(relinked[i].NewPath);
    if (relinked.size() > Shown)
        text += QStringLiteral("\n…");
    return text;
}
