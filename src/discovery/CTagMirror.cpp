#include "CTagMirror.h"

#include "BM_Library.h"
#include "CCategoryStore.h"
#include "CError.h"
#include "CRecordset.h"
#include "CVolloDB.h"
#include "CXdgTags.h"
#include "Placeholders.h"

#include <QDir>
#include <QScopeGuard>
#include <QSet>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString IdList(const QList<qint32>& ids) {
    QStringList texts;
    texts.reserve(ids.size());
    for (qint32 id : ids)
        texts << QString::number(id);
    return texts.join(u',');
}

QStringList OwnedOf(const QString& stored) {
    return stored.split(u',', Qt::SkipEmptyParts);
}

} // namespace

CTagMirror::CTagMirror(CVolloDB& repository)
    : m_repository(repository), m_displayPath([](qint32, const QString& name) { return name; }) {}

void CTagMirror::setDisplayPath(DisplayPath Path) {
    m_displayPath = std::move(Path);
}

void CTagMirror::Prepare() {
    if (m_state)
        return;
    // Repositories made before the mirror existed get its column and table
    // on first use; one open for reading keeps the mirror off.
    const bool hasColumn =
        m_repository
            .RunSQL(QStringLiteral("SELECT count(*) FROM pragma_table_info('setting') WHERE name = "
                                   "'xdgTags'"))
            .Field(0)
            .toInt() == 1;
    m_hasFacts = m_repository.HasTable(QStringLiteral("filefacts"));
    if (m_repository.IsReadOnly()) {
        m_state = State::Off;
        return;
    }
    if (!hasColumn)
        m_repository.RunSQL(
            QStringLiteral("ALTER TABLE setting ADD COLUMN xdgTags INTEGER NOT NULL DEFAULT 0"));
    m_repository.RunSQL(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS xdgowned (fileID INTEGER PRIMARY KEY REFERENCES files (ID) "
        "ON DELETE CASCADE, tags TEXT NOT NULL)"));
    const int stored =
        m_repository.RunSQL(QStringLiteral("SELECT xdgTags FROM setting WHERE ID = 1"))
            .Field(0)
            .toInt();
    m_state = stored == 2 ? State::On : stored == 1 ? State::Off : State::NotAsked;
}

CTagMirror::State CTagMirror::Setting() {
    Prepare();
    return *m_state;
}

void CTagMirror::setSetting(State Value) {
    Prepare();
    if (m_repository.IsReadOnly())
        return;
    m_repository.RunSQL(
        QStringLiteral("UPDATE setting SET xdgTags = %1 WHERE ID = 1").arg(int(Value)));
    m_state = Value;
}

QList<CTagMirror::Doc> CTagMirror::Load(const QString& Files, bool Names) {
    Prepare();
    // Files: a subquery of file IDs, or empty for every file.
    const QString where =
        Files.isEmpty() ? QString() : QStringLiteral("WHERE ID IN (%1)").arg(Files);
    const QString filter =
        Files.isEmpty() ? QString() : QStringLiteral("WHERE fileID IN (%1)").arg(Files);
    QList<Doc> docs;
    QHash<qint32, qsizetype> at;
    for (const auto& [id, path] : m_repository.RunFileList(
             QStringLiteral("SELECT ID, path FROM files %1 ORDER BY ID").arg(where))) {
        at.insert(id, docs.size());
        docs.append({id, path, {}, {}, {}});
    }
    // Where each document is, as registration and moves recorded it: one
    // query instead of reading every shortcut.
    if (m_hasFacts) {
        for (const auto& [id, path] : m_repository.RunFileList(
                 QStringLiteral("SELECT fileID, docPath FROM filefacts %1 %2 missing = 0")
                     .arg(filter,
                          filter.isEmpty() ? QStringLiteral("WHERE") : QStringLiteral("AND"))))
            if (at.contains(id))
                docs[at.value(id)].target = path;
    }
    for (const auto& [id, tags] : m_repository.RunFileList(
             QStringLiteral("SELECT fileID, tags FROM xdgowned %1").arg(filter))) {
        if (at.contains(id))
            docs[at.value(id)].owned = OwnedOf(tags);
    }
    if (!Names)
        return docs;
    const QHash<qint32, QString> names = WrittenNames();
    for (const auto& [id, tag] : m_repository.RunFileList(
             QStringLiteral("SELECT fileID, tagID FROM filetags %1 ORDER BY fileID, tagID")
                 .arg(filter))) {
        const QString name = names.value(tag.toInt());
        if (at.contains(id) && !name.isEmpty())
            docs[at.value(id)].names << name;
    }
    return docs;
}

QHash<qint32, QString> CTagMirror::WrittenNames() {
    QHash<qint32, QString> shown;
    for (const auto& [id, name] :
         m_repository.RunFileList(QStringLiteral("SELECT ID, tagName FROM tags")))
        shown.insert(id, m_displayPath(id, name));
    // A nested category is written with its ancestors, top first, the way
    // Dolphin nests tags. The store refuses cycles; the bound only keeps a
    // damaged table from looping.
    const CCategoryStore::ParentMap parents = CCategoryStore(m_repository).Parents();
    QHash<qint32, QString> written;
    for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
        QString path = it.value();
        qint32 up = parents.value(it.key());
        for (qsizetype depth = 0; up != 0 && depth < shown.size(); ++depth) {
            path = shown.value(up) + u'/' + path;
            up = parents.value(up);
        }
        written.insert(it.key(), path);
    }
    return written;
}

QList<qint32> CTagMirror::FilesUnder(qint32 TagID) {
    if (!IsOn())
        return {};
    QStringList tags{QString::number(TagID)};
    for (qint32 below : CCategoryStore(m_repository).Descendants(TagID))
        tags << QString::number(below);
    QList<qint32> files;
    for (const auto& [id, unused] : m_repository.RunFileList(
             QStringLiteral("SELECT DISTINCT fileID, '' FROM filetags WHERE tagID IN (%1)")
                 .arg(tags.join(u','))))
        files << id;
    return files;
}

void CTagMirror::UpdateCategory(qint32 TagID) {
    Update(FilesUnder(TagID));
}

QByteArray CTagMirror::Merge(const QByteArray& Value, const QStringList& Names,
                             QStringList* Owned) {
    QList<QByteArray> parts;
    QSet<QString> present;
    for (const QByteArray& part : CXdgTags::RawParts(Value)) {
        const QString tag = CXdgTags::TagOf(part);
        if (!tag.isEmpty() && Owned->contains(tag))
            continue;
        parts << part;
        present.insert(tag);
    }
    // A tag the user gave the document elsewhere stays the user's, even when
    // a category of the same name is linked too.
    Owned->clear();
    for (const QString& name : Names) {
        if (CXdgTags::Writable(name) && !present.contains(name)) {
            parts << name.toUtf8();
            present.insert(name);
            *Owned << name;
        }
    }
    return CXdgTags::Compose(parts);
}

QString CTagMirror::TargetOf(const QString& Shortcut) {
    // Shortcuts lie in the one folder: read from it, a link is found by its
    // name alone instead of by its whole path.
    const qsizetype slash = Shortcut.lastIndexOf(u'/');
    if (m_folder >= 0 && slash >= 0 && QStringView(Shortcut).left(slash + 1) == m_folderPath) {
        char buffer[4096];
        const QByteArray name = QFile::encodeName(Shortcut.mid(slash + 1));
        const ssize_t n = readlinkat(m_folder, name.constData(), buffer, sizeof buffer);
        if (n > 0 && n < ssize_t(sizeof buffer) && buffer[0] == '/')
            return QDir::cleanPath(QFile::decodeName(QByteArray::fromRawData(buffer, n)));
    }
    return BM_Library::ShortcutTarget(Shortcut);
}

int CTagMirror::WriteTo(const QString& Target, const Doc& Doc, QStringList* Owned) {
    *Owned = Doc.owned;
    int error = EEXIST;
    if (Owned->isEmpty()) {
        // Never written by the mirror: a document without the attribute
        // holds no one else's tags and takes the value in one call, which
        // fails (EEXIST) instead when a value is there after all.
        const QByteArray fresh = Merge(QByteArray(), Doc.names, Owned);
        error = fresh.isEmpty() ? 0 : CXdgTags::Create(Target, fresh);
        if (error != 0)
            Owned->clear();
    }
    if (error == EEXIST) {
        QByteArray value;
        error = CXdgTags::Read(Target, &value);
        if (error == 0) {
            const QByteArray merged = Merge(value, Doc.names, Owned);
            if (merged != value)
                error = CXdgTags::Write(Target, merged);
        }
    }
    return error;
}

std::optional<QStringList> CTagMirror::MirrorOne(const Doc& Doc) {
    QStringList owned;
    // Nothing written before and nothing to write: the document is left be.
    if (Doc.owned.isEmpty() && Doc.names.isEmpty())
        return owned;
    QString target = Doc.target;
    int error = target.isEmpty() ? ENOENT : WriteTo(target, Doc, &owned);
    if (error == ENOENT) {
        // Facts not recorded or behind a move: the shortcut knows.
        try {
            target = TargetOf(Doc.shortcut);
        } catch (const CError& e) {
            m_skipped.Add(Doc.shortcut, e);
            return std::nullopt;
        }
        if (target.isEmpty())
            return std::nullopt;
        if (target != Doc.target)
            error = WriteTo(target, Doc, &owned);
    }
    if (error != 0) {
        m_skipped.Add(target, CLeftOut::ReasonFor(error));
        return std::nullopt;
    }
    return owned;
}

void CTagMirror::Remember(const QList<std::pair<qint32, QStringList>>& Owned) {
    // A statement per set of tags, not per document: thousands of documents
    // share a few sets, and a write per document costs more than the
    // attributes themselves.
    QHash<QString, QList<qint32>> byTags;
    QStringList order;
    for (const auto& [id, tags] : Owned) {
        const QString joined = tags.join(u',');
        QList<qint32>& ids = byTags[joined];
        if (ids.isEmpty())
            order << joined;
        ids << id;
    }
    QStringList statements;
    for (const QString& tags : std::as_const(order)) {
        const QString ids = IdList(byTags.value(tags));
        if (tags.isEmpty()) {
            statements << QStringLiteral("DELETE FROM xdgowned WHERE fileID IN (%1)").arg(ids);
        } else {
            // A single-quoted text is passed on as it stands.
            QString quoted = tags;
            quoted.replace(u'\'', QLatin1String("''"));
            statements << QStringLiteral("INSERT OR REPLACE INTO xdgowned (fileID, tags) SELECT "
                                         "value, '%1' FROM json_each('[%2]')")
                              .arg(quoted, ids);
        }
    }
    m_repository.RunSQLBatch(statements);
}

qint64 CTagMirror::Run(QList<Doc>& Docs, const Progress& Progress) {
    m_folderPath = m_repository.ShortcutFolder();
    if (!m_folderPath.endsWith(u'/'))
        m_folderPath += u'/';
    m_folder =
        open(QFile::encodeName(m_folderPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const auto closeFolder = qScopeGuard([this] {
        if (m_folder >= 0)
            close(m_folder);
        m_folder = -1;
    });
    QList<std::pair<qint32, QStringList>> owned;
    qint64 done = 0;
    for (const Doc& doc : Docs) {
        if (Progress && done % 256 == 0 && !Progress(done, Docs.size()))
            break;
        ++done;
        std::optional<QStringList> now = MirrorOne(doc);
        if (now && *now != doc.owned)
            owned.append({doc.id, std::move(*now)});
    }
    Remember(owned);
    if (Progress)
        Progress(done, Docs.size());
    if (!m_skipped.IsEmpty() && m_onSkipped)
        m_onSkipped();
    return done;
}

void CTagMirror::Update(const QList<qint32>& FileIDs) {
    if (FileIDs.isEmpty() || !IsOn())
        return;
    QList<Doc> docs = Load(IdList(FileIDs), true);
    Run(docs, {});
}

qint64 CTagMirror::WriteAll(const Progress& Progress) {
    QList<Doc> docs = Load(QString(), true);
    return Run(docs, Progress);
}

qint64 CTagMirror::RemoveAll(const Progress& Progress) {
    QList<Doc> docs = Load(QStringLiteral("SELECT fileID FROM xdgowned"), false);
    return Run(docs, Progress);
}

QString CTagMirror::SkippedNotice(qint32 Shown) const {
    const QList<CLeftOut::Item>& items = m_skipped.Items();
    if (items.isEmpty())
        return QString();
    QStringList lines;
    lines << tr("%Ln 件の文書にはカテゴリをタグ (user.xdg.tags) として書き込めませんでした。"
                "Vollo の中のカテゴリはそのままです。",
                nullptr, int(items.size()));
    for (qsizetype i = 0; i < items.size() && i < Shown; ++i)
        lines << tr("・%1\n    %2").arg(QDir::toNativeSeparators(items[i].Path), items[i].Reason);
    if (items.size() > Shown)
        lines << tr("ほか %L1 件").arg(items.size() - Shown);
    return lines.join(QLatin1Char('\n'));
}
