#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

class CDatabase;
class CVolloDB;

// The user's saved searches (a name and the text of a query) and the last
// queries typed, kept in the repository beside the categories. The tables are
// made by the first write: a repository from before reads as having none and
// stays as it was until then. Names are unique with letter case and the blanks
// around them ignored. Refusals and failures are thrown as CError with a text
// for the user.
class CSavedSearches {
    Q_DECLARE_TR_FUNCTIONS(CSavedSearches)
public:
    struct Search {
        qint32 id = 0;
        QString name;
        QString query;
    };
    static constexpr int HistorySize = 20;

    explicit CSavedSearches(CVolloDB& repository);

    // Every saved search, in the order they were saved.
    QList<Search> All();
    // Why Name cannot name search ExceptID (0 for a new one); empty when it
    // can.
    QString Refusal(const QString& Name, qint32 ExceptID = 0);
    // The ID of the search named Name (letter case ignored); 0 when none.
    qint32 Find(const QString& Name);
    // Adds a search and returns its ID.
    qint32 Add(const QString& Name, const QString& Query);
    void Rename(qint32 ID, const QString& Name);
    void Delete(qint32 ID);

    // The last queries, the newest first.
    QStringList History();
    // Puts Query first in the history, once, keeping the newest HistorySize.
    void Remember(const QString& Query);

private:
    void MakeTables();

    CDatabase& m_connection;
};
