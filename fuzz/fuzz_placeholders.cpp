// Any name filled into the stored statements goes into SQLite and comes back
// byte-exact, and the stored lookup finds it again: whatever quotes, "#",
// "%" words or SQL it holds, it never changes the statement.
#include "BM_Library.h"
#include "CDatabase.h"
#include "CError.h"
#include "Placeholders.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

struct Store {
    QTemporaryDir dir;
    CDatabase db;
    QString insert;
    QString select;
};

Store* g_store = nullptr;

QString Query(CDatabase& db, const char* key) {
    return db
        .Execute(QStringLiteral("SELECT sql FROM query WHERE key='%1'").arg(QLatin1String(key)))
        .Field(0)
        .toString();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    g_store = new Store;
    const QString copy = g_store->dir.path() + QStringLiteral("/reposit.db");
    if (!QFile::copy(BM_Library::AppFolder() + QStringLiteral("vollo.db"), copy))
        std::abort();
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    g_store->db.Open(copy);
    g_store->insert = Query(g_store->db, "addFileName");
    g_store->select = Query(g_store->db, "getFileName");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString name = QString::fromUtf8(bytes);
    // File names are UTF-8 without NUL; other byte strings are no name.
    if (name.toUtf8() != bytes || bytes.contains('\0'))
        return 0;
    CDatabase& db = g_store->db;
    db.BeginTransaction();
    try {
        db.Execute(FillPlaceholders(
            g_store->insert, {{QStringLiteral("%fileName"), name},
                              {QStringLiteral("%fileAge"), QStringLiteral("#2026/12/06#")}}));
        const qint64 id = db.LastInsertRowId();
        const QString stored =
            db.Execute(QStringLiteral("SELECT path FROM files WHERE ID=%1").arg(id))
                .Field(0)
                .toString();
        CRecordset found =
            db.Execute(FillPlaceholders(g_store->select, {{QStringLiteral("%fileName"), name}}));
        if (stored.toUtf8() != bytes || found.IsEOF() ||
            found.Field(QStringLiteral("ID")).toLongLong() != id)
            std::abort();
    } catch (const CError& e) {
        // The schema refuses some names (an empty path); a refusal is fine,
        // a statement the name broke is not.
        if (!e.Text().contains(QStringLiteral("constraint"), Qt::CaseInsensitive))
            std::abort();
    }
    db.RollbackTransaction();
    return 0;
}
