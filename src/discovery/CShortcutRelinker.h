#pragma once

#include <QString>

// Re-points a shortcut at a document's new path. The new link is made under
// a temporary hidden name in the shortcut folder and renamed over the old
// one, so the shortcut keeps its name (and with it its row and categories)
// and there is never a moment without it.
class CShortcutRelinker {
public:
    // Throws CError (errno and text) when the link cannot be made or put in
    // place; the old shortcut then stays as it was.
    static void Relink(const QString& ShortcutPath, const QString& NewTarget);
};
