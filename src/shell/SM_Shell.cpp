// GLib's headers use the word "signals", which Qt's keywords redefine: they
// come first.
#include <gio/gio.h>

#include "SM_Shell.h"

#include "BM_Library.h"
#include "CError.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPointer>
#include <QStandardPaths>
#include <QStyle>
#include <QUrl>
#include <QWidget>

namespace SM_Shell {

namespace {

const QString& FallbackIconTheme() {
    static const QString name = QStringLiteral("Adwaita");
    return name;
}

// A theme keeps the fallback it saw when it was first read, and the style or
// the first window reads the desktop's theme long before any document shows:
// the fallback goes in while the application object is being made.
void UseFallbackIconTheme() {
    const QString fallback = QIcon::fallbackThemeName();
    if (fallback.isEmpty() || fallback == QLatin1String("hicolor"))
        QIcon::setFallbackThemeName(FallbackIconTheme());
}
Q_COREAPP_STARTUP_FUNCTION(UseFallbackIconTheme)

// A platform that names no theme at all (a bare or off-screen one) has no
// theme to fall back from; the fallback becomes the theme, read from the
// desktop's usual icon folders.
void UseThemeWhereNoneIsNamed() {
    if (!QIcon::themeName().isEmpty())
        return;
    QStringList paths = QIcon::themeSearchPaths();
    const QStringList shared =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                  QStandardPaths::LocateDirectory);
    for (const QString& folder : shared)
        if (!paths.contains(folder))
            paths.append(folder);
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(QIcon::fallbackThemeName());
}

struct IconCache {
    IconCache() {
        UseThemeWhereNoneIsNamed();
        QIcon generic = QIcon::fromTheme(QStringLiteral("text-x-generic"));
        if (generic.isNull() && qobject_cast<QApplication*>(QCoreApplication::instance()))
            generic = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
        icons.append(generic);
    }
    QMimeDatabase mimes;
    QList<QIcon> icons;             // index 0: the generic document
    QHash<QString, int> byMimeType; // MIME type name -> index
    QHash<QString, int> bySuffix;   // lower-case text after the first dot -> index
    // The first suffixes met, as written, with their index: a fill asks for
    // the same few types for every row, and the two copies a lookup in
    // bySuffix needs were most of a large fill's time for icons.
    QList<std::pair<QString, int>> firstSuffixes;
};

constexpr qsizetype kFirstSuffixes = 16;

IconCache& Icons() {
    static IconCache cache;
    return cache;
}

int IconIndexOfType(IconCache& cache, const QMimeType& type) {
    const QString name = type.name();
    if (const auto it = cache.byMimeType.constFind(name); it != cache.byMimeType.cend())
        return *it;
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    int index = 0;
    if (!icon.isNull()) {
        index = int(cache.icons.size());
        cache.icons.append(icon);
    }
    cache.byMimeType.insert(name, index);
    return index;
}

ErrorReporter& Reporter() {
    static ErrorReporter reporter;
    return reporter;
}

bool OpenFolder(const QString& folder, QWidget* parent) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        return true;
    ReportError(
        parent,
        QObject::tr("フォルダ「%1」を開けませんでした。").arg(QDir::toNativeSeparators(folder)));
    return false;
}

} // namespace

QString DocumentPath(const QString& path) {
    const QString target = BM_Library::ShortcutTarget(path);
    return target.isEmpty() ? path : target;
}

int DocumentIconIndex(const QString& documentPath) {
    return DocumentIconIndexOfName(BM_Library::FileNameOf(documentPath));
}

int DocumentIconIndexOfName(const QString& name) {
    IconCache& cache = Icons();
    const qsizetype dot = name.indexOf(QLatin1Char('.'), 1);
    // Types are told by name alone: reading 100,000 documents to guess their
    // type would make a long list slow to fill.
    if (dot > 0) {
        const QStringView asWritten = QStringView(name).mid(dot + 1);
        for (const auto& [known, index] : std::as_const(cache.firstSuffixes))
            if (asWritten == known)
                return index;
        const QString suffix = asWritten.toString().toLower();
        int index = 0;
        if (const auto it = cache.bySuffix.constFind(suffix); it != cache.bySuffix.cend()) {
            index = *it;
        } else {
            index = IconIndexOfType(
                cache, cache.mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension));
            cache.bySuffix.insert(suffix, index);
        }
        if (cache.firstSuffixes.size() < kFirstSuffixes)
            cache.firstSuffixes.append({asWritten.toString(), index});
        return index;
    }
    return IconIndexOfType(cache, cache.mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension));
}

int SystemIconIndex(const QString& path, bool small) {
    Q_UNUSED(small); // one icon serves every size
    return DocumentIconIndex(DocumentPath(path));
}

QIcon SystemIcon(int index) {
    const IconCache& cache = Icons();
    return index >= 0 && index < cache.icons.size() ? cache.icons.at(index) : cache.icons.first();
}

int SystemIconCount() {
    return int(Icons().icons.size());
}

QWidget* TopLevelWindow(QWidget* w) {
    return w ? w->window() : nullptr;
}

bool OpenDocument(const QString& path, QWidget* parent) {
    QString document;
    try {
        document = DocumentPath(path);
    } catch (const CError& e) {
        ReportError(parent, QObject::tr("ショートカット「%1」を読めませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(path), e.Text()));
        return false;
    }
    if (!QFileInfo::exists(document)) {
        ReportError(
            parent,
            QObject::tr(
                "「%1」が見つかりません。\nファイルが移動されたか削除された可能性があります。")
                .arg(QDir::toNativeSeparators(document)));
        return false;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(document)))
        return true;
    ReportError(parent, QObject::tr("「%1」を開くアプリケーションが見つかりませんでした。")
                            .arg(QDir::toNativeSeparators(document)));
    return false;
}

bool ShowInFolder(const QString& documentPath, QWidget* parent) {
    const QFileInfo info(documentPath);
    const QString folder = info.absolutePath();
    if (!info.exists()) {
        if (!documentPath.isEmpty() && QFileInfo(folder).isDir())
            return OpenFolder(folder, parent);
        ReportError(
            parent,
            QObject::tr("「%1」が見つかりません。").arg(QDir::toNativeSeparators(documentPath)));
        return false;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return OpenFolder(folder, parent);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(info.absoluteFilePath()).toString()} << QString();
    // The answer comes later; without a file manager on the bus the folder is
    // opened instead, and the window never waits.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 10000));
    const QPointer<QWidget> owner = parent;
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, folder, owner] {
                         if (watcher->isError())
                             OpenFolder(folder, owner);
                         watcher->deleteLater();
                     });
    return true;
}

QList<Application> ApplicationsFor(const QString& documentPath) {
    QList<Application> result;
    const QMimeType type =
        Icons().mimes.mimeTypeForFile(documentPath, QMimeDatabase::MatchExtension);
    gchar* contentType = g_content_type_from_mime_type(type.name().toUtf8().constData());
    if (!contentType)
        return result;
    GAppInfo* preferred = g_app_info_get_default_for_type(contentType, FALSE);
    QString preferredId;
    if (preferred) {
        preferredId = QString::fromUtf8(g_app_info_get_id(preferred));
        result.append({preferredId, QString::fromUtf8(g_app_info_get_display_name(preferred))});
        g_object_unref(preferred);
    }
    GList* all = g_app_info_get_all_for_type(contentType);
    for (GList* it = all; it; it = it->next) {
        auto* app = static_cast<GAppInfo*>(it->data);
        const QString id = QString::fromUtf8(g_app_info_get_id(app));
        if (id != preferredId)
            result.append({id, QString::fromUtf8(g_app_info_get_display_name(app))});
    }
    g_list_free_full(all, g_object_unref);
    g_free(contentType);
    return result;
}

bool OpenWith(const QString& appId, const QString& documentPath, QWidget* parent) {
    if (!QFileInfo::exists(documentPath)) {
        ReportError(
            parent,
            QObject::tr(
                "「%1」が見つかりません。\nファイルが移動されたか削除された可能性があります。")
                .arg(QDir::toNativeSeparators(documentPath)));
        return false;
    }
    GAppInfo* chosen = nullptr;
    GList* all = g_app_info_get_all();
    for (GList* it = all; it && !chosen; it = it->next) {
        auto* app = static_cast<GAppInfo*>(it->data);
        if (QString::fromUtf8(g_app_info_get_id(app)) == appId)
            chosen = G_APP_INFO(g_object_ref(app));
    }
    g_list_free_full(all, g_object_unref);
    if (!chosen) {
        ReportError(parent, QObject::tr("アプリケーション「%1」が見つかりません。").arg(appId));
        return false;
    }
    const QByteArray uri = QUrl::fromLocalFile(documentPath).toEncoded();
    GList uris{};
    uris.data = const_cast<char*>(uri.constData());
    GError* error = nullptr;
    const bool launched = g_app_info_launch_uris(chosen, &uris, nullptr, &error);
    g_object_unref(chosen);
    if (!launched) {
        ReportError(parent, QObject::tr("「%1」を開けませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(documentPath),
                                     error ? QString::fromUtf8(error->message) : QString()));
        if (error)
            g_error_free(error);
        return false;
    }
    return true;
}

ErrorReporter setErrorReporter(ErrorReporter reporter) {
    ErrorReporter previous = std::move(Reporter());
    Reporter() = std::move(reporter);
    return previous;
}

void ReportError(QWidget* parent, const QString& text) {
    if (const ErrorReporter& reporter = Reporter()) {
        reporter(parent, text);
        return;
    }
    QMessageBox::warning(parent, QStringLiteral("Vollo"), text);
}

} // namespace SM_Shell
