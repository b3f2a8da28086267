#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QString>
#include <utility>

class CVolloDB;

// Which documents a query names, as file IDs with their shortcut paths in
// the order of the IDs. Every reader of a query (the command line's list and
// tag, the export) goes through Files, so a richer query language changes
// this class alone. Today a query is a category's name; an empty query names
// every document.
class CDocumentQuery {
    Q_DECLARE_TR_FUNCTIONS(CDocumentQuery)
public:
    using FileList = QList<std::pair<qint32, QString>>;

    explicit CDocumentQuery(CVolloDB& repository);

    // Throws CError naming the query when it names no category.
    FileList Files(const QString& Query);
    // The user category named Name (letter case and blanks around it
    // ignored); 0 when there is none.
    qint32 CategoryID(const QString& Name);
    // Every registered document's path (where its shortcut points, else
    // where it was last seen) -> its file ID.
    QHash<QString, qint32> ByPath();
    // CategoryID, throwing CError naming Name when there is none.
    qint32 RequireCategory(const QString& Name);

private:
    CVolloDB& m_repository;
};
