#pragma once

#include <QString>

// Brings a folder of shortcuts in line with a freedesktop bookmark file (the
// desktop's recently-used.xbel): one shortcut per local-file entry, named
// after the document, whose own modification time is the entry's latest use
// (the latest of added, modified, visited); shortcuts whose documents left the
// list are removed; other URIs are skipped. A missing or unreadable bookmark
// file counts as an empty list.
namespace RM_RecentMirror {

// $XDG_DATA_HOME/recently-used.xbel.
QString BookmarkFile();

// Returns the number of shortcuts the folder holds for the list afterwards.
// The folder is created when missing.
int MirrorRecentDocuments(const QString& bookmarkFile, const QString& folder);

} // namespace RM_RecentMirror
