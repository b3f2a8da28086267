#pragma once

#include "CError.h"

#include <QString>
#include <QStringList>
#include <exception>

class CVolloDB;
class QLocale;
class FormMain;
class QWidget;

// Process-wide state of the running program and its start-up.
namespace AM_Vollo {

// The one repository, open from start-up until the main window closes.
extern CVolloDB* gRepository;
// The main window made by start-up.
extern FormMain* gMainForm;

// The program's entry: returns the process exit status.
int Main(int argc, char** argv);

// When opening the repository brings the shortcut folder in line with it:
// before OpenRepository returns, or while the window is made (a start: the
// window's loading finishes it with FinishReconcile).
enum class ReconcileAt { Open, WindowLoad };

// The steps of start-up, also used by the tests that run the program without
// its event loop. OpenRepository throws CError naming the repository file.
void OpenRepository(ReconcileAt when = ReconcileAt::Open);
// Brings the shortcut folder and the repository in line after an interrupted
// walk or drop (OpenRepository does it once the repository is open).
void Reconcile();
// Finishes what OpenRepository(ReconcileAt::WindowLoad) began; true when
// rows were registered or deleted. Nothing to finish: false.
bool FinishReconcile();
FormMain* ShowMainForm();
void ReleaseRepository();
// Start-up once the application object exists: opens the repository, shows
// the main window and runs the event loop. A repository that cannot be opened
// is reported (naming its file) and gives status 1. CategoryFiles: the
// category dialog opens on them once the window is up.
int Run(const QStringList& CategoryFiles = {});

// Names the application, loads the program's and Qt's translations for the
// user's language (CLanguage) and installs the busy pointer; runs once the
// application object exists.
void SetupApplication();
// Loads Qt's own translations (standard buttons, dialogs) for locale from
// Qt's translations folder, in place of any loaded before; false when Qt has
// none for that language.
bool LoadQtTranslations(const QLocale& locale);

// What the user can do about an error with that code (SQLite's result codes),
// and the whole text shown for an error: that advice, then the error's own
// text as detail.
QString Advice(int code);
QString UserText(const CError& error);

// Routes the discovery layer's busy pointer to the application's override
// cursor, so long walks show the wait cursor and always restore it.
void InstallBusyPointer();

// Ends the program as closing its window does; the answer to SIGTERM.
void Terminate();

// Shows a window in front of the others, restored if it was minimised.
void BringForward(QWidget* window);

// "major.minor.patch" of this build.
QString VersionText();

// Shows the text of an error that ended an event; the program goes on.
void ReportError(const QString& text, QWidget* parent = nullptr);

// Runs one event handler body; an error that reaches its top is shown in a
// message box instead of ending the program. Returns false after an error.
template <typename Body> bool Guard(Body&& body, QWidget* parent = nullptr) {
    try {
        body();
        return true;
    } catch (const CError& e) {
        ReportError(UserText(e), parent);
    } catch (const std::exception& e) {
        ReportError(QString::fromLocal8Bit(e.what()), parent);
    }
    return false;
}

} // namespace AM_Vollo
