#include "CShortcutReconciler.h"

#include "BM_Library.h"
#include "CError.h"
#include "CShortcutReader.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "Placeholders.h"
#include "SM_Shortcut.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Names of the shortcuts (symbolic links or copied shell links) in folder.
QStringList ShortcutNames(const QString& folder) {
    QStringList names;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent* de = readdir(dir)) {
        const QString name = QFile::decodeName(de->d_name);
        if (!name.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive))
            continue;
        // The entry's type comes with its name on most file systems: one
        // call per shortcut less, at a start that lists every one of them.
        if (de->d_type == DT_LNK || de->d_type == DT_REG) {
            names << name;
            continue;
        }
        struct stat st;
        if (de->d_type == DT_UNKNOWN &&
            fstatat(dirfd(dir), de->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            (S_ISLNK(st.st_mode) || S_ISREG(st.st_mode)))
            names << name;
    }
    closedir(dir);
    return names;
}

bool Exists(const QString& path) {
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

CShortcutReconciler::CShortcutReconciler(CVolloDB& repository) : m_repository(repository) {}

CShortcutReconciler::Result CShortcutReconciler::Reconcile(bool Change) {
    Result result;
    if (Change && m_repository.IsReadOnly())
        return result;
    const QString folder = m_repository.ShortcutFolder();
    const QStringList names = ShortcutNames(folder);
    // Shortcuts the listing showed and no row has claimed yet. A row whose
    // shortcut is among them needs no call of its own to be known present.
    QSet<QStringView> unclaimed;
    unclaimed.reserve(names.size());
    for (const QString& name : names)
        unclaimed.insert(name);
    CTransactionScope transaction(m_repository);
    const auto rows =
        m_repository.RunFileList(m_repository.GetQuery(QStringLiteral("getFileNameAll")));
    for (const auto& row : rows) {
        const QString& path = row.second;
        if (path.startsWith(folder) && unclaimed.remove(QStringView(path).mid(folder.size())))
            continue;
        if (!Exists(path)) {
            if (Change)
                m_repository.DelFileName(path);
            ++result.removedRows;
        }
    }
    const CShortcutReader reader;
    const QString day =
        BM_Library::DateLiteral(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    for (const QString& name : names) {
        if (!unclaimed.contains(name))
            continue;
        const QString path = folder + name;
        QString target;
        try {
            target = reader.Target(path);
        } catch (const CError&) {
        }
        if (!Change) {
            ++(!target.isEmpty() && QFileInfo::exists(target) ? result.registered
                                                              : result.removedShortcuts);
        } else if (!target.isEmpty() && QFileInfo::exists(target)) {
            const QString select =
                FillPlaceholders(m_repository.GetQuery(QStringLiteral("getFileName")),
                                 {{QStringLiteral("%fileName"), path}});
            const QString insert = FillPlaceholders(
                m_repository.GetQuery(QStringLiteral("addFileName")),
                {{QStringLiteral("%fileName"), path}, {QStringLiteral("%fileAge"), day}});
            m_repository.RecordFacts(m_repository.UpdateItem(select, insert), path);
            ++result.registered;
        } else if (unlink(QFile::encodeName(path).constData()) == 0) {
            ++result.removedShortcuts;
        }
    }
    transaction.Commit();
    if (Change && result.removedShortcuts > 0)
        SM_Shortcut::ForgetFolder(folder);
    return result;
}
