#pragma once

#include <QByteArray>
#include <QJsonArray>

class CVolloDB;

// Everything the user put into the repository, in a form another machine or
// program can read: the categories, every document (its path, fingerprint
// and categories) and the saved searches. Documents come in the order of
// their registration, so importing an export into an empty repository and
// exporting again gives the same bytes.
class CRepositoryExport {
public:
    explicit CRepositoryExport(CVolloDB& repository);

    QByteArray Json();
    // One line per document: path, fingerprint, then its categories, one a
    // column; the first line names the columns.
    QByteArray Csv();

    // The format's mark in the JSON object.
    static constexpr int Version = 1;

private:
    // The saved searches, by name and query text, in the order saved.
    QJsonArray Searches();

    CVolloDB& m_repository;
};
