#pragma once

#include <QSize>

class CVolloDB;
class QWidget;

// The main window's position and size as the repository keeps them, in
// twips, between one session and the next.
class CWindowPosition {
public:
    explicit CWindowPosition(CVolloDB& repository);

    // Moves window to the stored place. Each value counts on its own: 0 or
    // below keeps the design value; nothing stored at all opens the window
    // centred at a size made for today's screens. Returns the size to apply
    // once the layout follows the window, -1 for a side that stays.
    QSize Load(QWidget& window);
    // Stores the window's normal place; a minimised or maximised window
    // leaves the last normal one stored.
    void Save(const QWidget& window);

private:
    CVolloDB& m_repository;
};
