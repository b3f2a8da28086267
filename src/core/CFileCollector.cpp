#include "CFileCollector.h"

#include "BM_Library.h"
#include "CError.h"
#include "CTagImport.h"
#include "CTagMirror.h"
#include "CVolloDB.h"
#include "Placeholders.h"
#include "SM_Shortcut.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace BM_Library;

namespace {

// How far the shortcuts may run ahead of their rows: enough to go on through
// a commit of the walk's batch, little enough that a cancelled walk stops soon.
constexpr qsizetype kAheadUnmade = 4096;

} // namespace

CFileCollector::CFileCollector(CVolloDB& repository) : m_repository(repository) {}

QString CFileCollector::Query(const QString& Key) {
    if (!m_batch)
        return m_repository.GetQuery(Key);
    auto it = m_queries.constFind(Key);
    if (it != m_queries.constEnd())
        return *it;
    QString sql = m_repository.GetQuery(Key);
    m_queries.insert(Key, sql);
    return sql;
}

void CFileCollector::BeginBatch() {
    m_batch = true;
    m_repository.Connection().setBulkCache(true);
}

void CFileCollector::EndBatch() {
    m_batch = false;
    m_ahead.reset();
    m_pending.clear();
    // Also reached while an error unwinds the batch: the memory is only lent.
    try {
        m_repository.Connection().setBulkCache(false);
    } catch (const CError& e) {
        qWarning("Vollo: %s", qUtf8Printable(e.Text()));
    }
    if (m_mirror)
        m_mirror->Update(std::exchange(m_linked, {}));
    m_queries.clear();
    m_selectShape = {};
    m_insertShape = {};
    m_haveExtensions = false;
    m_extensionTexts.clear();
    m_extensionCache.clear();
}

qint32 CFileCollector::AddFileRow(const QString& FileName, bool* added) {
    // The day of registration, not a date of the document. The local date
    // costs the C library a look at the time zone file each time, so it is
    // taken again only once a minute.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (m_today.isEmpty() || now < m_todaySince || now >= m_todaySince + 60) {
        const QString today =
            DateLiteral(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        if (today != m_today)
            m_insertShape = {};
        m_today = today;
        m_todaySince = now;
    }
    const QList<QPair<QString, QVariant>> day = {{QStringLiteral("%fileAge"), m_today}};
    if (!m_batch) {
        const QString select = FillPlaceholders(Query(QStringLiteral("getFileName")),
                                                {{QStringLiteral("%fileName"), FileName}});
        const QString insert =
            FillPlaceholders(Query(QStringLiteral("addFileName")),
                             {{QStringLiteral("%fileName"), FileName}, day.first()});
        return m_repository.UpdateItem(select, insert, added);
    }
    // A walk registers thousands of files with the same two statements:
    // they are translated once, and each file only binds its path.
    if (m_selectShape.IsEmpty())
        m_selectShape =
            CStatementShape(Query(QStringLiteral("getFileName")), QStringLiteral("%fileName"));
    if (m_insertShape.IsEmpty())
        m_insertShape =
            CStatementShape(Query(QStringLiteral("addFileName")), QStringLiteral("%fileName"), day);
    return m_repository.UpdateItem(m_selectShape, m_insertShape, FileName, added);
}

qint32 CFileCollector::RegisterFile(const QString& FileName) {
    const qint32 id = AddFileRow(FileName);
    // Every way in (walk, drop, recent documents, collected folders) passes
    // here, so every registered document has its facts.
    m_repository.RecordFacts(id, FileName);
    if (m_import)
        m_import->Gather(id, FileName);
    return id;
}

qint32 CFileCollector::RegisterFile(const QString& FileName, const CFileFacts& Document) {
    return RegisterDocument(FileName, Document, nullptr);
}

qint32 CFileCollector::RegisterDocument(const QString& FileName, const CFileFacts& Document,
                                        const CShortcutsAhead::Made* Made) {
    // The shortcut leads to the clean absolute path it was made from; any
    // other path (a relative one, a shortcut collected as such) is read back.
    if (Document.missing || !QDir::isAbsolutePath(Document.path) ||
        QDir::cleanPath(Document.path) != Document.path ||
        Document.path.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive))
        return RegisterFile(FileName);
    bool added = false;
    const qint32 id = AddFileRow(FileName, &added);
    // A row made just now has no facts to compare with (its ID is new).
    if (added)
        m_repository.StoreFacts(id, Document);
    else
        m_repository.RecordFacts(id, Document);
    // Tags read beside the shortcut are the document's: the thread was
    // handed the path its facts were taken from.
    if (m_import && Made && Made->tagsRead >= 0)
        m_import->GatherRead(id, Document.path, Made->tagsRead, Made->tags);
    else if (m_import)
        m_import->GatherTarget(id, Document.path);
    return id;
}

void CFileCollector::LinkFileToTag(qint32 FileID, qint32 TagID) {
    // A row without key stands for no registered file: never link it.
    if (FileID < 1 || TagID <= 0)
        return;
    const QString statement =
        FillPlaceholders(Query(QStringLiteral("getFileTag")),
                         {{QStringLiteral("%fileID"), FileID}, {QStringLiteral("%tagID"), TagID}});
    CRecordset rs = m_repository.RunSQL(statement);
    if (!rs.IsEOF())
        return;
    m_repository.AddFileTag(FileID, TagID);
    if (m_mirror && m_batch)
        m_linked << FileID;
    else if (m_mirror)
        m_mirror->Update({FileID});
}

QStringList CFileCollector::DroppedFiles(const QMimeData* Data, QStringList* Folders,
                                         CLeftOut* LeftOut) {
    QStringList files;
    if (Data == nullptr || !Data->hasUrls())
        return files;
    const QList<QUrl> urls = Data->urls();
    for (const QUrl& url : urls) {
        struct stat st {};
        const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
        const QString reason = path.isEmpty() ? DropRefusal(url) : DropRefusal(path, &st);
        if (!reason.isEmpty()) {
            if (LeftOut)
                LeftOut->Add(url.isLocalFile() ? path : url.toDisplayString(), reason);
            continue;
        }
        // A shortcut counts as a file whatever it points to.
        if (S_ISDIR(st.st_mode)) {
            if (Folders)
                Folders->append(path);
        } else {
            files << path;
        }
    }
    return files;
}

QString CFileCollector::DropRefusal(const QUrl& Url) {
    if (!Url.isLocalFile()) {
        const QString scheme = Url.scheme().toLower();
        return scheme == QLatin1String("http") || scheme == QLatin1String("https")
                   ? tr("Web のリンクです。ファイルを保存してから、"
                        "そのファイルをドロップしてください。")
                   : tr("このコンピュータの上のファイルではありません。");
    }
    struct stat st;
    return DropRefusal(Url.toLocalFile(), &st);
}

QString CFileCollector::DropRefusal(const QString& path, struct stat* Found) {
    // The drop names the file by text; a name that is not valid text comes
    // out as a path to nothing, and such a path is never registered.
    struct stat& st = *Found;
    if (lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno != ENOENT ? CLeftOut::ReasonFor(errno)
                               : tr("見つかりません。名前に UTF-8 でない文字が含まれているか、"
                                    "移動か削除されたファイルです。");
    if (S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode))
        return QString();
    if (!S_ISREG(st.st_mode))
        return tr("通常のファイルではありません。");
    if (access(QFile::encodeName(path).constData(), R_OK) != 0)
        return CLeftOut::ReasonFor(errno);
    return QString();
}

QString CFileCollector::NotDocumentReason(const QString& Path) {
    return NotDocumentReason(Path, nullptr);
}

QString CFileCollector::NotDocumentReason(const QString& Path, CFileFacts* Facts,
                                          const struct stat* Seen) {
    if (Seen != nullptr && S_ISREG(Seen->st_mode)) {
        if (Facts)
            *Facts = CFileFacts::Of(Path, *Seen);
        return {};
    }
    const QByteArray name = QFile::encodeName(Path);
    struct stat st;
    if (stat(name.constData(), &st) != 0) {
        const int code = errno;
        return code == ENOENT && lstat(name.constData(), &st) == 0
                   ? tr("リンク先が見つかりません。")
                   : CLeftOut::ReasonFor(code);
    }
    if (!S_ISREG(st.st_mode))
        return tr("通常のファイルではありません。");
    if (Facts)
        *Facts = CFileFacts::Of(Path, st);
    return {};
}

void CFileCollector::AddDroppedFiles(const QStringList& Files, qint32 TagID) {
    // A large drop reads its statements once, as a walk does.
    const bool ownBatch = !m_batch;
    if (ownBatch)
        BeginBatch();
    // The shortcuts are made on a second thread, as a walk makes them.
    const bool ownAhead = !m_ahead;
    BeginAhead();
    try {
        for (const QString& file : Files) {
            CFileFacts document;
            if (const QString refusal = Refusal(file, &document); !refusal.isEmpty())
                LeaveOut(file, refusal);
            else
                HandOn(file, std::move(document), TagID);
        }
        if (ownAhead)
            SettleAhead();
    } catch (...) {
        if (ownBatch)
            EndBatch();
        throw;
    }
    if (ownBatch)
        EndBatch();
}

QString CFileCollector::Refusal(const QString& File, CFileFacts* Document) {
    // A shortcut to nothing would be registered as a document.
    // A link that leads to no regular file (itself, a device) is no document.
    struct stat st {};
    const QString refusal =
        File.isEmpty() ? DropRefusal(QUrl::fromLocalFile(File)) : DropRefusal(File, &st);
    return refusal.isEmpty() ? NotDocumentReason(File, Document, &st) : refusal;
}

qint32 CFileCollector::CollectFile(const QString& File) {
    CFileFacts document;
    if (const QString refusal = Refusal(File, &document); !refusal.isEmpty()) {
        m_leftOut.Add(File, refusal);
        return 0;
    }
    QString shortcut;
    try {
        shortcut = SM_Shortcut::MakeShortcutFile(m_repository.ShortcutFolder(), File);
    } catch (const CError& e) {
        // One refused file never stops the others: it is told afterwards.
        m_leftOut.Add(File, e);
        return 0;
    }
    return RegisterFile(shortcut, document);
}

bool CFileCollector::IsCollectedExtension(const QString& ext) {
    if (!m_batch || !m_haveExtensions) {
        m_extensionTexts.clear();
        m_extensionCache.clear();
        CRecordset rs = m_repository.RunQuery(QStringLiteral("getFileExt"));
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            m_extensionTexts << rs.Field(0).toString().toLower();
        m_haveExtensions = m_batch;
    }
    const QString key = ext.toLower();
    auto it = m_extensionCache.constFind(key);
    if (it != m_extensionCache.constEnd())
        return *it;
    bool found = false;
    for (const QString& text : std::as_const(m_extensionTexts)) {
        if (text.contains(key)) {
            found = true;
            break;
        }
    }
    m_extensionCache.insert(key, found);
    return found;
}

bool CFileCollector::CollectFound(const QString& FileName, qint32 TagID, const struct stat* Found) {
    // The extension of the name itself: a dot in a folder name is none, and
    // a name without extension (or ending in a bare dot, which every list
    // text contains) is no document of a listed type.
    const QString name = FileNameOf(FileName);
    if (!name.contains(u'.'))
        return false;
    const QString ext = ExtensionOf(name);
    if (ext.size() < 2 || !IsCollectedExtension(ext))
        return false;
    // The walk reports links and special files as it finds them; only what
    // leads to a regular file is a document.
    CFileFacts document;
    // What the walk saw spares a second look from the root, which would cost
    // a lookup of every folder on the way.
    if (const QString refusal = NotDocumentReason(FileName, &document, Found); !refusal.isEmpty()) {
        LeaveOut(FileName, refusal);
        return false;
    }
    if (m_ahead) {
        HandOn(FileName, std::move(document), TagID);
        return true;
    }
    QString shortcut;
    try {
        shortcut = SM_Shortcut::MakeShortcutFile(m_repository.ShortcutFolder(), FileName);
    } catch (const CError& e) {
        // One refused document never stops the walk: it is told afterwards.
        m_leftOut.Add(FileName, e);
        return false;
    }
    LinkFileToTag(RegisterFile(shortcut, document), TagID);
    ++m_collected;
    return true;
}

void CFileCollector::BeginAhead() {
    if (m_ahead || !m_batch)
        return;
    m_ahead = std::make_unique<CShortcutsAhead>(m_repository.ShortcutFolder(), m_import != nullptr);
}

void CFileCollector::SettleAhead() {
    if (!m_ahead)
        return;
    TakeAhead(0);
    m_ahead.reset();
}

void CFileCollector::HandOn(const QString& Path, CFileFacts&& Document, qint32 TagID) {
    m_ahead->Add(Path);
    m_pending.push_back({Path, std::move(Document), TagID, {}});
    TakeAhead(kAheadUnmade);
}

void CFileCollector::LeaveOut(const QString& Path, const QString& Reason) {
    // Told in the order found, after the documents before it.
    if (m_ahead && !m_pending.empty())
        m_pending.push_back({Path, {}, 0, Reason});
    else
        m_leftOut.Add(Path, Reason);
}

void CFileCollector::TakeAhead(qsizetype Unmade) {
    const std::vector<CShortcutsAhead::Made> made = m_ahead->Take(Unmade);
    const auto refusals = [this] {
        while (!m_pending.empty() && !m_pending.front().refusal.isEmpty()) {
            m_leftOut.Add(m_pending.front().path, m_pending.front().refusal);
            m_pending.pop_front();
        }
    };
    for (const CShortcutsAhead::Made& one : made) {
        refusals();
        const Pending document = std::move(m_pending.front());
        m_pending.pop_front();
        if (!one.shortcut.isEmpty()) {
            LinkFileToTag(RegisterDocument(one.shortcut, document.document, &one), document.tag);
            ++m_collected;
        } else if (one.error) {
            // One refused document never stops the walk: it is told afterwards.
            m_leftOut.Add(document.path, *one.error);
        }
    }
    refusals();
}

void CFileCollector::LeftOutFound(const QString& FilePath, const QString& Reason) {
    // A folder may hold documents; a file counts only when it would have
    // been collected.
    const QString name = FileNameOf(FilePath);
    if (FilePath.endsWith(u'/') || (name.contains(u'.') && ExtensionOf(name).size() > 1 &&
                                    IsCollectedExtension(ExtensionOf(name))))
        LeaveOut(FilePath, Reason);
}

qint32 CFileCollector::CollectRecent(const QString& FileName) {
    const QString copy = SM_Shortcut::CopyShortcutFile(m_repository.ShortcutFolder(), FileName);
    return RegisterFile(copy);
}
