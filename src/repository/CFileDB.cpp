#include "CFileDB.h"

#include "BM_Library.h"
#include "CError.h"
#include "Placeholders.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#ifndef VOLLO_DATA_FROM_PROGRAM
#define VOLLO_DATA_FROM_PROGRAM "../share/vollo"
#endif

namespace {

const QString kTemplateName = QStringLiteral("vollo.db");
const QString kRepositoryName = QStringLiteral("reposit.db");
const QString kFlagTrue =
    QStringLiteral("UPDATE resource set resource.Value='TRUE' where Key='IsUpdatedDB'");
const QString kFlagFalse =
    QStringLiteral("UPDATE resource set resource.Value='FALSE' where Key='IsUpdatedDB'");

// Whether the text holds INSERT, UPDATE or DELETE anywhere, in any letter
// case. One pass: this runs for every statement.
bool ChangesData(const QString& sql) {
    static const char* const words[] = {"insert", "update", "delete"};
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i + 6 <= n; ++i) {
        const char16_t first = sql.at(i).unicode() | 0x20;
        if (first != u'i' && first != u'u' && first != u'd')
            continue;
        for (const char* word : words) {
            if (first != word[0])
                continue;
            int k = 1;
            while (k < 6 && (sql.at(i + k).unicode() | 0x20) == word[k])
                ++k;
            if (k == 6)
                return true;
        }
    }
    return false;
}

// The shipped template: beside the program when run from the build tree or an
// unpacked archive, otherwise where the installation put it relative to the
// program, so that an installation moved elsewhere still finds it.
QString FindTemplate() {
    const QString beside = BM_Library::AppFolder() + kTemplateName;
    if (BM_Library::FileExists(beside))
        return beside;
    return QDir::cleanPath(BM_Library::AppFolder() + QStringLiteral(VOLLO_DATA_FROM_PROGRAM "/") +
                           kTemplateName);
}

// Copies through a temporary name so that an interrupted copy never leaves a
// half-written repository that later runs would take for a complete one.
void CopyTemplate(const QString& from, const QString& to) {
    QFile::remove(to);
    // Journal files of a repository that was deleted would be replayed onto
    // the fresh copy.
    QFile::remove(to + QStringLiteral("-wal"));
    QFile::remove(to + QStringLiteral("-shm"));
    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(from, partial))
        return;
    // The installed template is read-only; the repository must not be.
    QFile::setPermissions(partial, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                       QFile::WriteUser);
    if (!QFile::rename(partial, to))
        QFile::remove(partial);
}

} // namespace

CFileDB::CFileDB()
    : m_iniFileName(), m_shortcutFolder(BM_Library::AddBackslash(BM_Library::AppDataFolder() +
                                                                 QStringLiteral("Vollo"))),
      m_templatePath(FindTemplate()) {
    m_iniFileName = m_shortcutFolder + kRepositoryName;
}

CFileDB::~CFileDB() {
    m_connection.Close();
}

CRecordset CFileDB::RunSQL(const QString& strSql) {
    CRecordset rs = m_connection.Execute(strSql);
    m_connection.Execute(ChangesData(strSql) ? kFlagTrue : kFlagFalse);
    return rs;
}

qint32 CFileDB::AddItem(const QString& strSql) {
    m_connection.Execute(strSql);
    CRecordset identity = m_connection.Execute(QStringLiteral("SELECT @@IDENTITY"));
    const qint64 id = identity.IsEOF() ? 0 : identity.Field(0).toLongLong();
    m_connection.Execute(kFlagTrue);
    if (id < std::numeric_limits<qint32>::min() || id > std::numeric_limits<qint32>::max())
        throw CError(
            QStringLiteral("The new row's identity %1 does not fit a 32-bit number.").arg(id));
    return static_cast<qint32>(id);
}

qint32 CFileDB::MakeShortCut(const QString& FilePath) {
    Q_UNUSED(FilePath);
    return 0;
}

QString CFileDB::GetQuery(const QString& Key) {
    QString quoted = Key;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    CRecordset rs =
        RunSQL(QStringLiteral("SELECT * FROM query where key=\"") + quoted + QStringLiteral("\""));
    if (rs.IsEOF())
        throw CError(QStringLiteral("The repository %1 holds no statement under the key \"%2\".")
                         .arg(m_iniFileName, Key));
    const QVariant sql = rs.Field(QStringLiteral("sql"));
    if (sql.isNull())
        throw CError(QStringLiteral("The statement under the key \"%1\" in the repository %2 is "
                                    "empty.")
                         .arg(Key, m_iniFileName));
    return sql.toString();
}

void CFileDB::DelTag(qint32 FileID, qint32 TagID) {
    const QString sql =
        FillPlaceholders(GetQuery(QStringLiteral("delTableItem")),
                         {{QStringLiteral("%fid"), QStringLiteral("\"%1\"").arg(FileID)},
                          {QStringLiteral("%tid"), QStringLiteral("\"%1\"").arg(TagID)}});
    m_connection.Execute(sql);
}

void CFileDB::AddTag(qint32 FileID, qint32 TagID) {
    const QString sql =
        FillPlaceholders(GetQuery(QStringLiteral("addTableItem")),
                         {{QStringLiteral("%fid"), QStringLiteral("\"%1\"").arg(FileID)},
                          {QStringLiteral("%tid"), QStringLiteral("\"%1\"").arg(TagID)}});
    m_connection.Execute(sql);
    m_connection.Execute(QStringLiteral("SELECT @@IDENTITY"));
}

void CFileDB::Create() {
    if (!BM_Library::FolderExists(m_shortcutFolder))
        QDir().mkpath(m_shortcutFolder);
    if (!BM_Library::FileExists(m_iniFileName)) {
        CopyTemplate(m_templatePath, m_iniFileName);
        m_isFirstExecution = true;
    }

    const auto fail = [this](int code, const QString& reason) {
        throw CError(code, QStringLiteral("The repository %1 could not be prepared from the "
                                          "template %2: %3")
                               .arg(m_iniFileName, m_templatePath, reason));
    };
    if (!BM_Library::FileExists(m_iniFileName))
        fail(0, BM_Library::FileExists(m_templatePath)
                    ? QStringLiteral("the template could not be copied there.")
                    : QStringLiteral("the template is missing."));
    int tables = 0;
    try {
        // Shared WAL locking, not an exclusive lock: other programs (the
        // sqlite3 shell, backups) must be able to read the repository while
        // Vollo runs. One Vollo per repository is kept by the program's
        // single-instance hand-off instead.
        m_connection.Open(m_iniFileName, false);
        CRecordset store = m_connection.Execute(
            QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                           "name IN ('query','resource')"));
        tables = store.Field(0).toInt();
    } catch (const CError& e) {
        m_connection.Close();
        if ((e.Code() & 0xff) == SQLITE_BUSY)
            throw CError(e.Code(), QStringLiteral("The repository %1 is in use by another "
                                                  "running Vollo.")
                                       .arg(m_iniFileName));
        fail(e.Code(), e.Text());
    }
    // An empty or foreign database opens without complaint; without the
    // statement store every later lookup would fail obscurely.
    if (tables != 2) {
        m_connection.Close();
        fail(0, QStringLiteral("the file is no Vollo repository (it lacks the tables \"query\" "
                               "and \"resource\")."));
    }
}

QString CFileDB::ShortcutFolder() const {
    return m_shortcutFolder;
}

QString CFileDB::INIFileName() const {
    return m_iniFileName;
}

bool CFileDB::IsFirstExecution() const {
    return m_isFirstExecution;
}

QString CFileDB::TemplatePath() const {
    return m_templatePath;
}

void CFileDB::BeginTransaction() {
    m_connection.BeginTransaction();
}

void CFileDB::CommitTransaction() {
    m_connection.CommitTransaction();
}

void CFileDB::RollbackTransaction() {
    m_connection.RollbackTransaction();
}
