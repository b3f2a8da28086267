#include "CCategoryLinks.h"

#include "BM_Library.h"
#include "CBusyIndicator.h"
#include "CError.h"
#include "CTagMirror.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "Placeholders.h"

#include <QSet>

namespace {

// Categories and the root have IDs up to 500; the root stands for all files.
bool IsLinkableTag(qint32 TagID) {
    return TagID > 0 && TagID <= 500;
}

// Runs statement, filled for every file in turn, in one transaction that is
// rolled back when any of them fails.
qint32 RunForEach(CVolloDB& repository, const QString& statement, const QList<qint32>& FileIDs,
                  qint32 TagID) {
    CBusyIndicator busy;
    CTransactionScope transaction(repository);
    try {
        // The numbers go in as bound values: the statement is translated
        // and prepared once rather than once per file.
        QList<QVariantList> values;
        values.reserve(FileIDs.size());
        for (qint32 id : FileIDs)
            values.append({id, TagID});
        repository.RunSQLBatch(
            FillPlaceholders(statement, {{QStringLiteral("%fileID"), QStringLiteral("?1")},
                                         {QStringLiteral("%tagID"), QStringLiteral("?2")}}),
            values);
        transaction.Commit();
    } catch (...) {
        transaction.Rollback();
        throw;
    }
    return qint32(FileIDs.size());
}

} // namespace

CCategoryLinks::CCategoryLinks(CVolloDB& repository) : m_repository(repository) {}

QList<qint32> CCategoryLinks::LinkedFiles(qint32 TagID) {
    QList<qint32> ids;
    CRecordset rs = m_repository.GetFileOfTag(TagID);
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
        ids << rs.Field(0).toInt();
    return ids;
}

qint32 CCategoryLinks::LinkFiles(const QList<qint32>& FileIDs, qint32 TagID) {
    if (!IsLinkableTag(TagID) || FileIDs.isEmpty())
        return 0;
    // One read of the category's links instead of one look-up per file.
    const QList<qint32> linked = LinkedFiles(TagID);
    QSet<qint32> skip(linked.cbegin(), linked.cend());
    QList<qint32> missing;
    for (qint32 id : FileIDs) {
        if (id >= 1 && !skip.contains(id)) {
            missing << id;
            skip.insert(id);
        }
    }
    if (missing.isEmpty())
        return 0;
    const qint32 n = RunForEach(m_repository, m_repository.GetQuery(QStringLiteral("addFileTag")),
                                missing, TagID);
    if (m_mirror)
        m_mirror->Update(missing);
    return n;
}

qint32 CCategoryLinks::UnlinkFiles(const QList<qint32>& FileIDs, qint32 TagID) {
    if (FileIDs.isEmpty())
        return 0;
    const QList<qint32> linked = LinkedFiles(TagID);
    const QSet<qint32> present(linked.cbegin(), linked.cend());
    QList<qint32> gone;
    QSet<qint32> seen;
    for (qint32 id : FileIDs) {
        if (present.contains(id) && !seen.contains(id)) {
            gone << id;
            seen.insert(id);
        }
    }
    if (gone.isEmpty())
        return 0;
    const qint32 n =
        RunForEach(m_repository, m_repository.GetQuery(QStringLiteral("delFileTag")), gone, TagID);
    if (m_mirror)
        m_mirror->Update(gone);
    return n;
}

QHash<qint32, qint32> CCategoryLinks::CountTags(const QList<qint32>& FileIDs,
                                                const QList<qint32>& TagIDs) {
    // A category's files in one read: the categories are few, the selected
    // files may be thousands.
    const QSet<qint32> selected(FileIDs.cbegin(), FileIDs.cend());
    QHash<qint32, qint32> counts;
    for (qint32 tag : TagIDs) {
        qint32 n = 0;
        for (qint32 id : LinkedFiles(tag))
            n += selected.contains(id) ? 1 : 0;
        counts.insert(tag, n);
    }
    return counts;
}
