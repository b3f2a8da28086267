#include "CDataFolderWatch.h"

#include "AM_Vollo.h"
#include "CError.h"
#include "CVolloDB.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileSystemWatcher>
#include <QMessageBox>
#include <QWidget>

using AM_Vollo::gRepository;

CDataFolderWatch::CDataFolderWatch(QWidget* owner) : QObject(owner), m_owner(owner) {}

void CDataFolderWatch::Watch(std::function<bool()> Walking) {
    // Told promptly, not at the next click: the folder holds the repository
    // and every shortcut.
    m_walking = std::move(Walking);
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->setObjectName(QStringLiteral("DataFolderWatcher"));
    m_watcher->addPath(QDir::cleanPath(gRepository->ShortcutFolder()));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &CDataFolderWatch::Folder_OnChanged);
}

void CDataFolderWatch::Stop() {
    delete m_watcher;
}

void CDataFolderWatch::Folder_OnChanged() {
    // The repository is let go when the window unloads.
    if (gRepository == nullptr)
        return;
    // A walk stops; the command that runs it tells once it has ended.
    if (m_walking && m_walking()) {
        if (gRepository->CheckGone())
            emit OnGoneDuringWalk();
        return;
    }
    Check();
}

bool CDataFolderWatch::Check() {
    if (gRepository == nullptr || !gRepository->CheckGone())
        return false;
    if (!m_gone) {
        m_gone = true;
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vollo"),
                        gRepository->ReadOnlyNotice(), QMessageBox::Ok, m_owner);
        box.setObjectName(QStringLiteral("DataFolderGone"));
        box.exec();
    }
    return true;
}

QString CDataFolderWatch::BlockedText() {
    return QCoreApplication::translate(
        "FormMain", "データフォルダがないため、変更できません。Vollo を起動し直してください。");
}

void CDataFolderWatch::RequireWritable() {
    if (gRepository->IsReadOnly())
        throw CError(0, gRepository->ReadOnlyNotice());
}
