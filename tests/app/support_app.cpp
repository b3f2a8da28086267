#include "support_app.h"

#include "AM_Vollo.h"
#include "CLanguage.h"
#include "CListViewControl.h"
#include "CVolloDB.h"

#include <QtTest>
#include <QtWidgets>

#include <cstdio>
#include <ftw.h>
#include <glib.h>
#include <sys/stat.h>

void ModalAnswerer::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible() || box->property("answered").toBool())
        return;
    // Enter goes where the user's would: to the button that has the focus.
    QWidget* focus = QApplication::focusWidget();
    if (m_answer == QMessageBox::NoButton && (focus == nullptr || focus->window() != box))
        return;
    box->setProperty("answered", true);
    m_texts << box->text();
    if (auto f = std::exchange(m_beforeAnswer, nullptr))
        f();
    if (m_answer == QMessageBox::NoButton)
        return QTest::keyClick(focus, Qt::Key_Return);
    QAbstractButton* button = box->button(m_answer);
    if (button == nullptr)
        button = box->defaultButton();
    button != nullptr ? button->click() : box->done(m_answer);
}

namespace AppTest {

QString DocumentsFolder() {
    return QDir::homePath() + QStringLiteral("/Documents");
}

QString RepositoryFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Vollo");
}

void ResetAll() {
    QDir(RepositoryFolder()).removeRecursively();
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
         QStringLiteral("/Vollo"))
        .removeRecursively();
    QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                  QStringLiteral("/recently-used.xbel"));
    // Byte by byte: QDir cannot name entries whose names are not text.
    nftw(
        QFile::encodeName(DocumentsFolder()).constData(),
        [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
    QDir().mkpath(DocumentsFolder());
}

void AddRecentEntry(const QString& path, const QDateTime& when) {
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/recently-used.xbel");
    GBookmarkFile* bookmarks = g_bookmark_file_new();
    // A list not there yet starts empty.
    g_bookmark_file_load_from_file(bookmarks, QFile::encodeName(file).constData(), nullptr);
    const QByteArray uri =
        path.startsWith("file:") ? path.toUtf8() : QUrl::fromLocalFile(path).toEncoded();
    GDateTime* stamp = g_date_time_new_from_unix_utc(when.toSecsSinceEpoch());
    g_bookmark_file_set_mime_type(bookmarks, uri.constData(), "text/plain");
    g_bookmark_file_add_application(bookmarks, uri.constData(), "gedit", "gedit %u");
    g_bookmark_file_set_added_date_time(bookmarks, uri.constData(), stamp);
    g_bookmark_file_set_modified_date_time(bookmarks, uri.constData(), stamp);
    g_bookmark_file_set_visited_date_time(bookmarks, uri.constData(), stamp);
    g_date_time_unref(stamp);
    QDir().mkpath(QFileInfo(file).absolutePath());
    const bool written =
        g_bookmark_file_to_file(bookmarks, QFile::encodeName(file).constData(), nullptr);
    g_bookmark_file_free(bookmarks);
    if (!written)
        qFatal("cannot write the bookmark file");
}

QStringList Shortcuts() {
    return QDir(RepositoryFolder())
        .entryList({QStringLiteral("*.lnk")}, QDir::Files | QDir::System | QDir::Hidden,
                   QDir::Name);
}

bool DropFiles(QWidget* target, const QStringList& files, const QPoint& pos) {
    QList<QUrl> urls;
    for (const QString& f : files)
        urls << QUrl::fromLocalFile(f);
    return DropUrls(target, urls, pos);
}

bool DropUrls(QWidget* target, const QList<QUrl>& urls, const QPoint& pos) {
    QMimeData data;
    data.setUrls(urls);
    return DropData(target, &data, pos);
}

bool DropData(QWidget* target, const QMimeData* data, const QPoint& pos) {
    const Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction;
    QDragEnterEvent enter(pos, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(pos, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(pos), actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

void SetupJapanese() {
    AM_Vollo::SetupApplication();
    CLanguage::Load(QLocale(QLocale::Japanese, QLocale::Japan));
}

int Count(const QString& sql) {
    return AM_Vollo::gRepository->RunSQL(sql).Field(0).toInt();
}

int FileCount() {
    return Count(QStringLiteral("SELECT COUNT(*) FROM files"));
}

int LinkCount(qint32 tagID) {
    return Count(QStringLiteral("SELECT COUNT(*) FROM filetags WHERE tagID = %1").arg(tagID));
}

QString Doc(const QString& name, const QByteArray& content) {
    return WriteFile(DocumentsFolder() + QLatin1Char('/') + name, content);
}

Holdings CheckSound(CVolloDB& db, const QString& where) {
    Holdings held;
    for (CRecordset rs = db.RunQuery(QStringLiteral("getFileNameAll")); !rs.IsEOF();
         rs.MoveNext()) {
        held.rows.insert(rs.Field(1).toString());
        held.targets.insert(QFile::symLinkTarget(rs.Field(1).toString()));
    }
    for (const QString& name :
         QDir(db.ShortcutFolder()).entryList({QStringLiteral("*.lnk")}, QDir::Files | QDir::System))
        held.shortcuts.insert(db.ShortcutFolder() + name);
    [&] {
        QCOMPARE(db.RunSQL(QStringLiteral("PRAGMA integrity_check")).Field(0).toString(),
                 QStringLiteral("ok"));
        QVERIFY2(held.rows == held.shortcuts, qPrintable(where));
        QCOMPARE(held.targets.size(), held.rows.size());
    }();
    return held;
}

QStringList ListTexts(CListViewControl* list) {
    QStringList texts;
    for (int i = 1; i <= list->ListItemCount(); ++i)
        texts << list->ListItem(i).Text();
    texts.sort();
    return texts;
}

void Window::Open(bool firstStartHandled) {
    AM_Vollo::OpenRepository();
    if (firstStartHandled)
        AM_Vollo::gRepository->RunQuery(QStringLiteral("setFirstStart"));
}

void Window::Stop() {
    if (m_form != nullptr)
        m_form->close();
    delete m_form;
    m_form = AM_Vollo::gMainForm = nullptr;
    AM_Vollo::ReleaseRepository();
}

QPoint Window::At(const QString& key) const {
    Tree()->scrollToItem(Node(key));
    return Tree()->visualItemRect(Node(key)).center();
}

void Window::ClickNode(const QString& key) const {
    QVERIFY(Node(key) != nullptr);
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, At(key));
}

} // namespace AppTest
