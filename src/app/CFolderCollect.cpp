#include "CFolderCollect.h"

#include "BM_Library.h"
#include "CCategory.h"
#include "CError.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

using namespace BM_Library;

CFolderCollect::CFolderCollect(QWidget* owner) : m_owner(owner) {}

QAction* CFolderCollect::Create(QToolButton* Button) {
    auto* collect =
        new QAction(QCoreApplication::translate("FormMain", "フォルダを取り込む..."), m_owner);
    collect->setObjectName(QStringLiteral("CollectFolder"));
    m_owner->addAction(collect);
    auto* menu = new QMenu(m_owner);
    menu->setObjectName(QStringLiteral("FolderMenu"));
    menu->addAction(collect);
    Button->setPopupMode(QToolButton::MenuButtonPopup);
    Button->setMenu(menu);
    return collect;
}

QString CFolderCollect::AskFolder() const {
    const QString start = m_lastFolder.isEmpty() ? DocumentsFolder(m_owner) : m_lastFolder;
    return QFileDialog::getExistingDirectory(
        m_owner, QCoreApplication::translate("FormMain", "取り込むフォルダを選んでください"),
        start);
}

QString CFolderCollect::Resolve(const QString& folder) {
    QString real = QFileInfo(folder).canonicalFilePath();
    if (real.isEmpty() || !FolderExists(real))
        throw CError(0, QCoreApplication::translate("FormMain", "フォルダ「%1」が見つかりません。")
                            .arg(folder));
    m_lastFolder = folder;
    return real;
}

qint32 CFolderCollect::CategoryOf(const QTreeWidgetItem* node) {
    // A saved search's node names no category: 0 as the root.
    const qint32 id = CCategory::NodeID(node);
    // Categories have IDs from 1 to 500; extension categories lie above.
    return id > 0 && id <= 500 ? id : 0;
}
