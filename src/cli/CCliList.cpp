#include "CCliList.h"

#include "CDocumentQuery.h"
#include "CDocumentRows.h"
#include "CQueryCompiler.h"
#include "CVolloDB.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>

#include <array>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Appends the target of Shortcut when it is a link in Folder to a clean
// absolute path (as every shortcut Vollo makes is); false for anything else,
// which then takes the shortcut reader's long way.
bool AppendTarget(int Dir, const QByteArray& Folder, const QByteArray& Shortcut, QByteArray* Out) {
    if (Dir < 0 || !Shortcut.startsWith(Folder) || Shortcut.indexOf('/', Folder.size()) >= 0)
        return false;
    std::array<char, 4096> target{};
    const ssize_t n =
        readlinkat(Dir, Shortcut.constData() + Folder.size(), target.data(), target.size());
    if (n <= 0 || n >= ssize_t(target.size()) || target[0] != '/' || target[n - 1] == '/')
        return false;
    const QByteArrayView view(target.data(), n);
    if (view.contains("//") || view.contains("/./") || view.contains("/../") ||
        view.endsWith("/.") || view.endsWith("/.."))
        return false;
    Out->append(view);
    return true;
}

} // namespace

QString CCliList::Summary() const {
    return tr("条件に合う文書のパスを 1 行に 1 つずつ表示します。");
}

void CCliList::Describe(QCommandLineParser& Parser) {
    Parser.addOption({QStringLiteral("0"), tr("改行の代わりに NUL で区切ります。")});
    Parser.addOption(
        {QStringLiteral("json"), tr("パス、カテゴリ、サイズ、更新日時を JSON で表示します。")});
    Parser.addPositionalArgument(QStringLiteral("QUERY"),
                                 tr("カテゴリ名。省略するとすべての文書です。"),
                                 QStringLiteral("[QUERY]"));
}

int CCliList::Run(const QCommandLineParser& Parser) {
    const QString query = Parser.positionalArguments().join(QLatin1Char(' '));
    if (Parser.isSet(QStringLiteral("json"))) {
        if (Parser.isSet(QStringLiteral("0")))
            return UsageError(tr("-0 と --json は同時に指定できません。"));
        PrintJson(query);
        return Success;
    }
    const char end = Parser.isSet(QStringLiteral("0")) ? '\0' : '\n';
    QByteArray out;
    // Every shortcut sits in the one folder: each is read relative to it, its
    // target's bytes written as they are, without a round trip through text.
    const QByteArray folder = PathBytes(Repository().ShortcutFolder());
    const int dir = open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const auto closeDir = qScopeGuard([dir] {
        if (dir >= 0)
            close(dir);
    });
    // The document's path as last stored (kept with every relink), read with
    // the rows: a read of each shortcut cost most of a long list. A file
    // without stored facts reads its shortcut.
    // Paths are written as the engine holds them: only valid UTF-8 is ever
    // stored, which is how the file system spells them too.
    CQueryCompiler(Repository().Connection()).Locate(query, [&](const CDatabase::Row& file) {
        const QByteArrayView stored = file.Utf8(2);
        if (stored.startsWith('/')) {
            out += stored;
        } else if (!AppendTarget(dir, folder, file.Utf8(1).toByteArray(), &out)) {
            const QString shortcut = file.Text(1);
            const QString path = CDocumentRows::DocumentOf(shortcut);
            out += PathBytes(path.isEmpty() ? shortcut : path);
        }
        out += end;
        if (out.size() > 65536) {
            Out(out);
            out.clear();
        }
    });
    Out(out);
    return Success;
}

void CCliList::PrintJson(const QString& Query) {
    CVolloDB& repository = Repository();
    QJsonArray rows;
    const auto files = CDocumentQuery(repository).Files(Query);
    for (const CDocumentRows::Row& row : CDocumentRows(repository).Rows(files, false)) {
        QJsonObject object{
            {QStringLiteral("path"), row.Path},
            {QStringLiteral("categories"), QJsonArray::fromStringList(row.Categories)}};
        if (row.Missing) {
            object.insert(QStringLiteral("missing"), true);
        } else {
            object.insert(QStringLiteral("size"), row.Size);
            object.insert(QStringLiteral("modified"),
                          QDateTime::fromMSecsSinceEpoch(row.Modified / 1000000, Qt::UTC)
                              .toString(Qt::ISODateWithMs));
        }
        rows.append(object);
    }
    Out(QJsonDocument(rows).toJson(QJsonDocument::Indented));
}
