#include "CRepositoryImport.h"

#include "CCategoryLinks.h"
#include "CCategoryStore.h"
#include "CDocumentQuery.h"
#include "CError.h"
#include "CFileCollector.h"
#include "CRepositoryExport.h"
#include "CSavedSearches.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

CRepositoryImport::CRepositoryImport(CVolloDB& repository) : m_repository(repository) {}

CRepositoryImport::Known CRepositoryImport::ReadKnown() {
    Known known;
    known.byPath = CDocumentQuery(m_repository).ByPath();
    const QHash<qint32, CFileFacts> facts = m_repository.FactsOf();
    for (auto it = facts.constBegin(); it != facts.constEnd(); ++it) {
        const quint64 fingerprint = it->fingerprint;
        if (fingerprint != 0)
            known.byFingerprint.insert(fingerprint,
                                       known.byFingerprint.contains(fingerprint) ? 0 : it.key());
    }
    return known;
}

CRepositoryImport::Result CRepositoryImport::Import(const QByteArray& Data,
                                                    const QString& FileName) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(Data, &error);
    const QJsonObject root = document.object();
    if (error.error != QJsonParseError::NoError || !root.contains(QStringLiteral("documents")) ||
        root.value(QStringLiteral("vollo")).toInt() < 1)
        throw CError(tr("%1 は Vollo の書き出したファイルではありません。").arg(FileName));
    if (root.value(QStringLiteral("vollo")).toInt() > CRepositoryExport::Version)
        throw CError(tr("%1 はこの Vollo より新しい形で書き出されています。").arg(FileName));

    Result result;
    CTransactionScope transaction(m_repository);
    try {
        Merge(root, result);
        MergeSearches(root, result);
        transaction.Commit();
    } catch (...) {
        // Half an import would be hard to tell from a whole one.
        transaction.Rollback();
        throw;
    }
    return result;
}

void CRepositoryImport::Merge(const QJsonObject& root, Result& result) {
    CDocumentQuery query(m_repository);
    CCategoryStore store(m_repository);
    QHash<QString, qint32> tags; // name as written -> ID
    auto tagOf = [&](const QString& name) {
        auto it = tags.constFind(name);
        if (it != tags.constEnd())
            return *it;
        qint32 id = query.CategoryID(name);
        if (id == 0) {
            id = store.Add(name);
            ++result.Categories;
        }
        tags.insert(name, id);
        return id;
    };
    const QJsonArray categories = root.value(QStringLiteral("categories")).toArray();
    for (const auto& category : categories)
        tagOf(category.toObject().value(QStringLiteral("name")).toString());

    Known known = ReadKnown();
    CFileCollector collector(m_repository);
    collector.BeginBatch();
    QMap<qint32, QList<qint32>> links; // tag -> files, in the order read
    const QJsonArray documents = root.value(QStringLiteral("documents")).toArray();
    for (const auto& value : documents) {
        const QJsonObject doc = value.toObject();
        const QString path = doc.value(QStringLiteral("path")).toString();
        const quint64 fingerprint =
            doc.value(QStringLiteral("fingerprint")).toString().toULongLong(nullptr, 16);
        qint32 id = known.byPath.value(path);
        if (id == 0 && fingerprint != 0)
            id = known.byFingerprint.value(fingerprint);
        if (id != 0) {
            ++result.Known;
        } else if ((id = collector.CollectFile(path)) != 0) {
            ++result.Collected;
            known.byPath.insert(path, id);
        }
        if (id == 0)
            continue;
        const QJsonArray named = doc.value(QStringLiteral("categories")).toArray();
        for (const auto& category : named)
            links[tagOf(category.toString())] << id;
    }
    collector.EndBatch();
    CCategoryLinks linker(m_repository);
    for (auto it = links.constBegin(); it != links.constEnd(); ++it)
        result.Links += linker.LinkFiles(it.value(), it.key());
    result.LeftOut = collector.LeftOut();
}

void CRepositoryImport::MergeSearches(const QJsonObject& root, Result& result) {
    CSavedSearches saved(m_repository);
    const QJsonArray searches = root.value(QStringLiteral("searches")).toArray();
    for (const auto& value : searches) {
        const QJsonObject search = value.toObject();
        const QString name = search.value(QStringLiteral("name")).toString();
        // A name the repository has keeps its own query: never two of one name.
        if (name.trimmed().isEmpty() || saved.Find(name) != 0)
            continue;
        saved.Add(name, search.value(QStringLiteral("query")).toString());
        ++result.Searches;
    }
}
