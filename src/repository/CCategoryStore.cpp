#include "CCategoryStore.h"

#include "CError.h"
#include "CRecordset.h"
#include "CStoredText.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "Placeholders.h"

#include <QCoreApplication>
#include <QSet>

namespace {

QString TooMany() {
    const int most = CCategoryStore::LastCategoryID;
    return QCoreApplication::translate("CCategoryStore",
                                       "これ以上カテゴリを作れません。カテゴリは %Ln 個までです。\n"
                                       "使わないカテゴリを削除してから作り直してください。",
                                       nullptr, most);
}

const QString kLeftOutKey = QStringLiteral("SubcategoriesLeftOut");

QString IdList(const QList<qint32>& IDs) {
    QStringList texts;
    texts.reserve(IDs.size());
    for (const qint32 id : IDs)
        texts.append(QString::number(id));
    return texts.join(QLatin1Char(','));
}

} // namespace

CCategoryStore::CCategoryStore(CVolloDB& repository) : m_repository(repository) {}

QString CCategoryStore::Refusal(const QString& Name, qint32 ExceptID) {
    const QString name = Name.trimmed();
    if (name.isEmpty())
        return QCoreApplication::translate("CCategoryStore",
                                           "カテゴリの名前が空です。名前を入力してください。");
    // Compared here rather than by the engine, whose letter case rules stop
    // at ASCII. A shipped name is also compared as the user sees it.
    CRecordset rs = m_repository.GetTagName();
    for (; !rs.IsEOF(); rs.MoveNext()) {
        if (rs.Field(0).toInt() == ExceptID)
            continue;
        const QString stored = rs.Field(1).toString();
        const QString shown = CStoredText::Shown(stored);
        if (stored.compare(name, Qt::CaseInsensitive) == 0 ||
            shown.compare(name, Qt::CaseInsensitive) == 0)
            return QCoreApplication::translate(
                       "CCategoryStore",
                       "カテゴリ「%1」はすでにあります（大文字と小文字は区別しません）。\n"
                       "別の名前を入力してください。")
                .arg(shown);
    }
    if (ExceptID == 0 && LowestFreeID() == 0)
        return TooMany();
    return QString();
}

qint32 CCategoryStore::Add(const QString& Name, qint32 ParentID) {
    const QString refusal = Refusal(Name);
    if (!refusal.isEmpty())
        throw CError(refusal);
    const qint32 id = LowestFreeID();
    CTransactionScope transaction(m_repository);
    m_repository.RunSQL(FillPlaceholders(
        QStringLiteral("INSERT INTO tags (ID, tagName) VALUES (%tagID, \"%tagName\")"),
        {{QStringLiteral("%tagID"), id}, {QStringLiteral("%tagName"), Name.trimmed()}}));
    // A number handed out again carries nothing of its former category.
    SetParentRow(id, ParentID);
    transaction.Commit();
    return id;
}

void CCategoryStore::Rename(qint32 TagID, const QString& Name) {
    const QString refusal = Refusal(Name, TagID);
    if (!refusal.isEmpty())
        throw CError(refusal);
    m_repository.RunSQL(FillPlaceholders(
        m_repository.GetQuery(QStringLiteral("setTagName")),
        {{QStringLiteral("%tagName"), Name.trimmed()}, {QStringLiteral("%tagID"), TagID}}));
}

void CCategoryStore::Delete(qint32 TagID) {
    const bool nested = HasParentTable();
    const qint32 parent = nested ? Parent(TagID) : 0;
    CTransactionScope transaction(m_repository);
    if (nested) {
        m_repository.RunSQL(FillPlaceholders(
            parent == 0 ? QStringLiteral("DELETE FROM tagparent WHERE parentID = %tagID")
                        : QStringLiteral("UPDATE tagparent SET parentID = %parentID "
                                         "WHERE parentID = %tagID"),
            {{QStringLiteral("%tagID"), TagID}, {QStringLiteral("%parentID"), parent}}));
        SetParentRow(TagID, 0);
    }
    RunWithTag(QStringLiteral("delFileTagOfTag"), TagID);
    RunWithTag(QStringLiteral("delTagID"), TagID);
    // A number handed out again starts with the default.
    setIncludesDescendants(TagID, true);
    transaction.Commit();
}

qint32 CCategoryStore::FileCount(qint32 TagID) {
    CRecordset rs = m_repository.RunSQL(
        FillPlaceholders(m_repository.GetQuery(QStringLiteral("getFileCountOfTag")),
                         {{QStringLiteral("%tagID"), TagID}}));
    return rs.IsEOF() ? 0 : rs.Field(0).toInt();
}

qint32 CCategoryStore::FileCountWithDescendants(qint32 TagID) {
    QList<qint32> ids = Descendants(TagID);
    ids.prepend(TagID);
    CRecordset rs = m_repository.RunSQL(
        QStringLiteral("SELECT count(DISTINCT fileID) FROM filetags WHERE tagID IN (%1)")
            .arg(IdList(ids)));
    return rs.IsEOF() ? 0 : rs.Field(0).toInt();
}

CCategoryStore::ParentMap CCategoryStore::Parents() {
    ParentMap parents;
    if (!HasParentTable())
        return parents;
    CRecordset rs = m_repository.RunSQL(
        QStringLiteral("SELECT tagparent.tagID, tagparent.parentID FROM tagparent "
                       "INNER JOIN tags ON tags.ID = tagparent.parentID"));
    for (; !rs.IsEOF(); rs.MoveNext())
        parents.insert(rs.Field(0).toInt(), rs.Field(1).toInt());
    return parents;
}

qint32 CCategoryStore::Parent(qint32 TagID) {
    return Parents().value(TagID, 0);
}

QString CCategoryStore::NestRefusal(qint32 TagID, qint32 ParentID) {
    if (ParentID == 0)
        return QString();
    if (ParentID == TagID || Descendants(TagID).contains(ParentID))
        return QCoreApplication::translate(
            "CCategoryStore", "カテゴリを、それ自身やその下のカテゴリの中には入れられません。");
    return QString();
}

void CCategoryStore::SetParent(qint32 TagID, qint32 ParentID) {
    const QString refusal = NestRefusal(TagID, ParentID);
    if (!refusal.isEmpty())
        throw CError(refusal);
    CTransactionScope transaction(m_repository);
    SetParentRow(TagID, ParentID);
    transaction.Commit();
}

QList<qint32> CCategoryStore::Descendants(qint32 TagID) {
    return Descendants(Parents(), TagID);
}

QList<qint32> CCategoryStore::Descendants(const ParentMap& Parents, qint32 TagID) {
    QMultiHash<qint32, qint32> children;
    for (auto it = Parents.cbegin(); it != Parents.cend(); ++it)
        children.insert(it.value(), it.key());
    QList<qint32> found;
    QSet<qint32> seen{TagID};
    // Breadth first; a damaged table with a loop ends at the first repeat.
    for (qsizetype at = -1; at < found.size(); ++at) {
        const qint32 from = at < 0 ? TagID : found.at(at);
        QList<qint32> below = children.values(from);
        std::sort(below.begin(), below.end());
        for (const qint32 child : below) {
            if (!seen.contains(child)) {
                seen.insert(child);
                found.append(child);
            }
        }
    }
    return found;
}

bool CCategoryStore::IncludesDescendants(qint32 TagID) {
    return !LeftOutDescendants().contains(TagID);
}

void CCategoryStore::setIncludesDescendants(qint32 TagID, bool Include) {
    QList<qint32> leftOut = LeftOutDescendants();
    if (leftOut.contains(TagID) != Include)
        return;
    if (Include)
        leftOut.removeAll(TagID);
    else
        leftOut.append(TagID);
    m_repository.RunSQL(FillPlaceholders(
        QStringLiteral("INSERT OR REPLACE INTO resource (Key, Value) VALUES (\"%key\", \"%ids\")"),
        {{QStringLiteral("%key"), kLeftOutKey}, {QStringLiteral("%ids"), IdList(leftOut)}}));
}

QList<qint32> CCategoryStore::LeftOutDescendants() {
    CRecordset rs = m_repository.RunSQL(
        FillPlaceholders(QStringLiteral("SELECT Value FROM resource WHERE Key = \"%key\""),
                         {{QStringLiteral("%key"), kLeftOutKey}}));
    QList<qint32> ids;
    if (rs.IsEOF())
        return ids;
    for (const QString& id : rs.Field(0).toString().split(QLatin1Char(','), Qt::SkipEmptyParts))
        ids.append(id.toInt());
    return ids;
}

void CCategoryStore::RunWithTag(const QString& Key, qint32 TagID) {
    m_repository.RunSQL(
        FillPlaceholders(m_repository.GetQuery(Key), {{QStringLiteral("%tagID"), TagID}}));
}

bool CCategoryStore::HasParentTable() {
    return m_repository.HasTable(QStringLiteral("tagparent"));
}

void CCategoryStore::SetParentRow(qint32 TagID, qint32 ParentID) {
    if (!HasParentTable()) {
        if (ParentID == 0)
            return;
        m_repository.RunSQL(
            QStringLiteral("CREATE TABLE tagparent (tagID INTEGER PRIMARY KEY REFERENCES tags (ID) "
                           "ON DELETE CASCADE, parentID INTEGER NOT NULL REFERENCES tags (ID) "
                           "ON DELETE CASCADE)"));
    }
    m_repository.RunSQL(FillPlaceholders(
        ParentID == 0 ? QStringLiteral("DELETE FROM tagparent WHERE tagID = %tagID")
                      : QStringLiteral("INSERT OR REPLACE INTO tagparent (tagID, parentID) "
                                       "VALUES (%tagID, %parentID)"),
        {{QStringLiteral("%tagID"), TagID}, {QStringLiteral("%parentID"), ParentID}}));
}

qint32 CCategoryStore::LowestFreeID() {
    QSet<qint32> taken;
    for (CRecordset rs = m_repository.GetTagName(); !rs.IsEOF(); rs.MoveNext())
        taken.insert(rs.Field(0).toInt());
    for (qint32 id = 1; id <= LastCategoryID; ++id) {
        if (!taken.contains(id))
            return id;
    }
    return 0;
}
