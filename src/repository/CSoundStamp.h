#pragma once

#include <QString>

// What the repository file looked like when a session that had found it in
// good order let go of it with nothing left in its journal. A file that
// still looks exactly so (the same file, size and times, no journal beside
// it) has been written by nothing since, so a start need not read every
// page of it again. Any write, even one that puts the modification time
// back, changes the status-change time the stamp holds.
class CSoundStamp {
public:
    explicit CSoundStamp(const QString& repository);

    bool Matches() const;
    // Records the file as it is now; forgets instead while a journal is
    // beside it (another connection still open, or an interrupted write).
    void Record() const;
    void Forget() const;

private:
    QString m_repository;
    QString m_stamp;
};
