#include "AM_Vollo.h"

#include "CBusyIndicator.h"
#include "CCommandLine.h"
#include "CFileDB.h"
#include "CSingleInstance.h"
#include "CVolloDB.h"
#include "FormMain.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <optional>

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

} // namespace

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
    QString path;
    try {
        OpenRepository();
        path = gRepository->INIFileName();
        CRecordset probe = gRepository->RunQuery(QStringLiteral("getRootFolder"));
        Q_UNUSED(probe);
    } catch (const CError& e) {
        if (path.isEmpty() && gRepository != nullptr)
            path = gRepository->INIFileName();
        ReleaseRepository();
        ReportStartFailure(path, e.Text());
        return 1;
    }
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

void BringForward(QWidget* window) {
    if (window == nullptr)
        return;
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

int Main(int argc, char** argv) {
    if (const std::optional<int> status = CCommandLine::Handle(argc, argv))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vollo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vollo"));
    QApplication::setApplicationVersion(VersionText());
    InstallBusyPointer();
    CSingleInstance instance(CFileDB().INIFileName());
    if (instance.HandOver())
        return 0;
    instance.Listen();
    QObject::connect(&instance, &CSingleInstance::OnActivate, [] { BringForward(gMainForm); });
    return Run();
}

} // namespace AM_Vollo
