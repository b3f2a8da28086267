#include "CContextMenu.h"

#include "BM_Library.h"
#include "CError.h"
#include "SM_Shell.h"

#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeDatabase>

#include <utility>

namespace {

// One menu open in the whole process at a time.
QPointer<QMenu> gCurrentMenu;

bool IsShortcut(const QString& path) {
    const QFileInfo info(path);
    return info.isSymLink() ||
           (info.isFile() && BM_Library::ExtensionOf(path).compare(QStringLiteral(".lnk"),
                                                                   Qt::CaseInsensitive) == 0);
}

// The document a path stands for, or empty text for an unreadable shortcut.
QString DocumentOf(const QString& path) {
    try {
        return SM_Shell::DocumentPath(path);
    } catch (const CError&) {
        return QString();
    }
}

QString PropertiesText(const QString& path, const QString& document) {
    const QFileInfo info(document);
    const QLocale locale;
    QStringList lines;
    lines << QObject::tr("名前: %1").arg(info.fileName());
    lines << QObject::tr("場所: %1").arg(QDir::toNativeSeparators(info.absolutePath()));
    if (document != path)
        lines << QObject::tr("ショートカット: %1").arg(QDir::toNativeSeparators(path));
    if (!info.exists()) {
        lines << QObject::tr("ファイルが見つかりません。");
        return lines.join(QLatin1Char('\n'));
    }
    lines << QObject::tr("種類: %1").arg(QMimeDatabase().mimeTypeForFile(info).comment());
    lines << QObject::tr("サイズ: %1 (%2 バイト)")
                 .arg(BM_Library::FileSizeText(document), locale.toString(info.size()));
    lines << QObject::tr("更新日時: %1").arg(BM_Library::FileDateTimeText(document));
    const QDateTime created = info.birthTime();
    if (created.isValid())
        lines << QObject::tr("作成日時: %1")
                     .arg(BM_Library::DateText(created) + QLatin1Char(' ') +
                          BM_Library::TimeText(created));
    const QDateTime read = info.lastRead();
    if (read.isValid())
        lines << QObject::tr("アクセス日時: %1")
                     .arg(BM_Library::DateText(read) + QLatin1Char(' ') +
                          BM_Library::TimeText(read));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

CContextMenu::CContextMenu(QObject* parent) : QObject(parent) {}

CContextMenu::~CContextMenu() = default;

bool CContextMenu::Create(QWidget* hWndOwner) {
    mvarOwner = hWndOwner;
    return false;
}

QWidget* CContextMenu::Owner() const {
    return mvarOwner;
}

QStringList CContextMenu::SplitFileNames(const QString& FileNames) {
    QStringList names;
    BM_Library::SplitText(BM_Library::CutAtDoubleNull(FileNames), QString(QChar(0)), names);
    // A single trailing NUL ends the list rather than naming an empty file.
    while (names.size() > 1 && names.last().isEmpty())
        names.removeLast();
    return names;
}

bool CContextMenu::ShowMenu(const QString& FileNames, qint16 Shift) {
    Q_UNUSED(Shift);
    ShowMenuAt(FileNames, QCursor::pos());
    return false;
}

QMenu* CContextMenu::ShowMenuAt(const QString& FileNames, const QPoint& GlobalPos) {
    const QStringList names = SplitFileNames(FileNames);
    if (names.isEmpty() || names.first().isEmpty())
        return nullptr;
    if (gCurrentMenu)
        gCurrentMenu->close();
    QMenu* menu = buildMenu(names);
    gCurrentMenu = menu;
    menu->popup(GlobalPos);
    emit OnMenuShown(menu);
    return menu;
}

QMenu* CContextMenu::CurrentMenu() {
    return gCurrentMenu && gCurrentMenu->isVisible() ? gCurrentMenu.data() : nullptr;
}

bool CContextMenu::IsRecent(const QString& path) const {
    return !mvarRecentFolder.isEmpty() && path.startsWith(mvarRecentFolder);
}

QString CContextMenu::DeleteQuestion(const QStringList& names, const QStringList& documents) const {
    const bool allRecent =
        std::all_of(names.cbegin(), names.cend(), [this](const QString& n) { return IsRecent(n); });
    const QString what = names.size() == 1
                             ? tr("「%1」").arg(BM_Library::FileNameOf(
                                   documents.first().isEmpty() ? names.first() : documents.first()))
                             : tr("%Ln 個のファイル", nullptr, int(names.size()));
    // A recent row stands for the desktop's entry; the document's own
    // shortcut, and with it every category, stays.
    const QString text =
        allRecent ? tr("%1 を最近使ったファイルから取り除きますか？\n\n"
                       "デスクトップの「最近使ったファイル」からも消え、ほかのプログラムにも"
                       "表示されなくなります。Vollo に取り込んだものとカテゴリはそのまま残ります。")
                        .arg(what)
                  : tr("%1 のショートカットを削除しますか？\n\n"
                       "Vollo から外れ、すべてのカテゴリからも外れます。")
                        .arg(what);
    return text + tr("\nファイルそのものは削除しません。");
}

void CContextMenu::DeleteShortcuts(const QString& FileNames) {
    const QStringList names = SplitFileNames(FileNames);
    // Only shortcuts are ever deleted here, never a document.
    if (names.isEmpty() || names.first().isEmpty() ||
        !std::all_of(names.cbegin(), names.cend(), IsShortcut))
        return;
    QStringList documents;
    for (const QString& name : names)
        documents << DocumentOf(name);
    DeleteShortcuts(names, documents, mvarOwner);
}

void CContextMenu::DeleteShortcuts(const QStringList& names, const QStringList& documents,
                                   QWidget* owner) {
    QMessageBox question(QMessageBox::Question, tr("ショートカットを削除"),
                         DeleteQuestion(names, documents), QMessageBox::Yes | QMessageBox::No,
                         owner);
    question.setObjectName(QStringLiteral("DeleteShortcutQuestion"));
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        if (!IsShortcut(name))
            continue;
        // The desktop's list would bring a recent row back on the next
        // listing; every program reading it forgets the document too.
        if (IsRecent(name) && !documents[i].isEmpty() &&
            (!m_forgetRecent || !m_forgetRecent(documents[i]))) {
            SM_Shell::ReportError(owner,
                                  tr("「%1」を最近使ったファイルの一覧から取り除けませんでした。\n"
                                     "%2 に書き込めるか確かめてください。")
                                      .arg(BM_Library::FileNameOf(documents[i]),
                                           QDir::toNativeSeparators(m_recentList)));
            continue;
        }
        QFile link(name);
        if (link.remove())
            emit OnShortcutDeleted(name);
        else
            SM_Shell::ReportError(owner,
                                  tr("ショートカット「%1」を削除できませんでした。\n%2")
                                      .arg(QDir::toNativeSeparators(name), link.errorString()));
    }
}

QMenu* CContextMenu::buildMenu(const QStringList& names) {
    auto* menu = new QMenu(mvarOwner);
    menu->setObjectName(QStringLiteral("ContextMenu"));
    // The menu goes once it closes, chosen or not; a chosen command has run
    // by then.
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);

    QStringList documents;
    for (const QString& name : names)
        documents << DocumentOf(name);
    addOpenActions(menu, names, documents.first());
    addPathActions(menu, documents);
    addShortcutActions(menu, names, documents);
    bool separated = false;
    for (const QPointer<QAction>& command : std::as_const(mvarCommands)) {
        if (command.isNull())
            continue;
        if (!std::exchange(separated, true))
            menu->addSeparator();
        menu->addAction(command);
    }
    return menu;
}

void CContextMenu::AddCommand(QAction* Command) {
    if (Command != nullptr && !mvarCommands.contains(Command))
        mvarCommands.append(Command);
}

void CContextMenu::addOpenActions(QMenu* menu, const QStringList& names, const QString& first) {
    // The menu is the owner's child: the owner outlives every command it runs.
    QWidget* owner = mvarOwner;
    QAction* open = menu->addAction(tr("開く(&O)"));
    open->setObjectName(QStringLiteral("Open"));
    connect(open, &QAction::triggered, this, [names, owner] {
        for (const QString& name : names)
            SM_Shell::OpenDocument(name, owner);
    });
    menu->setDefaultAction(open);

    QMenu* openWith = menu->addMenu(tr("プログラムから開く(&H)"));
    openWith->setObjectName(QStringLiteral("OpenWith"));
    openWith->menuAction()->setObjectName(QStringLiteral("OpenWith"));
    openWith->setEnabled(!first.isEmpty());
    // Asking the desktop for the applications takes a moment: only when the
    // submenu is about to open.
    connect(openWith, &QMenu::aboutToShow, openWith, [openWith, first, owner] {
        if (!openWith->isEmpty())
            return;
        const QList<SM_Shell::Application> apps = SM_Shell::ApplicationsFor(first);
        for (const SM_Shell::Application& app : apps) {
            QAction* action = openWith->addAction(app.Name);
            const QString id = app.Id;
            QObject::connect(action, &QAction::triggered, openWith,
                             [id, first, owner] { SM_Shell::OpenWith(id, first, owner); });
        }
        if (apps.isEmpty())
            openWith->addAction(tr("(アプリケーションがありません)"))->setEnabled(false);
    });
}

void CContextMenu::addPathActions(QMenu* menu, const QStringList& documents) {
    const QString& first = documents.first();
    QWidget* owner = mvarOwner; // outlives the menu, its child
    const bool readable = !documents.contains(QString());
    QAction* showInFolder = menu->addAction(tr("フォルダに表示(&F)"));
    showInFolder->setObjectName(QStringLiteral("ShowInFolder"));
    showInFolder->setEnabled(!first.isEmpty());
    connect(showInFolder, &QAction::triggered, this,
            [first, owner] { SM_Shell::ShowInFolder(first, owner); });

    QAction* copyPath = menu->addAction(tr("パスをコピー(&C)"));
    copyPath->setObjectName(QStringLiteral("CopyPath"));
    copyPath->setEnabled(readable);
    connect(copyPath, &QAction::triggered, this, [documents] {
        QStringList shown;
        for (const QString& d : documents)
            shown << QDir::toNativeSeparators(d);
        QGuiApplication::clipboard()->setText(shown.join(QLatin1Char('\n')));
    });
}

void CContextMenu::addShortcutActions(QMenu* menu, const QStringList& names,
                                      const QStringList& documents) {
    const QPointer<QWidget> owner = mvarOwner;
    menu->addSeparator();
    if (mvarRemoveFromCategory) {
        QAction* remove = menu->addAction(tr("カテゴリから外す(&U)"));
        remove->setObjectName(QStringLiteral("RemoveFromCategory"));
        connect(remove, &QAction::triggered, this, [this, names] {
            // Once the menu has gone: the owner refills the list it stood on.
            QMetaObject::invokeMethod(
                this, [this, names] { emit OnRemoveFromCategory(names); }, Qt::QueuedConnection);
        });
    }
    QAction* deleteShortcut = menu->addAction(tr("ショートカットを削除(&D)"));
    deleteShortcut->setObjectName(QStringLiteral("DeleteShortcut"));
    // Only shortcuts are ever deleted here, never a document.
    deleteShortcut->setEnabled(std::all_of(names.cbegin(), names.cend(), IsShortcut));
    connect(deleteShortcut, &QAction::triggered, this, [this, names, documents, owner] {
        // Asked once the menu has gone, so the question is the only window
        // that takes input.
        QMetaObject::invokeMethod(
            this, [this, names, documents, owner] { DeleteShortcuts(names, documents, owner); },
            Qt::QueuedConnection);
    });

    menu->addSeparator();
    QAction* properties = menu->addAction(tr("プロパティ(&R)"));
    properties->setObjectName(QStringLiteral("Properties"));
    connect(properties, &QAction::triggered, this, [names, documents, owner] {
        auto* box = new QMessageBox(QMessageBox::Information, tr("プロパティ"),
                                    PropertiesText(names.first(), documents.first().isEmpty()
                                                                      ? names.first()
                                                                      : documents.first()),
                                    QMessageBox::Ok, owner);
        box->setObjectName(QStringLiteral("Properties"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    });
}
