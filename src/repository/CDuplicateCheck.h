#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

class CVolloDB;

// The documents that are copies of another: those whose fingerprint (size,
// head and tail) matches another document's are read whole, and only those
// whose whole contents hash alike are kept. Reading whole files is slow, so
// it is done only for the candidates, and only when asked.
class CDuplicateCheck {
public:
    using FileList = QList<std::pair<qint32, QString>>;
    // Files done and total; returns false to stop.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    explicit CDuplicateCheck(CVolloDB& repository);

    // The confirmed copies, each group together (groups in the order of
    // their first file ID, files by ID within); nothing when stopped.
    std::optional<FileList> Confirmed(const Progress& Told = {});
    // The hash of a whole file; nothing when it cannot be read.
    static std::optional<quint64> WholeFileHash(const QString& Path);

private:
    CVolloDB& m_repository;
};
