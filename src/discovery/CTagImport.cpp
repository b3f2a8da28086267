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
    GatherTarget(FileID, target);
}

void CTagImport::GatherTarget(qint32 FileID, const QString& target) {
    QByteArray value;
    if (!target.isEmpty())
        GatherRead(FileID, target, CXdgTags::Read(target, &value), value);
}

void CTagImport::GatherRead(qint32 FileID, const QString& target, int Read,
                            const QByteArray& value) {
    if (target.isEmpty() || Read != 0 || value.isEmpty())
        return;
    const CXdgTags::Parsed parsed = CXdgTags::Parse(value);
    for (const QString& name : parsed.names) {
        if (PathOf(name).isEmpty())
            continue; // only slashes: no category to make
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
        if (const qint32 id = categories.value(Leaf(name).toCaseFolded()); id > 0) {
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

QString CTagImport::OfferText(const Offer& Offer) {
    return tr("%1 (%Ln 件)", nullptr, int(Offer.files.size())).arg(Offer.name);
}

QStringList CTagImport::PathOf(const QString& Name) {
    QStringList parts = Name.split(u'/');
    for (QString& part : parts)
        part = part.trimmed();
    parts.removeAll(QString());
    return parts;
}

QString CTagImport::Leaf(const QString& Name) {
    const QStringList parts = PathOf(Name);
    return parts.isEmpty() ? Name : parts.constLast();
}

qint32 CTagImport::CategoryFor(const QString& Name, QHash<QString, qint32>& Categories,
                               QList<std::pair<qint32, QString>>& Made) {
    // "a/b" is b below a, each made where it is missing. Names are unique
    // in the repository: a part that names a category elsewhere in the tree
    // is that category, left where the user put it.
    CCategoryStore store(m_repository);
    qint32 parent = 0;
    for (const QString& part : PathOf(Name)) {
        qint32 id = Categories.value(part.toCaseFolded());
        if (id == 0) {
            const QString refusal = store.Refusal(part);
            if (!refusal.isEmpty()) {
                m_refused.Add(Name, refusal);
                return 0;
            }
            id = store.Add(part, parent);
            Categories.insert(part.toCaseFolded(), id);
            Made.append({id, part});
        }
        parent = id;
    }
    return parent;
}

QList<std::pair<qint32, QString>> CTagImport::Accept(const QList<Offer>& Accepted) {
    QHash<QString, qint32> categories = CategoriesByName();
    QList<std::pair<qint32, QString>> made;
    m_repository.BeginTransaction();
    try {
        for (const Offer& offer : Accepted) {
            if (const qint32 id = CategoryFor(offer.name, categories, made); id > 0) {
                for (qint32 file : offer.files)
                    m_repository.AddFileTag(file, id);
            }
        }
    } catch (...) {
        m_repository.RollbackTransaction();
        throw;
    }
    m_repository.CommitTransaction();
    return made;
}
