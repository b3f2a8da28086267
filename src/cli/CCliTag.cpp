#include "CCliTag.h"

#include "CCategoryLinks.h"
#include "CDatabase.h"
#include "CDocumentQuery.h"
#include "CFileCollector.h"
#include "CTagMirror.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

QString Absolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QString CCliTag::Name() const {
    return m_link ? QStringLiteral("tag") : QStringLiteral("untag");
}

QString CCliTag::Summary() const {
    return m_link ? tr("ファイルをカテゴリに入れます。登録されていないファイルは登録します。")
                  : tr("ファイルをカテゴリから外します。");
}

void CCliTag::Describe(QCommandLineParser& Parser) {
    Parser.addPositionalArgument(QStringLiteral("CATEGORY"), tr("カテゴリの名前。"));
    Parser.addPositionalArgument(QStringLiteral("FILE"), tr("ファイル。いくつでも指定できます。"),
                                 QStringLiteral("FILE..."));
}

QHash<QString, qint32> CCliTag::Known(const QStringList& Paths) {
    // Every path in one statement, as a JSON array: a statement per path
    // cost more than the look-ups themselves. The engine turns the list
    // into an index of its own, probed once per stored path.
    const QByteArray paths =
        QJsonDocument(QJsonArray::fromStringList(Paths)).toJson(QJsonDocument::Compact);
    // A document is known by its path as stored, kept with every relink:
    // the path vollo list prints is the one that finds it here.
    QHash<QString, qint32> known;
    Repository().Connection().ForEachBound(
        QStringLiteral("SELECT ff.fileID, ff.docPath FROM filefacts ff "
                       "WHERE ff.docPath IN (SELECT value FROM json_each(?))"),
        {QString::fromUtf8(paths)},
        [&](const CDatabase::Row& row) { known.insert(row.Text(1), qint32(row.Int(0))); });
    return known;
}

QList<qint32> CCliTag::Collect(const QStringList& Files, bool* AllFound) {
    QStringList paths;
    paths.reserve(Files.size());
    for (const QString& file : Files)
        paths << Absolute(file);
    // Registered documents are linked as they are: collecting each again
    // would cost a search of the shortcut folder per file.
    const QHash<QString, qint32> known = Known(paths);
    CFileCollector collector(Repository());
    collector.BeginBatch();
    QList<qint32> ids;
    for (qsizetype i = 0; i < Files.size(); ++i) {
        const QString& file = Files[i];
        if (const qint32 id = known.value(paths[i]))
            ids << id;
        else if (QFileInfo(file).isDir() && !QFileInfo(file).isSymLink())
            collector.LeftOut().Add(file,
                                    tr("フォルダです。フォルダは vollo add で取り込みます。"));
        else if (const qint32 id = collector.CollectFile(paths[i]))
            ids << id;
    }
    collector.EndBatch();
    for (const CLeftOut::Item& item : collector.LeftOut().Items())
        Complain(QStringLiteral("%1: %2").arg(item.Path, item.Reason));
    *AllFound = collector.LeftOut().IsEmpty();
    return ids;
}

QList<qint32> CCliTag::Registered(const QStringList& Files, bool* AllFound) {
    const QHash<QString, qint32> byPath = CDocumentQuery(Repository()).ByPath();
    QList<qint32> ids;
    *AllFound = true;
    for (const QString& file : Files) {
        const qint32 id = byPath.value(Absolute(file));
        if (id != 0) {
            ids << id;
        } else {
            Complain(tr("%1: Vollo に登録されていません。").arg(file));
            *AllFound = false;
        }
    }
    return ids;
}

int CCliTag::Run(const QCommandLineParser& Parser) {
    QStringList arguments = Parser.positionalArguments();
    if (arguments.size() < 2)
        return UsageError(tr("カテゴリの名前とファイルを指定してください。"));
    CVolloDB& repository = Writable();
    const qint32 tag = CDocumentQuery(repository).RequireCategory(arguments.takeFirst());
    bool allFound = false;
    CTransactionScope transaction(repository);
    CCategoryLinks links(repository);
    // The desktop's tags follow a link made here as one made in the window.
    CTagMirror mirror(repository);
    links.setTagMirror(&mirror);
    if (m_link)
        links.LinkFiles(Collect(arguments, &allFound), tag);
    else
        links.UnlinkFiles(Registered(arguments, &allFound), tag);
    transaction.Commit();
    for (const CLeftOut::Item& item : mirror.Skipped().Items())
        Complain(QStringLiteral("%1: %2").arg(item.Path, item.Reason));
    Changed();
    return allFound ? Success : Failure;
}
