#include "CMoveMatcher.h"

namespace {

using Facts = CMoveMatcher::Facts;

bool FingerprintsDiffer(const Facts& a, const Facts& b) {
    return a.HasFingerprint && b.HasFingerprint && a.Fingerprint != b.Fingerprint;
}

bool FingerprintsAgree(const Facts& a, const Facts& b) {
    return a.HasFingerprint && b.HasFingerprint && a.Fingerprint == b.Fingerprint &&
           a.Size == b.Size;
}

bool SameSizeAndTime(const Facts& a, const Facts& b) {
    return a.Size == b.Size && a.ModifiedSeconds == b.ModifiedSeconds;
}

QStringView FileName(const QString& path) {
    return QStringView(path).mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

CMoveMatcher::Facts CMoveMatcher::FromStored(const CFileFacts& stored) {
    Facts facts;
    facts.Path = stored.path;
    if (stored.inode == 0 && stored.size == 0)
        return facts;
    facts.Device = stored.device;
    facts.Inode = stored.inode;
    facts.Size = stored.size;
    // Whole seconds: copies to other file systems keep no finer times.
    facts.ModifiedSeconds = stored.modified >= 0 ? stored.modified / 1000000000
                                                 : -((-stored.modified + 999999999) / 1000000000);
    facts.Fingerprint = stored.fingerprint;
    facts.HasFingerprint = stored.fingerprint != 0;
    return facts;
}

std::optional<quint64> CMoveMatcher::FingerprintOf(const QString& path) {
    const CFileFacts facts = CFileFacts::Read(path);
    if (facts.missing || facts.fingerprint == 0)
        return std::nullopt;
    return facts.fingerprint;
}

void CMoveMatcher::setMissing(const QList<Facts>& missing) {
    m_missing = missing;
    m_missingByInode.clear();
    m_sizes.clear();
    m_printedSizes.clear();
    for (qsizetype i = 0; i < m_missing.size(); ++i) {
        const Facts& m = m_missing[i];
        if (m.Inode != 0)
            m_missingByInode.insert({m.Device, m.Inode}, i);
        if (m.Size >= 0)
            m_sizes.insert(m.Size);
        if (m.Size >= 0 && m.HasFingerprint)
            m_printedSizes.insert(m.Size);
    }
}

bool CMoveMatcher::IsCandidate(quint64 Device, quint64 Inode, qint64 Size) const {
    return m_sizes.contains(Size) || m_missingByInode.contains({Device, Inode});
}

bool CMoveMatcher::NeedsFingerprint(const Facts& found) const {
    // A renamed file keeps inode, size and time: the dear read is spared.
    const auto inode = m_missingByInode.constFind({found.Device, found.Inode});
    if (inode != m_missingByInode.constEnd() && SameSizeAndTime(m_missing[*inode], found))
        return false;
    // A fingerprint decides only against another: documents registered
    // before theirs was taken are matched by size, time and name instead.
    return m_printedSizes.contains(found.Size) ||
           (inode != m_missingByInode.constEnd() && m_missing[*inode].HasFingerprint);
}

void CMoveMatcher::AddCandidate(const Facts& found) {
    if (m_taken.contains(found.Path))
        return;
    const qsizetype index = m_candidates.size();
    m_candidates.push_back(found);
    m_byInode.insert({found.Device, found.Inode}, index);
    m_bySize.insert(found.Size, index);
}

CMoveMatcher::Outcome CMoveMatcher::MatchOne(qsizetype index) const {
    const Facts& m = m_missing[index];
    Outcome out;
    out.Missing = index;
    const auto pass = [&](const QList<qsizetype>& pool, Rule rule, auto test) {
        for (qsizetype c : pool) {
            const Facts& f = m_candidates[c];
            if (f.Path != m.Path && !FingerprintsDiffer(m, f) && test(f))
                out.Candidates << f.Path;
        }
        if (out.Candidates.isEmpty())
            return false;
        out.By = rule;
        out.Decision = out.Candidates.size() == 1 ? Verdict::Relink : Verdict::Ambiguous;
        return true;
    };
    if (m.Inode != 0 &&
        pass(m_byInode.values({m.Device, m.Inode}), Rule::Inode,
             [&](const Facts& f) { return FingerprintsAgree(m, f) || SameSizeAndTime(m, f); }))
        return out;
    const QList<qsizetype> sameSize = m_bySize.values(m.Size);
    if (pass(sameSize, Rule::Fingerprint, [&](const Facts& f) { return FingerprintsAgree(m, f); }))
        return out;
    pass(sameSize, Rule::SizeTimeName, [&](const Facts& f) {
        return SameSizeAndTime(m, f) && FileName(m.Path) == FileName(f.Path);
    });
    return out;
}

QList<CMoveMatcher::Outcome> CMoveMatcher::Match() const {
    QList<Outcome> outcomes;
    QHash<QString, qsizetype> claimed; // new path -> first outcome relinked to it
    for (qsizetype i = 0; i < m_missing.size(); ++i) {
        outcomes << MatchOne(i);
        const Outcome& o = outcomes.back();
        if (o.Decision != Verdict::Relink)
            continue;
        const auto it = claimed.constFind(o.Candidates.front());
        if (it == claimed.constEnd()) {
            claimed.insert(o.Candidates.front(), i);
            continue;
        }
        // Two documents cannot both have become one file: let the user say.
        outcomes[*it].Decision = Verdict::Ambiguous;
        outcomes.back().Decision = Verdict::Ambiguous;
    }
    return outcomes;
}
