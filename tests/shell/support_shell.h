#pragma once

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

// Stands in for the desktop while it lives: files the code asks the desktop to
// open and errors it would show the user are recorded instead, so no test
// starts an application or waits on a message box.
class DesktopStub : public QObject {
    Q_OBJECT

public:
    DesktopStub();
    ~DesktopStub() override;

    // A small document, and a symlink shortcut to target, both in dir.
    QString document(const QString& name);
    QString shortcut(const QString& name, const QString& target);

    QTemporaryDir dir;
    QList<QUrl> urls;
    QStringList errors;

public slots:
    void open(const QUrl& url) { urls.append(url); }
};
