#include "CSavedSearches.h"

#include "CDatabase.h"
#include "CError.h"
#include "CVolloDB.h"

CSavedSearches::CSavedSearches(CVolloDB& repository) : m_connection(repository.Connection()) {}

void CSavedSearches::MakeTables() {
    m_connection.Execute(QStringLiteral("CREATE TABLE IF NOT EXISTS savedsearch (ID INTEGER "
                                        "PRIMARY KEY, name TEXT NOT NULL, query TEXT NOT NULL)"));
    m_connection.Execute(QStringLiteral("CREATE TABLE IF NOT EXISTS queryhistory (position "
                                        "INTEGER PRIMARY KEY, query TEXT NOT NULL)"));
}

QList<CSavedSearches::Search> CSavedSearches::All() {
    QList<Search> searches;
    if (!m_connection.HasTable(QStringLiteral("savedsearch")))
        return searches;
    m_connection.ForEachBound(
        QStringLiteral("SELECT ID, name, query FROM savedsearch ORDER BY ID"), {},
        [&searches](const CDatabase::Row& row) {
            searches.append({static_cast<qint32>(row.Int(0)), row.Text(1), row.Text(2)});
        });
    return searches;
}

qint32 CSavedSearches::Find(const QString& Name) {
    const QString name = Name.trimmed();
    // Compared here rather than by the engine, whose letter case rules stop
    // at ASCII.
    for (const Search& search : All())
        if (search.name.compare(name, Qt::CaseInsensitive) == 0)
            return search.id;
    return 0;
}

QString CSavedSearches::Refusal(const QString& Name, qint32 ExceptID) {
    const QString name = Name.trimmed();
    if (name.isEmpty())
        return tr("検索の名前が空です。名前を入力してください。");
    const qint32 taken = Find(name);
    if (taken != 0 && taken != ExceptID)
        return tr("検索「%1」はすでにあります（大文字と小文字は区別しません）。\n"
                  "別の名前を入力してください。")
            .arg(name);
    return QString();
}

qint32 CSavedSearches::Add(const QString& Name, const QString& Query) {
    const QString refusal = Refusal(Name);
    if (!refusal.isEmpty())
        throw CError(refusal);
    MakeTables();
    m_connection.ExecuteBound(QStringLiteral("INSERT INTO savedsearch (name, query) VALUES (?, ?)"),
                              {Name.trimmed(), Query});
    return static_cast<qint32>(m_connection.LastInsertRowId());
}

void CSavedSearches::Rename(qint32 ID, const QString& Name) {
    const QString refusal = Refusal(Name, ID);
    if (!refusal.isEmpty())
        throw CError(refusal);
    if (m_connection.HasTable(QStringLiteral("savedsearch")))
        m_connection.ExecuteBound(QStringLiteral("UPDATE savedsearch SET name = ? WHERE ID = ?"),
                                  {Name.trimmed(), ID});
}

void CSavedSearches::Delete(qint32 ID) {
    if (m_connection.HasTable(QStringLiteral("savedsearch")))
        m_connection.ExecuteBound(QStringLiteral("DELETE FROM savedsearch WHERE ID = ?"), {ID});
}

QStringList CSavedSearches::History() {
    QStringList queries;
    if (!m_connection.HasTable(QStringLiteral("queryhistory")))
        return queries;
    m_connection.ForEachBound(
        QStringLiteral("SELECT query FROM queryhistory ORDER BY position DESC LIMIT ?"),
        {HistorySize}, [&queries](const CDatabase::Row& row) { queries << row.Text(0); });
    return queries;
}

void CSavedSearches::Remember(const QString& Query) {
    if (Query.trimmed().isEmpty())
        return;
    MakeTables();
    m_connection.ExecuteBound(QStringLiteral("DELETE FROM queryhistory WHERE query = ?"), {Query});
    m_connection.ExecuteBound(QStringLiteral("INSERT INTO queryhistory (query) VALUES (?)"),
                              {Query});
    m_connection.ExecuteBound(
        QStringLiteral("DELETE FROM queryhistory WHERE position NOT IN (SELECT position FROM "
                       "queryhistory ORDER BY position DESC LIMIT ?)"),
        {HistorySize});
}
