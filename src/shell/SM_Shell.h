#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <functional>

class QWidget;

// The desktop services behind the file lists: document icons by type, opening
// a document with its default or a chosen application, showing a document in
// the file manager, and reporting a failure to the user.
namespace SM_Shell {

// The document a path stands for: the target of a shortcut (".lnk"), or the
// path itself for any other file. Throws CError for an unreadable shortcut.
QString DocumentPath(const QString& path);

// Icons, looked up once per document type and kept for the process. The index
// is stable for the process's life; 0 is the generic document icon.
int SystemIconIndex(const QString& path, bool small = true);
// The same for a document path (no shortcut is read).
int DocumentIconIndex(const QString& documentPath);
// The same from the document's name alone (no folder).
int DocumentIconIndexOfName(const QString& name);
QIcon SystemIcon(int index);
int SystemIconCount();

// The window that holds w: the last ancestor reached through the parents.
QWidget* TopLevelWindow(QWidget* w);

// Opens the document that path stands for with the user's default
// application, without waiting for it. A document that no longer exists, or
// one no application can open, is reported through ReportError; returns
// whether the document was handed over.
bool OpenDocument(const QString& path, QWidget* parent = nullptr);

// Shows the document in the file manager with the document selected
// (org.freedesktop.FileManager1.ShowItems over the session bus); when no such
// service answers, or there is no session bus, opens the document's folder
// with the default file manager. Never waits for the answer. Returns false
// only when neither the document nor its folder exists (reported).
bool ShowInFolder(const QString& documentPath, QWidget* parent = nullptr);

// Applications that can open the document's type (default first).
struct Application {
    QString Id;   // desktop-file id, e.g. "org.gnome.TextEditor.desktop"
    QString Name; // display name
};
QList<Application> ApplicationsFor(const QString& documentPath);
// Opens the document with the application of that id; reports failures.
bool OpenWith(const QString& appId, const QString& documentPath, QWidget* parent = nullptr);

// Where failures are shown: by default a warning QMessageBox under parent.
// Tests and owners may install their own; an empty reporter restores the box.
// Returns the reporter that was in place.
using ErrorReporter = std::function<void(QWidget* parent, const QString& text)>;
ErrorReporter setErrorReporter(ErrorReporter reporter);
void ReportError(QWidget* parent, const QString& text);

} // namespace SM_Shell
