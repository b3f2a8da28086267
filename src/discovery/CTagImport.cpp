#include "CTagImport.h"

#include "BM_Library.h"
#include "CCategoryStore.h"
#include "CError.h"
#include "CRecordset.h"
#include "CVolloDB.h"
#include "CXdgTags.h"

#include <QSet>

CTagImport::CTagImport(CVolloDB& repository) : m_repository(repository) {}

void CTagImport::Clear() {
    m_found.clear();
    m_order.clear();
    m_refused.Clear();
}

void CTagImport::Gather(qint32 FileID, const QString& ShortcutPath) {
    if (FileID < 1)
        return;
    QString target;
    try {
        target = BM_Library::ShortcutTarget(ShortcutPath);
    } catch (const CError&) {
        return; // the collector tells about shortcuts it could not make
    }
    QByteArray value;
    if (target.isEmpty() || CXdgTags::Read(target, &value) != 0 || value.isEmpty())
        return;
    const CXdgTags::Parsed parsed = CXdgTags::Parse(value);
    for (const QString& name : parsed.names) {
        QList<qint32>& files = m_found[name];
        if (files.isEmpty())
            m_order << name;
        if (files.isEmpty() || files.constLast() != FileID)
            files << FileID;
    }
    if (!parsed.refused.isEmpty())
        m_refused.Add(target,
                      tr("タグの名前が UTF-8 ではないため、カテゴリにできません: %1")
                          .arg(QString::fromLatin1(parsed.refused.join(',').toPercentEncoding())));
}

QHash<QString, qint32> CTagImport::CategoriesByName() {
    QHash<QString, qint32> ids;
    CRecordset rs = m_repository.GetTagName();
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
        ids.insert(rs.Field(1).toString().toCaseFolded(), rs.Field(0).toInt());
    return ids;
}

QList<CTagImport::Offer> CTagImport::Offers() {
    const QHash<QString, qint32> categories = CategoriesByName();
    QList<Offer> offers;
    for (const QString& name : std::as_const(m_order)) {
        QList<qint32> files = m_found.value(name);
        if (const qint32 id = categories.value(name.toCaseFolded()); id > 0) {
            QSet<qint32> linked;
            CRecordset rs = m_repository.GetFileOfTag(id);
            for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
                linked.insert(rs.Field(0).toInt());
            files.removeIf([&linked](qint32 file) { return linked.contains(file); });
        }
        if (!files.isEmpty())
            offers.append({name, files});
    }
    return offers;
}

QList<std::pair<qint32, QString>> CTagImport::Accept(const QList<Offer>& Accepted) {
    QHash<QString, qint32> categories = CategoriesByName();
    CCategoryStore store(m_repository);
    QList<std::pair<qint32, QString>> made;
    m_repository.BeginTransaction();
    try {
        for (const Offer& offer : Accepted) {
            qint32 id = categories.value(offer.name.toCaseFolded());
            if (id == 0) {
                const QString refusal = store.Refusal(offer.name);
                if (!refusal.isEmpty()) {
                    m_refused.Add(offer.name, refusal);
                    continue;
                }
                id = store.Add(offer.name);
                categories.insert(offer.name.toCaseFolded(), id);
                made.append({id, offer.name.trimmed()});
            }
            for (qint32 file : offer.files)
                m_repository.AddFileTag(file, id);
        }
    } catch (...) {
        m_repository.RollbackTransaction();
        throw;
    }
    m_repository.CommitTransaction();
    return made;
}
