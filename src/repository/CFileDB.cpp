#include "CFileDB.h"

#include "BM_Library.h"
#include "CError.h"
#include "CSoundStamp.h"
#include "Placeholders.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

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
    static const char16_t* const words[] = {u"insert", u"update", u"delete"};
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i + 6 <= n; ++i) {
        const char16_t first = sql.at(i).unicode() | 0x20;
        if (first != u'i' && first != u'u' && first != u'd')
            continue;
        for (const char16_t* word : words) {
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
    QString beside = BM_Library::AppFolder() + kTemplateName;
    if (BM_Library::FileExists(beside))
        return beside;
    return QDir::cleanPath(BM_Library::AppFolder() + QStringLiteral(VOLLO_DATA_FROM_PROGRAM "/") +
                           kTemplateName);
}

// What a file at the repository's place turned out to be, learned without
// writing a byte to it.
struct Identity {
    enum Kind { Repository, Blank, Foreign, Damaged, Busy, Unreadable } kind = Repository;
    int code = 0;
    QString cause;
};

Identity Found(Identity::Kind kind, int code, const QString& cause) {
    return Identity{kind, code, cause};
}

Identity Probe(const QString& path, bool whole);

// Reads the file through a read-only connection: nothing is written to a
// file before it is known to be a repository in good order. Whole: every
// page is read for damage, not only those the probe touches.
Identity Identify(const QString& path, bool whole = true) {
    const QFileInfo info(path);
    if (!info.exists())
        return Found(Identity::Unreadable, SQLITE_CANTOPEN,
                     QCoreApplication::translate("CFileDB", "ファイルがありません"));
    if (!info.isFile())
        return Found(Identity::Foreign, SQLITE_NOTADB,
                     QCoreApplication::translate("CFileDB", "ファイルではなくフォルダーなどです"));
    if (info.size() == 0)
        return Found(Identity::Blank, SQLITE_NOTADB,
                     QCoreApplication::translate("CFileDB", "中身のない空のファイルです"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Found(
            Identity::Unreadable, SQLITE_CANTOPEN,
            QCoreApplication::translate("CFileDB", "読み取れません: %1").arg(file.errorString()));
    if (!file.read(16).startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return Found(Identity::Foreign, SQLITE_NOTADB,
                     QCoreApplication::translate("CFileDB", "SQLite のデータベースではありません"));
    file.close();
    // SQLite opens the -wal and -shm files of a database in WAL mode even
    // for reading; a refused file is left exactly as found, so those that
    // were not there go again.
    const QStringList journals{path + QStringLiteral("-wal"), path + QStringLiteral("-shm")};
    const QList<bool> present{QFileInfo::exists(journals[0]), QFileInfo::exists(journals[1])};
    Identity verdict = Probe(path, whole);
    if (verdict.kind == Identity::Damaged || verdict.kind == Identity::Foreign ||
        verdict.kind == Identity::Blank)
        for (qsizetype i = 0; i < journals.size(); ++i)
            if (!present[i])
                QFile::remove(journals[i]);
    return verdict;
}

// Looks inside a file that begins like an SQLite database.
Identity Probe(const QString& path, bool whole) {
    CDatabase probe;
    probe.setReadOnly(true);
    try {
        probe.Open(path);
        if (probe.Execute(QStringLiteral("SELECT count(*) FROM sqlite_master")).Field(0).toInt() ==
            0)
            return Found(
                Identity::Blank, SQLITE_NOTADB,
                QCoreApplication::translate("CFileDB", "表のひとつもない空のデータベースです"));
        if (probe
                .Execute(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' "
                                        "AND name IN ('query','resource')"))
                .Field(0)
                .toInt() != 2)
            return Found(
                Identity::Foreign, SQLITE_NOTADB,
                QCoreApplication::translate(
                    "CFileDB",
                    "表 \"query\" と \"resource\" がなく、別のプログラムのデータベースです"));
        const QString verdict =
            whole ? probe.Execute(QStringLiteral("PRAGMA quick_check(1)")).Field(0).toString()
                  : QStringLiteral("ok");
        if (verdict != QStringLiteral("ok"))
            return Found(Identity::Damaged, SQLITE_CORRUPT, verdict);
    } catch (const CError& e) {
        const int primary = e.Code() & 0xff;
        if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
            return Found(Identity::Busy, e.Code(), e.Text());
        if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
            return Found(Identity::Damaged, SQLITE_CORRUPT, e.Text());
        return Found(Identity::Unreadable, e.Code(), e.Text());
    }
    return Identity{};
}

// Throws the reason a found file is not opened, unless it is a repository.
void Refuse(const Identity& found, const QString& file) {
    switch (found.kind) {
    case Identity::Repository:
        return;
    case Identity::Busy:
        throw CError(found.code,
                     QCoreApplication::translate(
                         "CFileDB", "リポジトリ「%1」は、ほかに起動している Vollo が使っています"
                                    "。\nそちらの Vollo を閉じてから起動してください。")
                         .arg(file));
    case Identity::Damaged:
        throw CError(
            SQLITE_CORRUPT,
            QCoreApplication::translate(
                "CFileDB",
                "リポジトリ「%1」は壊れています（%2）。このファイルには何も書き込んでいま"
                "せん。\n写しを残して新しいリポジトリを始めるか、バックアップから戻してくだ"
                "さい。")
                .arg(file, found.cause));
    case Identity::Foreign:
    case Identity::Blank:
        throw CError(SQLITE_NOTADB,
                     QCoreApplication::translate(
                         "CFileDB",
                         "「%1」は Vollo のリポジトリではありません（%2）。このファイルには何も書き"
                         "込んでいません。\n別の場所へ移すか名前を変えれば、新しいリポジトリを始め"
                         "られます。")
                         .arg(file, found.cause));
    case Identity::Unreadable:
        break;
    }
    throw CError(found.code,
                 QCoreApplication::translate(
                     "CFileDB", "リポジトリ「%1」を開けませんでした（%2）。\nファイルの読み取り"
                                "許可を確かめてください。")
                     .arg(file, found.cause));
}

bool Writable(const QString& path) {
    return access(QFile::encodeName(path).constData(), W_OK) == 0 &&
           access(QFile::encodeName(BM_Library::FolderOf(path)).constData(), W_OK) == 0;
}

// Copies through a temporary name that is synced before it takes the
// repository's name: an interrupted copy never leaves a half-written
// repository that later runs would take for a complete one.
QString CopyTemplate(const QString& from, const QString& to) {
    // Journal files of a repository that was deleted would be replayed onto
    // the fresh copy.
    QFile::remove(to + QStringLiteral("-wal"));
    QFile::remove(to + QStringLiteral("-shm"));
    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    QFile source(from);
    if (!source.copy(partial)) {
        QFile::remove(partial);
        return source.errorString();
    }
    QFile copy(partial);
    // The installed template is read-only; the repository must not be.
    copy.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    const bool synced = copy.open(QIODevice::ReadWrite) && fsync(copy.handle()) == 0;
    const QString problem = synced ? QString() : copy.errorString();
    copy.close();
    if (!synced || !QFile::rename(partial, to)) {
        QFile::remove(partial);
        return problem.isEmpty()
                   ? QCoreApplication::translate("CFileDB", "名前を付け替えられません")
                   : problem;
    }
    return QString();
}

} // namespace

CFileDB::CFileDB()
    : m_iniFileName(), m_shortcutFolder(BM_Library::AddBackslash(BM_Library::AppDataFolder() +
                                                                 QStringLiteral("Vollo"))),
      m_templatePath(FindTemplate()) {
    m_iniFileName = m_shortcutFolder + kRepositoryName;
}

CFileDB::~CFileDB() {
    CloseConnection();
}

CRecordset CFileDB::RunQuery(const QString& Key) {
    // The collected extensions are read before every single file is collected.
    static const QString kSettled[] = {QStringLiteral("getFileExt")};
    if (std::find(std::begin(kSettled), std::end(kSettled), Key) == std::end(kSettled))
        return RunSQL(GetQuery(Key));
    if (const auto known = m_settled.constFind(Key); known != m_settled.constEnd())
        return *known;
    return *m_settled.insert(Key, RunSQL(GetQuery(Key)));
}

CRecordset CFileDB::RunSQL(const QString& strSql) {
    // A statement that reads the flag finds it as the last one left it.
    if (m_flagWanted != m_flagStored &&
        strSql.contains(QLatin1String("IsUpdatedDB"), Qt::CaseInsensitive))
        FlushFlag();
    const bool changes = ChangesData(strSql);
    if (!changes || IsReadOnly()) {
        CRecordset rs = m_connection.Execute(strSql);
        KeepBookkeeping(changes);
        return rs;
    }
    // A change and its flag share one commit.
    CRecordset rs;
    InOwnTransaction([&] {
        rs = m_connection.Execute(strSql);
        KeepBookkeeping(changes);
    });
    return rs;
}

template <typename Work> void CFileDB::InOwnTransaction(Work&& work) {
    if (m_connection.InTransaction()) {
        work();
        return;
    }
    BeginTransaction();
    try {
        work();
        CommitTransaction();
    } catch (const CError& e) {
        RollbackTransaction();
        // A disk that filled up while the program runs still lets it read:
        // writing stops from here, with the notice saying why.
        if ((e.Code() & 0xff) == SQLITE_FULL)
            m_readOnlyNotice = FullNotice();
        throw;
    } catch (...) {
        RollbackTransaction();
        throw;
    }
}

QList<std::pair<qint32, QString>> CFileDB::RunFileList(const QString& strSql,
                                                       const CDatabase::SharedText& shared) {
    QList<std::pair<qint32, QString>> files;
    m_connection.ForEach(strSql, [&files, &shared](const CDatabase::Row& row) {
        const qint64 id = row.Int(0);
        files.emplaceBack(qint32(id), shared ? shared(id, row.Utf8(1)) : row.Text(1));
    });
    KeepBookkeeping(ChangesData(strSql));
    return files;
}

void CFileDB::KeepBookkeeping(bool changed) {
    if (!IsReadOnly())
        m_flagWanted = changed;
}

void CFileDB::WriteFlag(bool changed) {
    if (m_flagStored == changed)
        return;
    m_flagStored.reset(); // unknown should the write fail
    m_connection.Execute(changed ? kFlagTrue : kFlagFalse);
    m_flagStored = changed;
}

void CFileDB::FlushFlag() {
    if (m_flagWanted && !IsReadOnly())
        WriteFlag(*m_flagWanted);
}

void CFileDB::CloseConnection() {
    if (m_connection.IsOpen() && !m_connection.InTransaction()) {
        try {
            FlushFlag();
        } catch (const CError&) {
            // The flag alone is lost; nothing the user stored.
        }
    }
    const bool stamp = m_connection.IsOpen() && m_knownSound && !IsReadOnly();
    m_knownSound = false;
    m_connection.Close();
    if (stamp)
        CSoundStamp(m_iniFileName).Record();
    m_statements.clear();
    m_settled.clear();
    m_flagStored.reset();
    m_flagWanted.reset();
}

void CFileDB::RunSQLBatch(const QStringList& Statements) {
    if (Statements.isEmpty())
        return;
    if (IsReadOnly())
        throw CError(SQLITE_READONLY, m_readOnlyNotice);
    InOwnTransaction([&] {
        bool changed = false;
        for (const QString& statement : Statements) {
            m_connection.Execute(statement);
            changed = changed || ChangesData(statement);
        }
        KeepBookkeeping(changed);
    });
}

void CFileDB::RunSQLBatch(const QString& Statement, const QList<QVariantList>& Values) {
    if (Values.isEmpty())
        return;
    if (IsReadOnly())
        throw CError(SQLITE_READONLY, m_readOnlyNotice);
    const QString sql = CDatabase::TranslateDialect(Statement);
    InOwnTransaction([&] {
        for (const QVariantList& values : Values)
            m_connection.ExecuteBound(sql, values);
        KeepBookkeeping(ChangesData(Statement));
    });
}

qint32 CFileDB::AddItem(const QString& strSql) {
    if (IsReadOnly())
        throw CError(SQLITE_READONLY, m_readOnlyNotice);
    qint64 id = 0;
    InOwnTransaction([&] {
        m_connection.Execute(strSql);
        id = m_connection.LastInsertRowId();
        KeepBookkeeping(true);
    });
    if (id < std::numeric_limits<qint32>::min() || id > std::numeric_limits<qint32>::max())
        throw CError(
            QStringLiteral("The new row's identity %1 does not fit a 32-bit number.").arg(id));
    return static_cast<qint32>(id);
}

template <typename LookUp, typename Add>
qint32 CFileDB::LookUpOrAdd(LookUp&& lookUp, Add&& add, bool* added) {
    qint64 id = 0;
    const auto lookUpOrAdd = [&] {
        CRecordset rs = lookUp();
        if (added != nullptr)
            *added = rs.IsEOF();
        id = rs.IsEOF() ? add() : rs.Field(QStringLiteral("ID")).toLongLong();
    };
    // The lookup and the insert share one write transaction: another program
    // (the command line) cannot register the same path in between, and one
    // lock serves both statements.
    if (IsReadOnly())
        lookUpOrAdd();
    else
        InOwnTransaction(lookUpOrAdd);
    if (id < std::numeric_limits<qint32>::min() || id > std::numeric_limits<qint32>::max())
        throw CError(QStringLiteral("The row's identity %1 does not fit a 32-bit number.").arg(id));
    return static_cast<qint32>(id);
}

qint32 CFileDB::UpdateItem(const QString& sqlSelect, const QString& sqlInsert, bool* added) {
    return LookUpOrAdd([&] { return RunSQL(sqlSelect); },
                       [&]() -> qint64 { return AddItem(sqlInsert); }, added);
}

qint32 CFileDB::UpdateItem(const CStatementShape& select, const CStatementShape& insert,
                           const QString& value, bool* added) {
    // Only statements that do what their plain texts would do to the flag
    // take the bound way: a select that changes nothing, an insert that does.
    const bool bound = select.Bindable(m_connection) && insert.Bindable(m_connection) &&
                       !ChangesData(select.Text()) && ChangesData(insert.Text()) &&
                       !select.Text().contains(QLatin1String("IsUpdatedDB"), Qt::CaseInsensitive);
    if (!bound)
        return UpdateItem(select.Filled(value), insert.Filled(value), added);
    return LookUpOrAdd(
        [&] {
            CRecordset rs = m_connection.ExecuteBound(select.Text(), select.Values(value));
            KeepBookkeeping(false);
            return rs;
        },
        [&]() -> qint64 {
            if (IsReadOnly())
                throw CError(SQLITE_READONLY, m_readOnlyNotice);
            m_connection.ExecuteBound(insert.Text(), insert.Values(value));
            KeepBookkeeping(true);
            return m_connection.LastInsertRowId();
        },
        added);
}

qint32 CFileDB::MakeShortCut(const QString& FilePath) {
    Q_UNUSED(FilePath);
    return 0;
}

QString CFileDB::GetQuery(const QString& Key) {
    if (const auto known = m_statements.constFind(Key); known != m_statements.constEnd())
        return *known;
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
    return *m_statements.insert(Key, sql.toString());
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
    CloseConnection();
    m_hasFacts = false;
    m_readOnlyNotice.clear();
    if (!BM_Library::FolderExists(m_shortcutFolder) && !QDir().mkpath(m_shortcutFolder))
        throw CError(0, QCoreApplication::translate(
                            "CFileDB",
                            "リポジトリのフォルダー「%1」を作れませんでした。\nフォルダーの親に"
                            "書き込めるか、ディスクに空きがあるかを確かめてください。")
                            .arg(m_shortcutFolder));
    // Reading every page of a large repository is most of a start's wait:
    // a file left in good order and untouched since is not read again.
    const bool whole = !m_skipWholeCheck && !CSoundStamp(m_iniFileName).Matches();
    Identity found = Identify(m_iniFileName, whole);
    if (found.kind == Identity::Blank) {
        // Nothing was ever stored in it (a copy from a broken template, or a
        // file made by mistake): kept aside, and a good one takes its place.
        SetAside();
        found = Identify(m_iniFileName, !m_skipWholeCheck);
    }
    if (found.kind == Identity::Unreadable && !QFileInfo::exists(m_iniFileName)) {
        CreateFromTemplate();
        m_isFirstExecution = true;
        found = Identify(m_iniFileName, !m_skipWholeCheck);
    }
    Refuse(found, m_iniFileName);
    m_knownSound = !m_skipWholeCheck;
    OpenForWriting();
    if (!IsReadOnly())
        UpgradeSchema();
    m_hasFacts = CFactStore::HasTable(m_connection);
}

// Runs only on a repository known to be sound and writable, after its first
// write succeeded; one transaction, so an interrupted upgrade leaves the
// repository as it was and the next start upgrades it again.
void CFileDB::UpgradeSchema() {
    try {
        CFactStore::Upgrade(m_connection, m_upgradeProgress);
    } catch (const CError& e) {
        if ((e.Code() & 0xff) != SQLITE_FULL)
            throw CError(e.Code(),
                         QCoreApplication::translate(
                             "CFileDB", "リポジトリ「%1」を新しい形に更新できませんでした（%2）。"
                                        "\nリポジトリは元のままです。")
                             .arg(m_iniFileName, e.Text()));
        m_readOnlyNotice = FullNotice();
    }
}

void CFileDB::setSkipWholeCheck(bool skip) {
    m_skipWholeCheck = skip;
}

CFactStore* CFileDB::Facts() {
    return m_hasFacts && m_connection.IsOpen() ? &m_facts : nullptr;
}

void CFileDB::setUpgradeProgress(const CFactStore::Progress& progress) {
    m_upgradeProgress = progress;
}

void CFileDB::CreateFromTemplate() {
    // Code 0: the texts say what to do themselves; a missing template is the
    // installation's fault, not the repository folder's.
    const Identity model = Identify(m_templatePath);
    if (model.kind != Identity::Repository)
        throw CError(
            0, QCoreApplication::translate(
                   "CFileDB",
                   "リポジトリの元になるテンプレート「%1」が使えません（%2）。リポジトリ「%3」"
                   "は作っていません。\nVollo を入れ直してテンプレートを戻してください。")
                   .arg(m_templatePath, model.cause, m_iniFileName));
    const QString problem = CopyTemplate(m_templatePath, m_iniFileName);
    if (problem.isEmpty())
        return;
    // The copy's own error does not say why; the room left does.
    if (QStorageInfo(m_shortcutFolder).bytesAvailable() < QFileInfo(m_templatePath).size())
        throw CError(SQLITE_FULL,
                     QCoreApplication::translate(
                         "CFileDB", "ディスクに空きがないため、テンプレート「%1」をリポジトリ「%2」"
                                    "へ写せませんでした。\n不要なファイルを消して空きを作ってから、"
                                    "Vollo を起動し直してください。")
                         .arg(m_templatePath, m_iniFileName));
    throw CError(0,
                 QCoreApplication::translate(
                     "CFileDB", "テンプレート「%1」をリポジトリ「%2」へ写せませんでした（%3）。\n"
                                "ディスクの空きとフォルダーの書き込み許可を確かめてください。")
                     .arg(m_templatePath, m_iniFileName, problem));
}

// The first write is the change flag, so a disk without room or a file that
// may not be written shows itself here; the repository is then opened for
// reading, and collecting waits until the cause is gone.
void CFileDB::OpenForWriting() {
    if (!Writable(m_iniFileName)) {
        OpenForReading(ReadOnlyFileNotice());
        return;
    }
    int primary = SQLITE_OK;
    try {
        // Shared WAL locking, not an exclusive lock: other programs (the
        // sqlite3 shell, backups) must be able to read the repository while
        // Vollo runs. One Vollo per repository is kept by the program's
        // single-instance hand-off instead.
        m_connection.setReadOnly(false);
        m_connection.setExclusive(false);
        m_statements.clear();
        m_settled.clear();
        m_connection.Open(m_iniFileName, false);
        m_flagStored.reset();
        m_flagWanted.reset();
        m_connection.Execute(kFlagFalse);
        m_flagStored = m_flagWanted = false;
        AddMissingStatements();
        RememberIdentity();
        return;
    } catch (const CError& e) {
        m_connection.Close();
        primary = e.Code() & 0xff;
        if (primary == SQLITE_BUSY)
            Refuse(Found(Identity::Busy, e.Code(), e.Text()), m_iniFileName);
        if (primary != SQLITE_FULL && primary != SQLITE_READONLY)
            throw CError(e.Code(),
                         QCoreApplication::translate(
                             "CFileDB", "リポジトリ「%1」に書き込めませんでした（%2）。\nディスク"
                                        "とファイルの状態を確かめてから、Vollo を起動し直してくださ"
                                        "い。")
                             .arg(m_iniFileName, e.Text()));
    }
    OpenForReading(primary == SQLITE_FULL ? FullNotice() : ReadOnlyFileNotice());
}

// A repository made from an older template lacks the statements that newer
// commands look up: they come from the template, and a statement that the
// repository holds already is never replaced. Whatever stops the copy leaves
// the missing statement to fail, with its key, where it is used.
void CFileDB::AddMissingStatements() {
    if (QFileInfo(m_templatePath) == QFileInfo(m_iniFileName))
        return;
    auto quoted = [](QString text) {
        return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("''")) +
               QLatin1Char('\'');
    };
    try {
        CDatabase model;
        model.setReadOnly(true);
        model.Open(m_templatePath);
        CRecordset offered = model.Execute(QStringLiteral("SELECT key, sql FROM query"));
        for (; !offered.IsEOF(); offered.MoveNext()) {
            const QString key = quoted(offered.Field(0).toString());
            if (!m_connection.Execute(QStringLiteral("SELECT key FROM query WHERE key = ") + key)
                     .IsEOF())
                continue;
            m_connection.Execute(QStringLiteral("INSERT INTO query (key, sql) VALUES (%1, %2)")
                                     .arg(key, quoted(offered.Field(1).toString())));
        }
    } catch (const CError&) {
    }
}

QString CFileDB::ReadOnlyFileNotice() const {
    return QCoreApplication::translate(
               "CFileDB",
               "リポジトリ「%1」は読み取り専用で、書き込めません。一覧は見られますが、ファイルの収"
               "集と分類の変更はできません。\nファイルとフォルダー「%2」の書き込み許可を戻してから"
               "、Vollo を起動し直してください。")
        .arg(m_iniFileName, m_shortcutFolder);
}

QString CFileDB::FullNotice() const {
    return QCoreApplication::translate(
               "CFileDB",
               "リポジトリ「%1」のあるディスクに空きがありません。一覧は見られますが、空きができる"
               "までファイルの収集と分類の変更はできません。\n不要なファイルを消して空きを作ってか"
               "ら、Vollo を起動し直してください。")
        .arg(m_iniFileName);
}

void CFileDB::OpenForReading(const QString& notice) {
    m_connection.setExclusive(false);
    m_connection.setReadOnly(true);
    m_statements.clear();
    m_settled.clear();
    m_connection.Open(m_iniFileName, false);
    m_readOnlyNotice = notice;
    RememberIdentity();
}

void CFileDB::RememberIdentity() {
    struct stat st;
    m_gone = false;
    m_device = m_inode = 0;
    if (stat(QFile::encodeName(m_iniFileName).constData(), &st) == 0) {
        m_device = quint64(st.st_dev);
        m_inode = quint64(st.st_ino);
    }
}

bool CFileDB::CheckGone() {
    if (m_gone || m_inode == 0)
        return m_gone;
    struct stat st;
    if (stat(QFile::encodeName(m_iniFileName).constData(), &st) == 0) {
        if (quint64(st.st_dev) == m_device && quint64(st.st_ino) == m_inode)
            return false;
    } else if (errno != ENOENT && errno != ENOTDIR) {
        return false; // cannot tell; the next look may
    }
    m_gone = true;
    m_readOnlyNotice = GoneNotice();
    m_connection.setReadOnly(true);
    try {
        // Nothing written from here on, whoever asks.
        m_connection.Execute(QStringLiteral("PRAGMA query_only = 1"));
    } catch (const CError&) {
        // The notice alone keeps the program's own writes away.
    }
    return true;
}

QString CFileDB::GoneNotice() const {
    return QCoreApplication::translate(
               "CFileDB",
               "Vollo のデータフォルダー「%1」が、Vollo の動いている間に削除されたか移されました"
               "。リポジトリとショートカットはもうそこにありません。\n一覧は消える前のまま見られ"
               "ますが、ファイルの収集と分類の変更はできません。フォルダーをバックアップから戻して"
               "から Vollo を起動し直すか、そのまま起動し直して新しく始めてください。")
        .arg(m_shortcutFolder);
}

QString CFileDB::SetAside() {
    m_connection.Close();
    m_statements.clear();
    m_settled.clear();
    m_flagStored.reset();
    m_flagWanted.reset();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString kept = m_shortcutFolder + QStringLiteral("reposit-%1.db").arg(stamp);
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = m_shortcutFolder + QStringLiteral("reposit-%1-%2.db").arg(stamp).arg(n);
    if (!QFile::rename(m_iniFileName, kept))
        throw CError(0, QCoreApplication::translate(
                            "CFileDB",
                            "リポジトリ「%1」を「%2」へ移せませんでした。\nフォルダーの書き込み許"
                            "可を確かめてください。")
                            .arg(m_iniFileName, kept));
    for (const char* journal : {"-wal", "-shm"}) {
        const QString from = m_iniFileName + QLatin1String(journal);
        if (QFileInfo::exists(from))
            QFile::rename(from, kept + QLatin1String(journal));
    }
    return kept;
}

bool CFileDB::IsReadOnly() const {
    return !m_readOnlyNotice.isEmpty();
}

QString CFileDB::ReadOnlyNotice() const {
    return m_readOnlyNotice;
}

bool CFileDB::CanSetAside(const CError& refusal) {
    const int primary = refusal.Code() & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
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
    const bool outermost = !m_connection.InTransaction();
    m_connection.BeginTransaction();
    if (outermost) {
        m_flagAtBegin = m_flagStored;
        m_flagWantedAtBegin = m_flagWanted;
    }
}

void CFileDB::CommitTransaction() {
    try {
        if (m_connection.TransactionDepth() == 1)
            FlushFlag();
        m_connection.CommitTransaction();
    } catch (...) {
        m_flagStored.reset();
        throw;
    }
}

void CFileDB::RollbackTransaction() {
    const bool outermost = m_connection.TransactionDepth() == 1;
    m_connection.RollbackTransaction();
    if (outermost) {
        m_flagStored = m_flagAtBegin;
        m_flagWanted = m_flagWantedAtBegin;
    }
}
