#include "CMoveRepair.h"

#include "BM_Library.h"
#include "CRecordset.h"
#include "CVolloDB.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <algorithm>

#include <sys/stat.h>

namespace {

// The facts of the file now at path, or nothing when no regular file is there.
std::optional<CMoveMatcher::Facts> Now(const QString& path) {
    struct stat st;
    if (stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return CMoveMatcher::Facts{path, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                               qint64(st.st_mtim.tv_sec)};
}

} // namespace

CMoveRepair::CMoveRepair(QObject* parent) : QObject(parent) {
    connect(&m_search, &CMoveSearch::OnFolder, this, &CMoveRepair::OnFolder);
}

void CMoveRepair::setFingerprinter(CMoveSearch::Fingerprinter f) {
    m_fingerprint = std::move(f);
}

CMoveSearch::Fingerprinter CMoveRepair::Fingerprinter() const {
    return m_fingerprint ? m_fingerprint : CMoveMatcher::FingerprintOf;
}

bool CMoveRepair::Exists(const QString& path) {
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QList<CMoveRepair::Document> CMoveRepair::Registered(CVolloDB& repository) {
    // Both lists in the order of their IDs, read without a recordset and
    // merged: the whole repository passes through here at every start and
    // every drop, and a table of it by ID beside a recordset of every file
    // cost more memory than the documents themselves.
    const CFactStore::FactList facts = repository.AllFacts();
    return Registered(repository.RunFileList(repository.GetQuery(QStringLiteral("getFileNameAll"))),
                      facts);
}

QList<CMoveRepair::Document> CMoveRepair::Registered(QList<std::pair<qint32, QString>> files,
                                                     const CFactStore::FactList& facts) {
    // The list may be shared with the window's: read, not written, unless
    // it is out of order.
    const auto byID = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(files.cbegin(), files.cend(), byID))
        std::sort(files.begin(), files.end(), byID);
    QList<Document> documents;
    documents.reserve(std::min(facts.size(), files.size()));
    auto known = facts.cbegin();
    for (const auto& [id, shortcut] : std::as_const(files)) {
        while (known != facts.cend() && known->first < id)
            ++known;
        if (known != facts.cend() && known->first == id)
            documents.append(Document{id, shortcut, CMoveMatcher::FromStored(known->second),
                                      known->second.missing});
    }
    return documents;
}

void CMoveRepair::Sort(const QList<Document>& Documents, bool SkipKnownMissing,
                       QList<qsizetype>* Missing, QList<qsizetype>* Displaced) {
    for (qsizetype i = 0; i < Documents.size(); ++i) {
        const Document& d = Documents[i];
        if (SkipKnownMissing && d.KnownMissing)
            continue;
        // One lstat answers both questions unless the document is itself a
        // link: a start checks every registered document.
        struct stat st;
        if (lstat(QFile::encodeName(d.Stored.Path).constData(), &st) != 0) {
            *Missing << i;
            continue;
        }
        if (d.Stored.Inode == 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            if (const auto now = Now(d.Stored.Path); now && now->Inode != d.Stored.Inode)
                *Displaced << i;
        } else if (S_ISREG(st.st_mode) && quint64(st.st_ino) != d.Stored.Inode) {
            *Displaced << i;
        }
    }
}

QList<CMoveRepair::Move> CMoveRepair::FollowSwaps(const QList<Document>& Documents,
                                                  const QList<qsizetype>& Displaced) const {
    // Documents renamed in turn while the program was closed (a to a
    // temporary name, b to a, the temporary name to b) each hold the other's
    // path. Only the paths of such documents are looked at: a document
    // replaced in place (a safe save, a backup beside it) keeps its path.
    CMoveMatcher matcher;
    QList<CMoveMatcher::Facts> stored;
    for (qsizetype index : Displaced)
        stored << Documents[index].Stored;
    matcher.setMissing(stored);
    const auto fingerprint = Fingerprinter();
    for (const CMoveMatcher::Facts& facts : std::as_const(stored)) {
        std::optional<CMoveMatcher::Facts> now = Now(facts.Path);
        if (!now || !matcher.IsCandidate(now->Device, now->Inode, now->Size))
            continue;
        if (matcher.NeedsFingerprint(*now)) {
            const std::optional<quint64> print = fingerprint(now->Path);
            now->HasFingerprint = print.has_value();
            now->Fingerprint = print.value_or(0);
        }
        matcher.AddCandidate(*now);
    }
    QList<Move> moves;
    for (const CMoveMatcher::Outcome& o : matcher.Match())
        if (o.By == CMoveMatcher::Rule::Inode && o.Decision == CMoveMatcher::Verdict::Relink)
            moves << Move{Displaced[o.Missing], o.Candidates.front()};
    return moves;
}

QList<CMoveMatcher::Outcome> CMoveRepair::Search(const QList<Document>& Documents,
                                                 const QList<qsizetype>& Missing) {
    QList<CMoveMatcher::Facts> lost;
    for (qsizetype index : Missing)
        lost << Documents[index].Stored;
    const QSet<qsizetype> missingSet(Missing.begin(), Missing.end());
    QStringList present;
    for (qsizetype i = 0; i < Documents.size(); ++i)
        if (!missingSet.contains(i))
            present << Documents[i].Stored.Path;
    CMoveMatcher matcher;
    matcher.setMissing(lost);
    matcher.setTaken(QSet<QString>(present.begin(), present.end()));
    const QString documents = BM_Library::DocumentsFolder();
    const QStringList roots = CMoveSearch::Roots(
        lost, present, documents == QLatin1String("/") ? QString() : documents, QDir::homePath());
    m_search.setFingerprinter(Fingerprinter());
    m_canceled = !m_search.Search(matcher, roots);
    return m_canceled ? QList<CMoveMatcher::Outcome>() : matcher.Match();
}

CFileFacts CMoveRepair::StoreRelinked(CVolloDB& repository, qint32 FileID, const QString& NewPath) {
    CFileFacts facts = CFileFacts::Read(NewPath);
    repository.StoreFacts(FileID, facts);
    return facts;
}
