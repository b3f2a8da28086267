#include "CDuplicateCheck.h"

#include "CFileFacts.h"
#include "CQueryCompiler.h"
#include "CVolloDB.h"

#include <QFile>
#include <QHash>
#include <QMap>
#include <algorithm>
#include <array>
#include <memory>
#include <xxhash.h>

namespace {

struct StateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

} // namespace

CDuplicateCheck::CDuplicateCheck(CVolloDB& repository) : m_repository(repository) {}

std::optional<quint64> CDuplicateCheck::WholeFileHash(const QString& Path) {
    QFile file(Path);
    std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
    if (!state || XXH3_64bits_reset(state.get()) == XXH_ERROR || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    static thread_local std::array<char, 1 << 16> buffer;
    for (;;) {
        const qint64 got = file.read(buffer.data(), qint64(buffer.size()));
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        XXH3_64bits_update(state.get(), buffer.data(), size_t(got));
    }
    return XXH3_64bits_digest(state.get());
}

std::optional<CDuplicateCheck::FileList> CDuplicateCheck::Confirmed(const Progress& Told) {
    const FileList candidates =
        CQueryCompiler(m_repository.Connection()).Run(QStringLiteral("is:duplicate"));
    QList<qint32> ids;
    for (const auto& file : candidates)
        ids << file.first;
    const QHash<qint32, CFileFacts> facts = m_repository.FactsOf(ids);
    // Fingerprint and whole hash -> the files that share them, by ID.
    QMap<std::pair<quint64, quint64>, FileList> groups;
    qint64 done = 0;
    for (const auto& file : candidates) {
        if (Told && !Told(done++, candidates.size()))
            return std::nullopt;
        const CFileFacts fact = facts.value(file.first);
        if (const std::optional<quint64> hash = WholeFileHash(fact.path))
            groups[{fact.fingerprint, *hash}] << file;
    }
    QList<FileList> kept;
    for (const FileList& group : std::as_const(groups))
        if (group.size() > 1)
            kept << group;
    // The candidates came by ID, so each group is too.
    std::sort(kept.begin(), kept.end(), [](const FileList& a, const FileList& b) {
        return a.first().first < b.first().first;
    });
    FileList confirmed;
    for (const FileList& group : std::as_const(kept))
        confirmed << group;
    return confirmed;
}
