#include "AM_Vollo.h"

#include "CBusyIndicator.h"
#include "CFileDB.h"
#include "CShortcutReconciler.h"
#include "CVolloDB.h"
#include "FormMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>

namespace AM_Vollo {

CVolloDB* gRepository = nullptr;
FormMain* gMainForm = nullptr;

namespace {

// Shows why the program cannot start and names the repository file.
void ReportStartFailure(const QString& path, const QString& cause, bool opened = false) {
    const QString what = opened ? QStringLiteral("リポジトリからウィンドウを作れませんでした。")
                                : QStringLiteral("リポジトリを開けませんでした。");
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vollo"),
                    QStringLiteral("%1\n%2\n\n%3").arg(what, path, cause), QMessageBox::Ok);
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
            OpenRepository();
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
        ReportStartFailure(path, e.Text());
        return false;
    }
    TellReadOnly();
    return true;
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

QString VersionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(VOLLO_VERSION_MAJOR)
        .arg(VOLLO_VERSION_MINOR)
        .arg(VOLLO_VERSION_PATCH);
}

void InstallBusyPointer() {
    CBusyIndicator::setHandlers([] { QGuiApplication::setOverrideCursor(Qt::WaitCursor); },
                                [] { QGuiApplication::restoreOverrideCursor(); });
}

void OpenRepository() {
    ReleaseRepository();
    gRepository = new CVolloDB;
    gRepository->Create();
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

int Run() {
    if (!OpenForStart())
        return 1;
    const QString path = gRepository->INIFileName();
    QPointer<FormMain> form;
    try {
        form = ShowMainForm();
    } catch (const CError& e) {
        ReleaseRepository();
        ReportStartFailure(path, e.Text(), true);
        return 1;
    } catch (const std::exception& e) {
        ReleaseRepository();
        ReportStartFailure(path, QString::fromLocal8Bit(e.what()), true);
        return 1;
    }
    const int status = QApplication::exec();
    delete form.data();
    gMainForm = nullptr;
    ReleaseRepository();
    return status;
}

int Main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vollo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vollo"));
    QApplication::setApplicationVersion(VersionText());
    InstallBusyPointer();
    return Run();
}

} // namespace AM_Vollo
