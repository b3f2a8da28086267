#include "CVolloDB.h"

#include "BM_Library.h"
#include "CError.h"
#include "Placeholders.h"

CVolloDB::CVolloDB()
    : m_classDebugID(BM_Library::NextClassID()), m_fileDB(std::make_unique<CFileDB>()) {}

CVolloDB::~CVolloDB() = default;

QString CVolloDB::ShortcutFolder() const {
    return m_fileDB->ShortcutFolder();
}

QString CVolloDB::INIFileName() const {
    return m_fileDB->INIFileName();
}

bool CVolloDB::IsFirstExecution() const {
    return m_fileDB->IsFirstExecution();
}

void CVolloDB::Create() {
    m_fileDB->Create();
}

QString CVolloDB::SetAside() {
    return m_fileDB->SetAside();
}

bool CVolloDB::IsReadOnly() const {
    return m_fileDB->IsReadOnly();
}

QString CVolloDB::ReadOnlyNotice() const {
    return m_fileDB->ReadOnlyNotice();
}

bool CVolloDB::CheckGone() {
    return m_fileDB->CheckGone();
}

bool CVolloDB::IsGone() const {
    return m_fileDB->IsGone();
}

qint32 CVolloDB::AddFileName(const QString& FileName) {
    const QString sql =
        FillPlaceholders(m_fileDB->GetQuery(QStringLiteral("addFileName")),
                         {{QStringLiteral("%fileName"), FileName},
                          {QStringLiteral("%fileAge"), BM_Library::FileDateLiteral(FileName)}});
    const qint32 id = m_fileDB->AddItem(sql);
    RecordFacts(id, FileName);
    return id;
}

qint32 CVolloDB::AddTag(const QString& TagName) {
    const QString sql = FillPlaceholders(m_fileDB->GetQuery(QStringLiteral("addTagName")),
                                         {{QStringLiteral("%tagName"), TagName}});
    return m_fileDB->AddItem(sql);
}

qint32 CVolloDB::AddFileTag(qint32 FileID, qint32 TagID) {
    const QString sql =
        FillPlaceholders(m_fileDB->GetQuery(QStringLiteral("addFileTag")),
                         {{QStringLiteral("%fileID"), FileID}, {QStringLiteral("%tagID"), TagID}});
    return m_fileDB->AddItem(sql);
}

void CVolloDB::DelFileName(const QString& FileName) {
    m_fileDB->RunSQL(FillPlaceholders(m_fileDB->GetQuery(QStringLiteral("delFileName")),
                                      {{QStringLiteral("%fileName"), FileName}}));
}

void CVolloDB::DelTag(const QString& TagName) {
    m_fileDB->RunSQL(FillPlaceholders(m_fileDB->GetQuery(QStringLiteral("delTagName")),
                                      {{QStringLiteral("%tagName"), TagName}}));
}

void CVolloDB::DelFileTag(qint32 FileID, qint32 TagID) {
    m_fileDB->RunSQL(
        FillPlaceholders(m_fileDB->GetQuery(QStringLiteral("delFileTag")),
                         {{QStringLiteral("%fileID"), FileID}, {QStringLiteral("%tagID"), TagID}}));
}

qint32 CVolloDB::MakeShortCut(const QString& FilePath) {
    return m_fileDB->MakeShortCut(FilePath);
}

QVariant CVolloDB::ClassDebugID() const {
    return QVariant(m_classDebugID);
}

CRecordset CVolloDB::GetTagName() {
    return RunQuery(QStringLiteral("getTagName"));
}

CRecordset CVolloDB::GetFileOfTag(qint32 TagID) {
    return m_fileDB->RunSQL(FillPlaceholders(m_fileDB->GetQuery(QStringLiteral("getFileOfTag")),
                                             {{QStringLiteral("%tagID"), TagID}}));
}

CRecordset CVolloDB::RunSQL(const QString& strSql) {
    return m_fileDB->RunSQL(strSql);
}

QList<std::pair<qint32, QString>> CVolloDB::RunFileList(const QString& strSql,
                                                        const CDatabase::SharedText& shared) {
    return m_fileDB->RunFileList(strSql, shared);
}

bool CVolloDB::HasTable(const QString& Name) {
    QString name = Name;
    name.replace(u'"', QLatin1String("\"\""));
    CRecordset rs =
        RunSQL(QStringLiteral(
                   "SELECT count(*) FROM sqlite_master WHERE type = \"table\" AND name = \"%1\"")
                   .arg(name));
    return !rs.IsEOF() && rs.Field(0).toInt() > 0;
}

void CVolloDB::RunSQLBatch(const QStringList& Statements) {
    m_fileDB->RunSQLBatch(Statements);
}

void CVolloDB::RunSQLBatch(const QString& Statement, const QList<QVariantList>& Values) {
    m_fileDB->RunSQLBatch(Statement, Values);
}

QString CVolloDB::GetQuery(const QString& Key) {
    return m_fileDB->GetQuery(Key);
}

CRecordset CVolloDB::RunQuery(const QString& Key) {
    return m_fileDB->RunQuery(Key);
}

qint32 CVolloDB::UpdateItem(const QString& sqlSelect, const QString& sqlInsert, bool* added) {
    return m_fileDB->UpdateItem(sqlSelect, sqlInsert, added);
}

qint32 CVolloDB::UpdateItem(const CStatementShape& select, const CStatementShape& insert,
                            const QString& value, bool* added) {
    return m_fileDB->UpdateItem(select, insert, value, added);
}

CRecordset CVolloDB::GetTagOfFile(qint32 FileID) {
    return m_fileDB->RunSQL(FillPlaceholders(m_fileDB->GetQuery(QStringLiteral("getTagOfFile")),
                                             {{QStringLiteral("%fileID"), FileID}}));
}

void CVolloDB::BeginTransaction() {
    m_fileDB->BeginTransaction();
}

void CVolloDB::CommitTransaction() {
    m_fileDB->CommitTransaction();
}

void CVolloDB::RollbackTransaction() {
    m_fileDB->RollbackTransaction();
}

bool CVolloDB::HasFacts() {
    return m_fileDB->Facts() != nullptr;
}

void CVolloDB::RecordFacts(qint32 FileID, const QString& ShortcutPath) {
    if (CFactStore* facts = m_fileDB->Facts(); facts && !IsReadOnly() && FileID > 0)
        facts->Record(FileID, ShortcutPath);
}

void CVolloDB::RecordFacts(qint32 FileID, const CFileFacts& Facts) {
    if (CFactStore* facts = m_fileDB->Facts(); facts && !IsReadOnly() && FileID > 0)
        facts->Record(FileID, Facts);
}

void CVolloDB::StoreFacts(qint32 FileID, const CFileFacts& Facts) {
    if (CFactStore* facts = m_fileDB->Facts(); facts && !IsReadOnly() && FileID > 0)
        facts->Store(FileID, Facts);
}

void CVolloDB::MarkMissing(qint32 FileID) {
    if (CFactStore* facts = m_fileDB->Facts(); facts && !IsReadOnly())
        facts->MarkMissing(FileID);
}

QHash<qint32, CFileFacts> CVolloDB::FactsOf(const QList<qint32>& FileIDs) {
    CFactStore* facts = m_fileDB->Facts();
    return facts ? facts->Load(FileIDs) : QHash<qint32, CFileFacts>();
}

CDatabase& CVolloDB::Connection() {
    return m_fileDB->Connection();
}

CFactStore::FactList CVolloDB::AllFacts(const CDatabase::SharedText& sharedPath) {
    CFactStore* facts = m_fileDB->Facts();
    return facts ? facts->LoadAll(sharedPath) : CFactStore::FactList();
}

CFactStore::FactList CVolloDB::FactListOf(const QList<qint32>& FileIDs,
                                          const CDatabase::SharedText& sharedPath) {
    CFactStore* facts = m_fileDB->Facts();
    return facts ? facts->LoadList(FileIDs, sharedPath) : CFactStore::FactList();
}

qint64 CVolloDB::FactCount() {
    CFactStore* facts = m_fileDB->Facts();
    return facts ? facts->Count() : 0;
}

qint64 CVolloDB::FileCountAtMost() {
    return Connection().Execute(QStringLiteral("SELECT max(ID) FROM files")).Field(0).toLongLong();
}

void CVolloDB::setSkipWholeCheck(bool Skip) {
    m_fileDB->setSkipWholeCheck(Skip);
}

void CVolloDB::setUpgradeProgress(const CFactStore::Progress& Progress) {
    m_fileDB->setUpgradeProgress(Progress);
}
