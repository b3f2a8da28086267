#pragma once

#include "CListFiller.h"

#include <QString>
#include <optional>

class CFileListViews;
class CMoveFollower;
class CVolloDB;

// The repository's and the lists' side of following moved documents: the
// registered documents handed to the move follower, and, when it re-pointed
// a shortcut, the document's new facts stored and its rows updated in place.
class CDocumentMoves {
public:
    CDocumentMoves(CVolloDB& repository, CMoveFollower& Follower);

    // Hands every registered document with stored facts to the follower;
    // read from the repository unless the caller has them already.
    void FollowRegistered(std::optional<CListFiller::WholeRead> read = std::nullopt);
    // The follower re-pointed Shortcut at NewPath: the facts found there are
    // stored and followed from now on; the rows of Lists that show the
    // document keep their place and show what it says now.
    void Relinked(qint32 FileID, const QString& Shortcut, const QString& NewPath,
                  const CFileListViews& Lists);

private:
    CVolloDB& m_repository;
    CMoveFollower& m_follower;
};
