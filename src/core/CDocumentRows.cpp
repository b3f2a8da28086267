#include "CDocumentRows.h"

#include "CCategoryStore.h"
#include "CError.h"
#include "CFileFacts.h"
#include "CShortcutReader.h"
#include "CVolloDB.h"

#include <QSet>

CDocumentRows::CDocumentRows(CVolloDB& repository) : m_repository(repository) {}

QString CDocumentRows::DocumentOf(const QString& Shortcut) {
    try {
        return CShortcutReader().Target(Shortcut);
    } catch (const CError&) {
        return QString();
    }
}

QList<std::pair<qint32, QString>> CDocumentRows::Categories() {
    QList<std::pair<qint32, QString>> names;
    CRecordset rs = m_repository.GetTagName();
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
        const qint32 id = rs.Field(0).toInt();
        if (id > 0 && id <= CCategoryStore::LastCategoryID)
            names.append({id, rs.Field(1).toString()});
    }
    return names;
}

QHash<qint32, QList<qint32>> CDocumentRows::LinksOf(const CDocumentQuery::FileList& Files) {
    // One read of every link: a few lists of many files cost less than one
    // query per file.
    QSet<qint32> wanted;
    for (const auto& file : Files)
        wanted.insert(file.first);
    QHash<qint32, QList<qint32>> links;
    CRecordset rs = m_repository.RunSQL(
        QStringLiteral("SELECT fileID, tagID FROM filetags ORDER BY fileID, tagID"));
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
        const qint32 file = rs.Field(0).toInt();
        if (wanted.contains(file))
            links[file] << rs.Field(1).toInt();
    }
    return links;
}

QList<CDocumentRows::Row> CDocumentRows::Rows(const CDocumentQuery::FileList& Files,
                                              bool WithFingerprint) {
    QList<Row> rows;
    if (Files.isEmpty())
        return rows;
    QHash<qint32, QString> names;
    for (const auto& category : Categories())
        names.insert(category.first, category.second);
    const QHash<qint32, QList<qint32>> links = LinksOf(Files);
    QList<qint32> ids;
    for (const auto& file : Files)
        ids << file.first;
    const QHash<qint32, CFileFacts> stored = m_repository.FactsOf(ids);
    rows.reserve(Files.size());
    for (const auto& [id, shortcut] : Files) {
        Row row;
        row.FileID = id;
        row.Shortcut = shortcut;
        row.Path = DocumentOf(shortcut);
        const CFileFacts known = stored.value(id);
        if (row.Path.isEmpty())
            row.Path = known.path;
        const CFileFacts now = CFileFacts::Stat(row.Path);
        row.Missing = now.missing;
        row.Size = now.size;
        row.Modified = now.modified;
        if (WithFingerprint)
            row.Fingerprint = known.fingerprint != 0 || row.Missing
                                  ? known.fingerprint
                                  : CFileFacts::Read(row.Path).fingerprint;
        for (qint32 tag : links.value(id))
            if (names.contains(tag))
                row.Categories << names.value(tag);
        rows << row;
    }
    return rows;
}
