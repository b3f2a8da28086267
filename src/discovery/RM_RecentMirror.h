#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class CLeftOut;

// Brings a folder of shortcuts in line with a freedesktop bookmark file (the
// desktop's recently-used.xbel): one shortcut per local-file entry, named
// after the document, whose own modification time is the entry's latest use
// (the latest of added, modified, visited); shortcuts whose documents left the
// list are removed; other URIs are skipped. A missing or unreadable bookmark
// file counts as an empty list; one that is there but does not parse leaves
// the folder as it is and is told through leftOut.
namespace RM_RecentMirror {

// $XDG_DATA_HOME/recently-used.xbel.
QString BookmarkFile();

// The local documents that bookmark-file contents list, in their order;
// none for contents that are no bookmark file.
QStringList ParseBookmarks(const QByteArray& data);

// Only a regular file is read, without blocking: a FIFO or a device at the
// bookmark file's place counts as an empty list.
// Returns the number of shortcuts the folder holds for the list afterwards.
// The folder is created when missing. Documents that cannot be linked, or
// whose names are not valid text, are added to leftOut when one is given.
int MirrorRecentDocuments(const QString& bookmarkFile, const QString& folder,
                          CLeftOut* leftOut = nullptr);

// Takes every entry for document out of the bookmark file, so the desktop
// and every program that reads it forget the document too. Returns whether
// no entry for it is left (true when there was none).
bool ForgetRecentDocument(const QString& bookmarkFile, const QString& document);

} // namespace RM_RecentMirror
