#include "CCategoryStore.h"

#include "CError.h"
#include "CRecordset.h"
#include "CVolloDB.h"
#include "Placeholders.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

QString TooMany() {
    return QCoreApplication::translate(
               "CCategoryStore", "これ以上カテゴリを作れません。カテゴリの番号は %1 までです。\n"
                                 "使わないカテゴリを削除してから作り直してください。")
        .arg(CCategoryStore::LastCategoryID);
}

} // namespace

CCategoryStore::CCategoryStore(CVolloDB& repository) : m_repository(repository) {}

QString CCategoryStore::Refusal(const QString& Name, qint32 ExceptID) {
    const QString name = Name.trimmed();
    if (name.isEmpty())
        return QCoreApplication::translate("CCategoryStore",
                                           "カテゴリの名前が空です。名前を入力してください。");
    // Compared here rather than by the engine, whose letter case rules stop
    // at ASCII.
    CRecordset rs = m_repository.GetTagName();
    qint32 last = 0;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        last = std::max(last, rs.Field(0).toInt());
        if (rs.Field(0).toInt() != ExceptID &&
            rs.Field(1).toString().compare(name, Qt::CaseInsensitive) == 0)
            return QCoreApplication::translate(
                       "CCategoryStore",
                       "カテゴリ「%1」はすでにあります（大文字と小文字は区別しません）。\n"
                       "別の名前を入力してください。")
                .arg(rs.Field(1).toString());
    }
    if (ExceptID == 0 && last >= LastCategoryID)
        return TooMany();
    return QString();
}

qint32 CCategoryStore::Add(const QString& Name) {
    const QString refusal = Refusal(Name);
    if (!refusal.isEmpty())
        throw CError(refusal);
    // The engine numbers the new row; a number past the range is taken back.
    m_repository.BeginTransaction();
    qint32 id = 0;
    try {
        id = m_repository.AddTag(Name.trimmed());
    } catch (...) {
        m_repository.RollbackTransaction();
        throw;
    }
    if (id < 1 || id > LastCategoryID) {
        m_repository.RollbackTransaction();
        throw CError(TooMany());
    }
    m_repository.CommitTransaction();
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
    m_repository.BeginTransaction();
    try {
        RunWithTag(QStringLiteral("delFileTagOfTag"), TagID);
        RunWithTag(QStringLiteral("delTagID"), TagID);
    } catch (...) {
        m_repository.RollbackTransaction();
        throw;
    }
    m_repository.CommitTransaction();
}

qint32 CCategoryStore::FileCount(qint32 TagID) {
    CRecordset rs = m_repository.RunSQL(
        FillPlaceholders(m_repository.GetQuery(QStringLiteral("getFileCountOfTag")),
                         {{QStringLiteral("%tagID"), TagID}}));
    return rs.IsEOF() ? 0 : rs.Field(0).toInt();
}

void CCategoryStore::RunWithTag(const QString& Key, qint32 TagID) {
    m_repository.RunSQL(
        FillPlaceholders(m_repository.GetQuery(Key), {{QStringLiteral("%tagID"), TagID}}));
}
