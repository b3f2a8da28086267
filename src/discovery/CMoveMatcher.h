#pragma once

#include "CFileFacts.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// Decides where missing documents went, from facts alone: what was stored
// about each document when it was registered, and what a search found on
// disk. Matching never touches the file system, so every rule can be checked
// with made-up facts.
//
// Rules, strongest first; the first rule that any candidate passes decides,
// and only a single candidate is a match (more than one is ambiguous):
//  1. same device and inode, confirmed by the fingerprint or by size plus
//     modification time (a rename or a move within one file system);
//  2. same size and fingerprint (a move to another file system);
//  3. same size, modification time and file name, for documents whose
//     fingerprint is unknown on one side.
// A candidate whose fingerprint is known and differs from the document's is
// never a match, whatever else agrees; a name alone never matches. A file
// that two missing documents would both take is offered to neither.
class CMoveMatcher {
public:
    struct Facts {
        QString Path;
        quint64 Device = 0;
        quint64 Inode = 0;
        qint64 Size = -1;
        qint64 ModifiedSeconds = 0;
        quint64 Fingerprint = 0;
        bool HasFingerprint = false;
    };

    // The facts the repository keeps, as the rules read them: a document
    // known by its path only has no size, inode or fingerprint to match.
    static Facts FromStored(const CFileFacts& stored);
    // The fingerprint of a file as the repository takes it.
    static std::optional<quint64> FingerprintOf(const QString& path);

    enum class Verdict { Unmatched, Relink, Ambiguous };
    enum class Rule { None, Inode, Fingerprint, SizeTimeName };

    struct Outcome {
        qsizetype Missing = -1; // index into Missing()
        Verdict Decision = Verdict::Unmatched;
        Rule By = Rule::None;
        QStringList Candidates; // the one new path of a Relink, or the choices
    };

    void setMissing(const QList<Facts>& missing);
    const QList<Facts>& Missing() const { return m_missing; }
    // Paths that belong to registered documents still present; never taken.
    void setTaken(const QSet<QString>& paths) { m_taken = paths; }

    // Whether a file found on disk could match some missing document at all
    // (same inode, or same size): only such files need a fingerprint.
    bool IsCandidate(quint64 Device, quint64 Inode, qint64 Size) const;
    void AddCandidate(const Facts& found);
    qsizetype CandidateCount() const { return m_candidates.size(); }
    // Whether the candidate at hand needs its fingerprint to be decided.
    bool NeedsFingerprint(const Facts& found) const;

    // One outcome per missing document, in their order.
    QList<Outcome> Match() const;

private:
    Outcome MatchOne(qsizetype index) const;

    QList<Facts> m_missing;
    QList<Facts> m_candidates;
    QSet<QString> m_taken;
    // Indexes, so each document looks only at files that could be it.
    QMultiHash<QPair<quint64, quint64>, qsizetype> m_missingByInode;
    QSet<qint64> m_sizes;
    QSet<qint64> m_printedSizes; // sizes of missing documents with a fingerprint
    QMultiHash<QPair<quint64, quint64>, qsizetype> m_byInode;
    QMultiHash<qint64, qsizetype> m_bySize;
};
