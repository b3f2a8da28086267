#pragma once

#include "CFactStore.h"
#include "CMoveRepair.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

class CAnchor;
class CDatabase;
class CCategoryLists;
class CFileListView;
class CFileListViews;
class CListFiller;
class CQueryCompleter;
class CTabViewer;
class CVolloDB;
class QAction;
class QComboBox;
class QLabel;
class QToolButton;
class QTabBar;
class QWidget;

// The query field above the lists and the list of its results under a tab
// of its own. The results follow the text as it is typed, a moment after
// the last key; a query that cannot be read says where and why under the
// field and leaves the results empty. The field keeps the last queries.
class CQueryView : public QObject {
    Q_OBJECT
public:
    // The key of the results list and its tab; no category has it.
    static QString ResultsKey();
    static constexpr int HistorySize = 20;
    // How long typing must pause before the query runs, in milliseconds.
    static constexpr int Pause = 250;

    // Makes the field and the line under it in the top of the tab strip's
    // place; the strip keeps the rest. Before the layout is bound.
    CQueryView(QWidget* Window, QTabBar* TabStrip, CVolloDB& Repository, CListFiller& Filler);
    ~CQueryView() override;

    // The field and its line join the layout with the controls of the design.
    void AnchorTo(CAnchor& Anchor);
    // Makes the results list with its tab, once the layout is bound.
    CFileListView* Bind(CAnchor& Anchor, CCategoryLists& Lists, CTabViewer& Tabs,
                        CFileListViews& Views);
    // Reads the category names offered while typing.
    void LoadCategoryNames();

    QString Query() const;
    void setQuery(const QString& Query);
    // Runs the query now, without waiting for the pause. It is read and
    // checked at once; the documents are looked up on a connection of their
    // own off the window's thread, and a lookup still running for text the
    // user has gone past is interrupted, its rows never shown.
    void Run();
    // Shows the last query's documents again, after the repository changed
    // under it, without taking the user to its tab.
    void Refresh();
    // Whether a lookup is still on its way.
    bool IsRunning() const;
    QStringList History() const;
    QString ErrorText() const;
    QComboBox* Field() const { return m_field; }
    // 検索を保存...: on the button beside the field and in the field's menu;
    // its owner answers it.
    QAction* SaveAction() const { return m_save; }
    // いずれか: checked, categories chosen together in the tree show the
    // documents in any of them rather than in all; its owner answers it.
    QAction* AnyAction() const { return m_any; }
    // Shows Files as the results of Query (worked out by the caller), as Run
    // shows its own.
    void ShowResults(const QString& Query, const QList<std::pair<qint32, QString>>& Files);
    // Reads the history kept in the repository into the field.
    void LoadHistory();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The results list was filled (or emptied) by the query.
    void OnShown(const QString& Key);

private:
    void Field_OnTextEdited();
    void Field_OnEditingFinished();
    void ShowError(int Position, const QString& Reason);
    // The buttons right of the field; their width.
    int MakeButtons(const QRect& Strip, int Height);
    void ShowFieldMenu(const QPoint& Position);

    QWidget* m_window;
    CVolloDB& m_repository;
    CListFiller& m_filler;
    QComboBox* m_field = nullptr;
    QLabel* m_error = nullptr;
    QAction* m_save = nullptr;
    QAction* m_any = nullptr;
    QList<QToolButton*> m_buttons;
    // The latest run; results of an earlier one are dropped.
    quint64 m_generation = 0;
    mutable std::mutex m_runningLock;
    std::shared_ptr<CDatabase> m_running; // the lookup's connection
    void Interrupt();
    // Facts: the files' stored facts, when the lookup read them.
    void Apply(const QString& Query, const QList<std::pair<qint32, QString>>& Files,
               std::optional<CFactStore::FactList> Facts = std::nullopt);
    // Followed: documents whose strings the results share where they agree.
    void Look(quint64 Generation, const QString& Query, const QString& Sql,
              const QList<QVariant>& Values, const QList<CMoveRepair::Document>& Followed);
    // Last: it waits for its lookup before the rest goes.
    QThreadPool m_pool;
    CQueryCompleter* m_completer = nullptr;
    CTabViewer* m_tabs = nullptr;
    QPointer<CFileListView> m_results;
    QTimer m_pause;
    QString m_lastRun;
};
