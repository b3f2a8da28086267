#pragma once

#include <QCoreApplication>
#include <QDropEvent>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>

// Stands in for the desktop while it lives: files the lists ask the desktop to
// open and errors they would show the user are recorded instead.
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

// One drag event as a drag from another application delivers it.
template <class Event> void sendDrag(QWidget* target, const QPoint& pos, QMimeData* data) {
    Event event(pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

inline void dragAndDrop(QWidget* target, const QPoint& pos, QMimeData* data) {
    sendDrag<QDragEnterEvent>(target, pos, data);
    sendDrag<QDragMoveEvent>(target, pos, data);
    sendDrag<QDropEvent>(target, pos, data);
}
