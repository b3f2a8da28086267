#include "CPathFinder.h"

#include "BM_Library.h"
#include "CBusyIndicator.h"
#include "CError.h"
#include "CLeftOut.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Ucs4 = QList<uint>;

bool MatchUcs4(const Ucs4& pattern, const Ucs4& name) {
    // Greedy match with one backtrack point per star: linear for the usual
    // patterns, never exponential.
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// The pattern folded for case-free comparison, plus the form without a
// trailing ".*" that directory searches also accept ("*.*" matches "README").
struct CompiledPattern {
    bool matchAll = false;
    Ucs4 full;
    Ucs4 withoutDotStar;
    bool hasDotStar = false;

    explicit CompiledPattern(const QString& pattern) {
        const QString folded = pattern.toCaseFolded();
        full = folded.toUcs4();
        if (folded.endsWith(QLatin1String(".*"))) {
            hasDotStar = true;
            withoutDotStar = folded.chopped(2).toUcs4();
        }
        const Ucs4& shortest = hasDotStar ? withoutDotStar : full;
        matchAll = !shortest.isEmpty() &&
                   std::all_of(shortest.begin(), shortest.end(), [](uint c) { return c == '*'; });
    }

    bool Matches(const QString& name) const {
        if (matchAll)
            return true;
        const Ucs4 folded = name.toCaseFolded().toUcs4();
        return MatchUcs4(full, folded) || (hasDotStar && MatchUcs4(withoutDotStar, folded));
    }
};

constexpr qint64 kEpochTo1601Seconds = 11644473600LL;

struct Entry {
    QString name;
    qsizetype rawSize; // the name's length in bytes, as the file system has it
    bool faithful;     // the name survives decoding and encoding unchanged
    bool isDir;
    bool statted;
    struct stat st;
};

} // namespace

struct CPathFinder::Walk {
    CPathFinder* self;
    qint32 mask;
    CompiledPattern pattern;
    uid_t euid = geteuid();
    std::vector<gid_t> groups;
    // Files of one tree often share their modification second; formatting a
    // date through the locale is the dearest step of a hit.
    QHash<qint64, QString> ageTexts;

    Walk(CPathFinder* finder, qint32 attributeMask, const QString& pat)
        : self(finder), mask(attributeMask), pattern(pat) {
        groups.push_back(getegid());
        const int count = getgroups(0, nullptr);
        if (count > 0) {
            std::vector<gid_t> more(static_cast<size_t>(count));
            const int got = getgroups(count, more.data());
            if (got > 0)
                groups.insert(groups.end(), more.begin(), more.begin() + got);
        }
    }

    bool Writable(const struct stat& st) const {
        // Root may write anything; a file that grants nobody write access
        // is still what its owner would call read-only.
        if (euid == 0)
            return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
        if (st.st_uid == euid)
            return st.st_mode & S_IWUSR;
        if (std::find(groups.begin(), groups.end(), st.st_gid) != groups.end())
            return st.st_mode & S_IWGRP;
        return st.st_mode & S_IWOTH;
    }

    qint32 Attributes(const Entry& e) const {
        qint32 attributes = e.isDir ? AttrDirectory : AttrArchive;
        if (!Writable(e.st))
            attributes |= AttrReadOnly;
        if (e.name.startsWith(QLatin1Char('.')))
            attributes |= AttrHidden;
        return attributes ? attributes : AttrNormal;
    }

    // Hidden folders (caches, version control, trash, profiles) hold the
    // programs' files, not the user's documents: they are entered only when
    // hidden entries are asked for.
    bool Enters(const Entry& e) const {
        return (mask & AttrHidden) || !e.name.startsWith(QLatin1Char('.'));
    }

    QString AgeText(const struct stat& st) {
        const qint64 seconds = static_cast<qint64>(st.st_mtim.tv_sec);
        auto it = ageTexts.constFind(seconds);
        if (it != ageTexts.constEnd())
            return *it;
        const qint64 ticks = (seconds + kEpochTo1601Seconds) * 10000000LL +
                             static_cast<qint64>(st.st_mtim.tv_nsec) / 100;
        if (ageTexts.size() >= 4096)
            ageTexts.clear();
        return *ageTexts.insert(seconds, BM_Library::FileTimeText(ticks));
    }

    // The listing is read whole and closed before anything is reported or
    // descended into, so the walk holds one descriptor at any depth.
    bool List(const QString& folder, std::vector<Entry>& entries) {
        DIR* dir = opendir(QFile::encodeName(folder).constData());
        if (!dir) {
            // A folder that is simply not there has nothing to leave out.
            if (errno != ENOENT && errno != ENOTDIR)
                emit self->OnLeftOut(folder, CLeftOut::ReasonFor(errno));
            return false;
        }
        const int fd = dirfd(dir);
        // Folders are never reported unless the mask allows bit 16, so
        // their facts are only fetched when they could be.
        const bool needDirFacts = (mask & AttrDirectory) != 0;
        while (const dirent* de = readdir(dir)) {
            const char* raw = de->d_name;
            if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
                continue;
            Entry e{};
            e.name = QFile::decodeName(raw);
            e.rawSize = qsizetype(std::strlen(raw));
            e.faithful = CLeftOut::IsFaithfulName(raw, e.rawSize, e.name);
            if (!pattern.Matches(e.name))
                continue;
            e.statted = false;
            if (de->d_type == DT_DIR && !needDirFacts) {
                e.isDir = true;
            } else {
                if (fstatat(fd, raw, &e.st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue; // gone since the listing
                e.statted = true;
                e.isDir = S_ISDIR(e.st.st_mode);
            }
            entries.push_back(std::move(e));
        }
        closedir(dir);
        return true;
    }

    void Folder(const QString& folderText) {
        if (folderText.isEmpty() || self->m_cancelled)
            return;
        const QString folder = BM_Library::AddBackslash(folderText);
        emit self->OnFolder(folder);

        std::vector<Entry> entries;
        if (!List(folder, entries))
            return;
        const qsizetype folderSize = QFile::encodeName(folder).size();

        for (const Entry& e : entries) {
            if (self->m_cancelled)
                return;
            const QString fullPath = folder + e.name;
            if (folderSize + e.rawSize >= PATH_MAX) {
                // A folder is told with its separator: the documents in it
                // are what is left out.
                if (!e.isDir)
                    emit self->OnLeftOut(fullPath, CLeftOut::ReasonFor(ENAMETOOLONG));
                else if (self->m_includeSubFolder && Enters(e))
                    emit self->OnLeftOut(fullPath + QLatin1Char('/'),
                                         CLeftOut::ReasonFor(ENAMETOOLONG));
                continue;
            }
            if (!e.faithful) {
                // The name cannot be written back byte for byte: a shortcut
                // made from it would point nowhere, so it is only told.
                if (e.isDir && self->m_includeSubFolder && Enters(e))
                    emit self->OnLeftOut(fullPath + QLatin1Char('/'), CLeftOut::BadNameReason());
                else if (e.statted && (mask & Attributes(e)) == Attributes(e))
                    emit self->OnLeftOut(fullPath, CLeftOut::BadNameReason());
                continue;
            }
            if (e.statted) {
                const qint32 attributes = Attributes(e);
                if ((mask & attributes) == attributes) {
                    if (self->m_foundCount == std::numeric_limits<qint32>::max())
                        throw CError(EOVERFLOW,
                                     QStringLiteral("The count of found files overflowed"));
                    ++self->m_foundCount;
                    self->m_foundStat = &e.st;
                    const auto told = qScopeGuard([this] { self->m_foundStat = nullptr; });
                    emit self->OnFound(fullPath, AgeText(e.st));
                }
            }
            if (e.isDir && self->m_includeSubFolder && Enters(e))
                Folder(fullPath);
        }
    }
};

CPathFinder::CPathFinder(QObject* parent) : QObject(parent) {}

CPathFinder::~CPathFinder() = default;

void CPathFinder::FindFile(const QString& FilePath) {
    m_filePath = FilePath;
    m_cancelled = false;
    emit OnBegin();
    {
        CBusyIndicator busy;
        m_foundCount = 0;
        if (m_archive)
            m_attributeEx |= AttrArchive;
        if (m_readOnly)
            m_attributeEx |= AttrReadOnly;
        if (m_directory)
            m_attributeEx |= AttrDirectory;
        if (m_hidden)
            m_attributeEx |= AttrHidden;
        if (m_system)
            m_attributeEx |= AttrSystem;
        Walk walk(this, m_attributeEx, m_pattern);
        walk.Folder(FilePath);
    }
    emit OnFinish(m_foundCount);
}

void CPathFinder::Cancel() {
    m_cancelled = true;
}
