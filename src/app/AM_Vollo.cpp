#include "AM_Vollo.h"

#include "CBusyIndicator.h"
#include "CCommandLine.h"
#include "CDatabase.h"
#include "CFileDB.h"
#include "CLanguage.h"
#include "CScrollBarStyle.h"
#include "CShortcutReconciler.h"
#include "CSingleInstance.h"
#include "CStartCheck.h"
#include "CTermination.h"
#include "CVolloDB.h"
#include "FormMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <future>
#include <memory>
#include <optional>

namespace AM_Vollo {

CVolloDB* gRepository = nullptr;
FormMain* gMainForm = nullptr;

namespace {

// The look at the shortcut folder that runs while the window is made.
std::future<CShortcutReconciler::Look> gLook;

// Starts that look on a thread of its own, through a connection of its own.
void StartLook() {
    // A repository kept locked admits no second connection, and one open
    // for reading only is never brought in line.
    if (gRepository->IsReadOnly() || gRepository->Connection().Exclusive()) {
        Reconcile();
        return;
    }
    gLook =
        std::async(std::launch::async,
                   [folder = gRepository->ShortcutFolder(), path = gRepository->Connection().Path(),
                    selectAll = gRepository->GetQuery(QStringLiteral("getFileNameAll"))] {
                       CDatabase connection;
                       connection.setReadOnly(true);
                       connection.Open(path);
                       return CShortcutReconciler::LookAt(folder, connection, selectAll);
                   });
}

// Shows why the program cannot start, names the repository file and says
// what the user can do about it.
void ReportStartFailure(const QString& path, const CError& cause, bool opened = false) {
    const QString what = opened ? QObject::tr("リポジトリからウィンドウを作れませんでした。")
                                : QObject::tr("リポジトリを開けませんでした。");
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vollo"),
                    QStringLiteral("%1\n%2\n\n%3").arg(what, path, UserText(cause)),
                    QMessageBox::Ok);
    box.setObjectName(QStringLiteral("StartFailure"));
    box.exec();
}

// A repository that is no repository, or a damaged one, was refused without
// a byte written to it. The user may start afresh: the file is kept aside
// under a dated name, and a new repository is made from the template.
bool OfferFreshStart(const QString& path, const QString& cause) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vollo"),
                    QCoreApplication::translate("AM_Vollo",
                                                "リポジトリを開けませんでした。\n%1\n\n%2"
                                                "\n\n今のファイルを別の名前で残し、新しい"
                                                "リポジトリを始めますか？")
                        .arg(path, cause),
                    QMessageBox::Yes | QMessageBox::No);
    box.setObjectName(QStringLiteral("FreshStartQuestion"));
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes)
        return false;
    const QString kept = gRepository->SetAside();
    gRepository->Create();
    QMessageBox told(QMessageBox::Information, QStringLiteral("Vollo"),
                     QCoreApplication::translate("AM_Vollo",
                                                 "新しいリポジトリを始めました。元のファ"
                                                 "イルは次の名前で残してあります。\n%1")
                         .arg(kept),
                     QMessageBox::Ok);
    told.setObjectName(QStringLiteral("FreshStartDone"));
    told.exec();
    return true;
}

// A repository that cannot be written opens for reading; the user learns
// why once, at start.
void TellReadOnly() {
    if (!gRepository->IsReadOnly())
        return;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Vollo"),
                    gRepository->ReadOnlyNotice(), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ReadOnlyNotice"));
    box.exec();
}

// Opens the repository, with the way out of a refused one. Returns false
// when the program cannot start; the user has been told why.
bool OpenForStart() {
    QString path;
    try {
        try {
            OpenRepository(ReconcileAt::WindowLoad);
        } catch (const CError& e) {
            if (gRepository == nullptr || !CFileDB::CanSetAside(e))
                throw;
            // The question names the file and the cause: declining it
            // needs no second box.
            if (!OfferFreshStart(gRepository->INIFileName(), e.Text())) {
                ReleaseRepository();
                return false;
            }
            Reconcile();
        }
        path = gRepository->INIFileName();
        CRecordset probe = gRepository->RunQuery(QStringLiteral("getRootFolder"));
        Q_UNUSED(probe);
    } catch (const CError& e) {
        if (path.isEmpty() && gRepository != nullptr)
            path = gRepository->INIFileName();
        ReleaseRepository();
        ReportStartFailure(path, e);
        return false;
    }
    TellReadOnly();
    return true;
}

// A write that waits for another program's lock gives the windows a turn
// every tenth of a second: they stay painted under a busy pointer, which
// comes back once no wait has asked for a turn for a while. The repository
// gives the turn on the window's thread only.
void KeepWindowsPainted() {
    constexpr int kQuietMs = 150;
    static QElapsedTimer lastTurn;
    static bool waiting = false;
    lastTurn.start();
    if (!waiting) {
        waiting = true;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        auto* done = new QTimer(qApp);
        done->setInterval(kQuietMs);
        QObject::connect(done, &QTimer::timeout, [done] {
            if (lastTurn.elapsed() < kQuietMs)
                return;
            waiting = false;
            QGuiApplication::restoreOverrideCursor();
            done->deleteLater();
        });
        done->start();
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}

} // namespace

void Reconcile() {
    // Errors here must not keep the user from the repository: the next start
    // tries again.
    try {
        CShortcutReconciler(*gRepository).Reconcile();
    } catch (const CError& e) {
        qWarning("Vollo: the shortcut folder could not be brought in line: %s",
                 qUtf8Printable(e.Text()));
    }
}

bool FinishReconcile() {
    if (!gLook.valid())
        return false;
    std::optional<CShortcutReconciler::Look> look;
    try {
        look = gLook.get();
    } catch (const CError& e) {
        // The look could not read the repository: the whole of it, here.
        qWarning("Vollo: the shortcut folder is looked at again: %s", qUtf8Printable(e.Text()));
    }
    if (gRepository == nullptr)
        return false;
    // As at an open: errors must not keep the user from the repository.
    try {
        CShortcutReconciler reconciler(*gRepository);
        const CShortcutReconciler::Result done =
            look ? reconciler.Apply(*look) : reconciler.Reconcile();
        return done.registered > 0 || done.removedRows > 0;
    } catch (const CError& e) {
        qWarning("Vollo: the shortcut folder could not be brought in line: %s",
                 qUtf8Printable(e.Text()));
        return false;
    }
}

QString Advice(int code) {
    // SQLite's primary result codes; the engine's own text follows as detail.
    switch (code & 0xff) {
    case 5: // busy
    case 6: // locked
        return QObject::tr("ほかの Vollo がリポジトリを使っています。"
                           "そちらを終了してから、もう一度お試しください。");
    case 3:  // no permission
    case 8:  // read-only
    case 14: // cannot open
        return QObject::tr("リポジトリのフォルダに書き込めません。"
                           "フォルダの権限と空き容量を確かめてください。");
    case 13: // full
        return QObject::tr("ディスクがいっぱいです。空きを作ってから、もう一度お試しください。");
    case 11: // corrupt
    case 26: // not a database
        return QObject::tr(
            "リポジトリのファイルが壊れています。"
            "ファイルを別の場所へ移してから起動すると、新しいリポジトリが作られます。");
    default:
        return QObject::tr("もう一度お試しください。"
                           "繰り返し起きるときは、下の詳細を添えて開発者にお知らせください。");
    }
}

QString UserText(const CError& error) {
    // The program's own texts (code 0) already say what to do.
    if (error.Code() == 0)
        return error.Text();
    return QObject::tr("%1\n\n詳細: %2").arg(Advice(error.Code()), error.Text());
}

bool LoadQtTranslations(const QLocale& locale) {
    return CLanguage::LoadQtTranslations(locale);
}

void SetupApplication() {
    QApplication::setApplicationName(QStringLiteral("Vollo"));
    // No display name: Qt would append it to every window's own caption.
    QApplication::setApplicationVersion(VersionText());
    CLanguage::Load(QLocale());
    InstallBusyPointer();
}

QString VersionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(VOLLO_VERSION_MAJOR)
        .arg(VOLLO_VERSION_MINOR)
        .arg(VOLLO_VERSION_PATCH);
}

void InstallBusyPointer() {
    CBusyIndicator::setHandlers([] { QGuiApplication::setOverrideCursor(Qt::WaitCursor); },
                                [] { QGuiApplication::restoreOverrideCursor(); });
    CDatabase::setBusyWait(&KeepWindowsPainted);
}

void OpenRepository(ReconcileAt when) {
    ReleaseRepository();
    gRepository = new CVolloDB;
    // A repository of an earlier version is upgraded once, reading every
    // registered document: a large one shows how far it got.
    constexpr qint64 kQuietUpgradeFiles = 2000;
    std::unique_ptr<QProgressDialog> progress;
    gRepository->setUpgradeProgress([&progress](qint64 done, qint64 total) {
        if (!progress && total >= kQuietUpgradeFiles) {
            progress = std::make_unique<QProgressDialog>(
                QCoreApplication::translate("AM_Vollo", "リポジトリを新しい形に更新しています…"),
                QString(), 0, int(total));
            progress->setObjectName(QStringLiteral("UpgradeProgress"));
            progress->setWindowTitle(QStringLiteral("Vollo"));
            progress->setWindowModality(Qt::ApplicationModal);
            progress->setMinimumDuration(0);
        }
        if (progress)
            progress->setValue(int(done));
    });
    try {
        gRepository->Create();
    } catch (...) {
        gRepository->setUpgradeProgress({});
        throw;
    }
    gRepository->setUpgradeProgress({});
    progress.reset();
    if (when == ReconcileAt::WindowLoad)
        StartLook();
    else
        Reconcile();
}

FormMain* ShowMainForm() {
    auto* form = new FormMain;
    gMainForm = form;
    try {
        form->Load();
    } catch (...) {
        gMainForm = nullptr;
        delete form;
        throw;
    }
    form->show();
    return form;
}

void ReleaseRepository() {
    // A look still running reads the file through its own connection.
    if (gLook.valid())
        gLook.wait();
    gLook = {};
    delete gRepository;
    gRepository = nullptr;
}

void ReportError(const QString& text, QWidget* parent) {
    // The busy pointer must not hide the message.
    while (QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::restoreOverrideCursor();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vollo"), text, QMessageBox::Ok,
                    parent != nullptr ? parent : static_cast<QWidget*>(gMainForm));
    box.setObjectName(QStringLiteral("ErrorMessage"));
    box.exec();
}

int Run(const QStringList& CategoryFiles) {
    if (!OpenForStart())
        return 1;
    const QString path = gRepository->INIFileName();
    QPointer<FormMain> form;
    try {
        form = ShowMainForm();
    } catch (const CError& e) {
        ReleaseRepository();
        ReportStartFailure(path, e, true);
        return 1;
    } catch (const std::exception& e) {
        ReleaseRepository();
        ReportStartFailure(path, CError(QString::fromLocal8Bit(e.what())), true);
        return 1;
    }
    if (!CategoryFiles.isEmpty())
        QTimer::singleShot(0, form,
                           [form, CategoryFiles] { form->OpenCategoriesFor(CategoryFiles); });
    const int status = QApplication::exec();
    delete form.data();
    gMainForm = nullptr;
    ReleaseRepository();
    return status;
}

void Terminate() {
    // A question or a walk in progress is answered with Cancel first (what
    // was collected stays); the window closes once nothing modal is left.
    if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        modal->reject();
        QTimer::singleShot(50, [] { Terminate(); });
        return;
    }
    if (gMainForm != nullptr && gMainForm->isVisible())
        gMainForm->close();
    else
        QApplication::quit();
}

void BringForward(QWidget* window) {
    // A window still being built stays hidden: it shows itself once whole,
    // and a question asked meanwhile (the first start's) is what to bring.
    if (window != nullptr && window->isVisible()) {
        if (window->isMinimized())
            window->showNormal();
        window->raise();
        window->activateWindow();
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

int Main(int argc, char** argv) {
    QStringList categoryFiles;
    if (const std::optional<int> status = CCommandLine::Handle(argc, argv, &categoryFiles))
        return *status;
    if (const std::optional<int> status = CStartCheck::Run(argc, argv))
        return *status;
    QApplication app(argc, argv);
    // The desktop's style, with scroll bar handles that can be found on
    // their track.
    if (QStyle* style = QStyleFactory::create(QApplication::style()->name()))
        QApplication::setStyle(new CScrollBarStyle(style));
    SetupApplication();
    CSingleInstance instance(CFileDB().INIFileName());
    // A running window opens the dialog itself; else this start does, once
    // its window is up.
    instance.setHandOverPaths(categoryFiles);
    if (!instance.Claim())
        return 0;
    QObject::connect(&instance, &CSingleInstance::OnActivate, [] { BringForward(gMainForm); });
    QObject::connect(&instance, &CSingleInstance::OnCategories, [](const QStringList& Paths) {
        if (gMainForm != nullptr)
            gMainForm->OpenCategoriesFor(Paths);
    });
    QObject::connect(&instance, &CSingleInstance::OnChanged, [] {
        if (gMainForm != nullptr)
            gMainForm->Repository_OnChanged();
    });
    CTermination termination;
    QObject::connect(&termination, &CTermination::OnTerminate, [] { Terminate(); });
    return Run(categoryFiles);
}

} // namespace AM_Vollo
