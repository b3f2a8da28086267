#pragma once

#include <QAction>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// The file menu of the desktop for one or more files: Open, Open With (the
// applications the desktop lists for the document's type), Show in Folder,
// Copy Path, Delete Shortcut and Properties. Paths may be shortcuts (their
// target is the document the commands act on) or documents.
//
// The menu pops up without blocking; the chosen command runs when the user
// picks it, and closing the menu without a choice runs nothing. Only one menu
// is open at a time in the process: showing another closes the first.
class CContextMenu : public QObject {
    Q_OBJECT

public:
    explicit CContextMenu(QObject* parent = nullptr);
    ~CContextMenu() override;

    // Binds the menu to the window it belongs to. Always returns false.
    bool Create(QWidget* hWndOwner);
    QWidget* Owner() const;

    // Shows the menu at the mouse pointer for the paths in FileNames (one path,
    // or several separated by NUL; everything from a double NUL on is ignored).
    // An empty first name shows nothing. Shift is not used. Always returns false.
    bool ShowMenu(const QString& FileNames, qint16 Shift = 0);
    // The same at a given screen position; returns the menu shown or nullptr.
    QMenu* ShowMenuAt(const QString& FileNames, const QPoint& GlobalPos);

    // The menu that is open now in the process, or nullptr.
    static QMenu* CurrentMenu();

    // Shortcuts in this folder (with trailing separator) stand for entries of
    // the desktop's recent list: deleting one also takes the entry out of
    // that list. Empty: no path is such a shortcut.
    QString RecentFolder() const { return mvarRecentFolder; }
    void setRecentFolder(const QString& Folder) { mvarRecentFolder = Folder; }
    // Takes a document out of the desktop's recent list, kept in ListFile;
    // false when the list could not be written. The owner supplies it, since
    // the desktop's list is read and written where the recent rows are made.
    void setForgetRecent(std::function<bool(const QString& Document)> Forget,
                         const QString& ListFile) {
        m_forgetRecent = std::move(Forget);
        m_recentList = ListFile;
    }

    // Whether the menu offers to take its files out of the category whose
    // list they are shown in (they stay in Vollo and in their other
    // categories); the owner answers OnRemoveFromCategory.
    bool RemoveFromCategory() const { return mvarRemoveFromCategory; }
    void setRemoveFromCategory(bool Offered) { mvarRemoveFromCategory = Offered; }

    // Commands of the owner's that are not about the files (they act on the
    // whole repository), offered at the end of every menu; the owner keeps
    // each action.
    void AddCommand(QAction* Command);

    // Delete Shortcut without the menu (the Delete key): the same question,
    // No by default, for the paths in FileNames as ShowMenu takes them.
    void DeleteShortcuts(const QString& FileNames);

    // The paths the menu was built for (after cutting and splitting).
    static QStringList SplitFileNames(const QString& FileNames);

signals:
    // A menu was built and popped up (tests and owners may close it).
    void OnMenuShown(QMenu* Menu);
    // Delete Shortcut removed this shortcut file (after the user agreed).
    void OnShortcutDeleted(const QString& FilePath);
    // The user chose to take these files out of the shown category.
    void OnRemoveFromCategory(const QStringList& FileNames);

private:
    QMenu* buildMenu(const QStringList& names);
    void addOpenActions(QMenu* menu, const QStringList& names, const QString& first);
    void addPathActions(QMenu* menu, const QStringList& documents);
    void addShortcutActions(QMenu* menu, const QStringList& names, const QStringList& documents);
    bool IsRecent(const QString& path) const;
    QString DeleteQuestion(const QStringList& names, const QStringList& documents) const;
    void DeleteShortcuts(const QStringList& names, const QStringList& documents, QWidget* owner);

    QPointer<QWidget> mvarOwner;
    QList<QPointer<QAction>> mvarCommands;
    QString mvarRecentFolder;
    bool mvarRemoveFromCategory = false;
    std::function<bool(const QString&)> m_forgetRecent;
    QString m_recentList;
};
