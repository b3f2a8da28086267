#include "CQueryView.h"

#include "CAnchor.h"
#include "CCategoryLists.h"
#include "CDatabase.h"
#include "CFileListView.h"
#include "CListFiller.h"
#include "CListViewControl.h"
#include "CQueryCompiler.h"
#include "CQueryCompleter.h"
#include "CQueryError.h"
#include "CQueryParser.h"
#include "CSavedSearches.h"
#include "CStoredText.h"
#include "CTabViewer.h"
#include "CVolloDB.h"
#include "CWidgetAnchorControl.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QToolButton>
#include <memory>

QString CQueryView::ResultsKey() {
    return QStringLiteral("Q");
}

CQueryView::CQueryView(QWidget* Window, QTabBar* TabStrip, CVolloDB& Repository,
                       CListFiller& Filler)
    : m_window(Window), m_repository(Repository), m_filler(Filler) {
    m_field = new QComboBox(Window);
    m_field->setObjectName(QStringLiteral("TextQuery"));
    m_field->setEditable(true);
    m_field->setInsertPolicy(QComboBox::NoInsert);
    m_field->setMaxCount(HistorySize);
    m_field->setAccessibleName(tr("クエリ"));
    m_field->lineEdit()->setAccessibleName(tr("クエリ"));
    m_field->lineEdit()->setPlaceholderText(tr("クエリ"));
    m_field->lineEdit()->setClearButtonEnabled(true);
    m_completer = new CQueryCompleter(this);
    m_field->setCompleter(m_completer);
    // Categories come and go: the names offered are read when the field is
    // entered.
    m_field->lineEdit()->installEventFilter(this);
    m_error = new QLabel(Window);
    m_error->setObjectName(QStringLiteral("QueryError"));
    m_error->setAccessibleName(tr("クエリの誤り"));
    m_error->setTextFormat(Qt::PlainText);
    // The field takes the top of the strip's place; the strip the rest.
    const QRect strip = TabStrip->geometry();
    const int fieldHeight = m_field->sizeHint().height();
    const int errorHeight = m_error->fontMetrics().height() + 2;
    const int buttons = MakeButtons(strip, fieldHeight);
    m_field->setGeometry(strip.x(), strip.y(), strip.width() - buttons, fieldHeight);
    m_error->setGeometry(strip.x() + 2, strip.y() + fieldHeight, strip.width() - 2, errorHeight);
    TabStrip->setGeometry(strip.adjusted(0, fieldHeight + errorHeight, 0, 0));
    m_pool.setMaxThreadCount(1);
    m_pause.setSingleShot(true);
    m_pause.setInterval(Pause);
    connect(&m_pause, &QTimer::timeout, this, &CQueryView::Run);
    connect(m_field->lineEdit(), &QLineEdit::textEdited, this, &CQueryView::Field_OnTextEdited);
    connect(m_field->lineEdit(), &QLineEdit::editingFinished, this,
            &CQueryView::Field_OnEditingFinished);
    // A query taken from the history runs at once.
    connect(m_field, &QComboBox::textActivated, this, [this] { Run(); });
    m_field->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_field->lineEdit(), &QWidget::customContextMenuRequested, this,
            &CQueryView::ShowFieldMenu);
}

int CQueryView::MakeButtons(const QRect& Strip, int Height) {
    m_any = new QAction(tr("いずれか"), this);
    m_any->setObjectName(QStringLiteral("CombineAny"));
    m_any->setCheckable(true);
    m_any->setToolTip(tr("Ctrl+クリックで選んだカテゴリのいずれかにある文書を表示します"
                         "（オフ: すべてにある文書）"));
    m_save = new QAction(tr("検索を保存..."), this);
    m_save->setObjectName(QStringLiteral("SaveSearch"));
    int right = Strip.x() + Strip.width();
    for (QAction* action : {m_save, m_any}) {
        auto* button = new QToolButton(m_window);
        button->setObjectName(action->objectName() + QStringLiteral("Button"));
        button->setDefaultAction(action);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        const int width = button->sizeHint().width();
        right -= width;
        button->setGeometry(right, Strip.y(), width, Height);
        m_buttons << button;
    }
    return Strip.x() + Strip.width() - right;
}

void CQueryView::ShowFieldMenu(const QPoint& Position) {
    QLineEdit* edit = m_field->lineEdit();
    std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
    menu->addSeparator();
    menu->addAction(m_save);
    menu->exec(edit->mapToGlobal(Position));
}

CQueryView::~CQueryView() {
    Interrupt();
    m_pool.waitForDone();
}

void CQueryView::AnchorTo(CAnchor& Anchor) {
    // Beside the tree: when the bar between them moves, the field and its
    // message give up the width the tree takes, as the lists below do.
    Anchor.Add(CWidgetAnchorControl::Wrap(m_field), 1, 2);
    for (QToolButton* button : std::as_const(m_buttons))
        Anchor.Add(CWidgetAnchorControl::Wrap(button), 6);
    Anchor.Add(CWidgetAnchorControl::Wrap(m_error), 1, 2);
}

CFileListView* CQueryView::Bind(CAnchor& Anchor, CCategoryLists& Lists, CTabViewer& Tabs,
                                CFileListViews& Views) {
    m_tabs = &Tabs;
    m_results = Lists.Add(ResultsKey(), tr("検索結果"), m_repository, Anchor, Tabs, Views);
    if (m_results) {
        m_results->setCategoryRemovable(false);
        if (m_results->ListView() != nullptr)
            m_results->ListView()->Model()->setYieldBeforeLargeFlush(true);
    }
    return m_results;
}

bool CQueryView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        LoadCategoryNames();
    return QObject::eventFilter(watched, event);
}

void CQueryView::LoadCategoryNames() {
    QStringList names;
    try {
        m_repository.Connection().ForEachBound(
            QStringLiteral("SELECT tagName FROM tags ORDER BY ID"), {},
            [&names](const CDatabase::Row& row) { names << CStoredText::Shown(row.Text(0)); });
    } catch (const CError&) {
        // Nothing is offered rather than a failure shown while typing.
    }
    m_completer->setNames(names);
}

QString CQueryView::Query() const {
    return m_field->currentText();
}

void CQueryView::setQuery(const QString& Query) {
    m_field->setEditText(Query);
    Run();
}

QStringList CQueryView::History() const {
    QStringList history;
    for (int i = 0; i < m_field->count(); ++i)
        history << m_field->itemText(i);
    return history;
}

QString CQueryView::ErrorText() const {
    return m_error->text();
}

void CQueryView::Field_OnTextEdited() {
    // Text the user has gone past is never run: each key starts the pause anew.
    m_pause.start();
}

void CQueryView::Field_OnEditingFinished() {
    const QString query = Query().trimmed();
    if (query.isEmpty() || !m_error->text().isEmpty())
        return;
    const int kept = m_field->findText(query);
    if (kept == 0)
        return;
    if (kept > 0)
        m_field->removeItem(kept);
    m_field->insertItem(0, query);
    m_field->setEditText(query);
    try {
        CSavedSearches(m_repository).Remember(query);
    } catch (const CError&) {
        // The field keeps it for now; a repository that cannot take it
        // (opened for reading only) loses only the history.
    }
}

void CQueryView::LoadHistory() {
    QStringList history;
    try {
        history = CSavedSearches(m_repository).History();
    } catch (const CError&) {
        // No history is offered rather than a start that fails.
    }
    const QString text = Query();
    m_field->clear();
    m_field->addItems(history);
    m_field->setEditText(text);
}

void CQueryView::ShowError(int Position, const QString& Reason) {
    m_error->setText(tr("%1 文字目: %2").arg(Position + 1).arg(Reason));
}

void CQueryView::Run() {
    m_pause.stop();
    if (!m_results)
        return;
    const QString query = Query();
    const quint64 generation = ++m_generation;
    Interrupt();
    m_error->clear();
    CQueryCompiler::Statement statement;
    try {
        const std::unique_ptr<CQueryNode> root = CQueryParser::Parse(query);
        statement = CQueryCompiler(m_repository.Connection()).Compile(root.get());
    } catch (const CQueryError& e) {
        ShowError(e.Position(), e.Reason());
        Apply(query, {});
        return;
    }
    // Results of a broad query are most of the documents: their strings are
    // the followed documents' rather than a second copy of each.
    m_pool.start([this, generation, query, statement, followed = m_filler.FollowedNow()] {
        Look(generation, query, statement.sql, statement.values, followed);
    });
}

void CQueryView::Refresh() {
    if (!m_results || m_lastRun.trimmed().isEmpty())
        return;
    ++m_generation;
    Interrupt();
    CQueryCompiler::FileList files;
    try {
        files = CQueryCompiler(m_repository.Connection()).Run(m_lastRun);
    } catch (const CQueryError&) {
        // A category the query named is gone: nothing matches it any more.
    }
    m_filler.ShowFiles(m_results, files);
    emit OnShown(ResultsKey());
}

bool CQueryView::IsRunning() const {
    const std::lock_guard lock(m_runningLock);
    return m_running != nullptr;
}

void CQueryView::Interrupt() {
    const std::lock_guard lock(m_runningLock);
    if (m_running)
        m_running->Interrupt();
}

void CQueryView::Look(quint64 Generation, const QString& Query, const QString& Sql,
                      const QList<QVariant>& Values, const QList<CMoveRepair::Document>& Followed) {
    // On the pool's thread: nothing here touches a widget.
    CQueryCompiler::FileList files;
    CFactStore::FactList facts;
    bool looked = false;
    try {
        auto connection = std::make_shared<CDatabase>();
        connection->setReadOnly(true);
        connection->Open(m_repository.Connection().Path());
        {
            const std::lock_guard lock(m_runningLock);
            m_running = connection;
        }
        files = CQueryCompiler(*connection).Run({Sql, Values}, CListFiller::ShortcutsOf(Followed));
        // The rows' facts are read here too: the window's thread only shows.
        if (!files.isEmpty() && CFactStore::HasTable(*connection)) {
            QList<qint32> ids;
            ids.reserve(files.size());
            for (const auto& file : std::as_const(files))
                ids << file.first;
            facts = CFactStore(*connection).LoadList(ids, CListFiller::PathsOf(Followed));
        }
        looked = true;
    } catch (const CError&) {
        // Interrupted for newer text, or unreadable now: nothing is shown.
    }
    {
        const std::lock_guard lock(m_runningLock);
        m_running.reset();
    }
    QMetaObject::invokeMethod(
        this,
        [this, Generation, Query, files, facts = std::move(facts), looked]() mutable {
            if (Generation == m_generation && looked)
                Apply(Query, files, std::move(facts));
        },
        Qt::QueuedConnection);
}

void CQueryView::ShowResults(const QString& Query, const QList<std::pair<qint32, QString>>& Files) {
    // A lookup still on its way would replace these rows.
    ++m_generation;
    Interrupt();
    Apply(Query, Files);
}

void CQueryView::Apply(const QString& Query, const QList<std::pair<qint32, QString>>& Files,
                       std::optional<CFactStore::FactList> Facts) {
    if (!m_results)
        return;
    m_lastRun = Query;
    if (m_field->currentText() != Query)
        m_field->setEditText(Query);
    if (m_tabs != nullptr && !Query.trimmed().isEmpty())
        m_tabs->SelectTab(ResultsKey());
    if (Facts)
        m_filler.ShowFiles(m_results, Files, std::move(*Facts));
    else
        m_filler.ShowFiles(m_results, Files);
    emit OnShown(ResultsKey());
}
