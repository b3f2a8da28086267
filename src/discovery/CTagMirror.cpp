#include "CTagMirror.h"

#include "BM_Library.h"
#include "CError.h"
#include "CRecordset.h"
#include "CVolloDB.h"
#include "CXdgTags.h"
#include "Placeholders.h"

#include <QDir>
#include <QSet>

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
        docs.append({id, path, {}, {}});
    }
    for (const auto& [id, tags] : m_repository.RunFileList(
             QStringLiteral("SELECT fileID, tags FROM xdgowned %1").arg(filter))) {
        if (at.contains(id))
            docs[at.value(id)].owned = OwnedOf(tags);
    }
    if (!Names)
        return docs;
    QHash<qint32, QString> names;
    for (const auto& [id, name] :
         m_repository.RunFileList(QStringLiteral("SELECT ID, tagName FROM tags")))
        names.insert(id, m_displayPath(id, name));
    for (const auto& [id, tag] : m_repository.RunFileList(
             QStringLiteral("SELECT fileID, tagID FROM filetags %1 ORDER BY fileID, tagID")
                 .arg(filter))) {
        const QString name = names.value(tag.toInt());
        if (at.contains(id) && !name.isEmpty())
            docs[at.value(id)].names << name;
    }
    return docs;
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

std::optional<QStringList> CTagMirror::MirrorOne(const Doc& Doc) {
    QString target;
    try {
        target = BM_Library::ShortcutTarget(Doc.shortcut);
    } catch (const CError& e) {
        m_skipped.Add(Doc.shortcut, e);
        return std::nullopt;
    }
    if (target.isEmpty())
        return std::nullopt;
    QByteArray value;
    int error = CXdgTags::Read(target, &value);
    QStringList owned = Doc.owned;
    if (error == 0) {
        const QByteArray merged = Merge(value, Doc.names, &owned);
        if (merged != value)
            error = CXdgTags::Write(target, merged);
    }
    if (error != 0) {
        m_skipped.Add(target, CLeftOut::ReasonFor(error));
        return std::nullopt;
    }
    return owned;
}

qint64 CTagMirror::Run(QList<Doc>& Docs, const Progress& Progress) {
    const QString store = QStringLiteral("INSERT OR REPLACE INTO xdgowned (fileID, tags) VALUES "
                                         "(%fileID, \"%tags\")");
    const QString forget = QStringLiteral("DELETE FROM xdgowned WHERE fileID = %fileID");
    QStringList statements;
    qint64 done = 0;
    for (const Doc& doc : Docs) {
        if (Progress && done % 256 == 0 && !Progress(done, Docs.size()))
            break;
        ++done;
        const std::optional<QStringList> owned = MirrorOne(doc);
        if (!owned || *owned == doc.owned)
            continue;
        statements << FillPlaceholders(
            owned->isEmpty() ? forget : store,
            {{QStringLiteral("%fileID"), doc.id}, {QStringLiteral("%tags"), owned->join(u',')}});
    }
    // What was written is remembered even when the user stopped halfway.
    m_repository.BeginTransaction();
    try {
        m_repository.RunSQLBatch(statements);
    } catch (...) {
        m_repository.RollbackTransaction();
        throw;
    }
    m_repository.CommitTransaction();
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
    lines << tr("%1 件の文書にはカテゴリをタグ (user.xdg.tags) として書き込めませんでした。"
                "Vollo の中のカテゴリはそのままです。")
                 .arg(items.size());
    for (qsizetype i = 0; i < items.size() && i < Shown; ++i)
        lines << tr("・%1\n    %2").arg(QDir::toNativeSeparators(items[i].Path), items[i].Reason);
    if (items.size() > Shown)
        lines << tr("ほか %1 件").arg(items.size() - Shown);
    return lines.join(QLatin1Char('\n'));
}
