#pragma once

#include <QString>

// Making shortcuts (symbolic links to absolute document paths, named after the
// document with ".lnk" appended) in a folder of shortcuts.
namespace SM_Shortcut {

// The path of a shortcut in Folder that points to the document of FilePath,
// made when none exists yet. A FilePath ending in ".lnk" stands for its
// target. The name is the document's file name + ".lnk"; when that name is
// taken by a shortcut to another document, the next free of base#1ext.lnk,
// base#2ext.lnk, ... (ext being the extension of FilePath); a shortcut in that
// row that already points to the document is returned instead, so making the
// same shortcut twice writes nothing. Throws CError (errno and text) when the
// link cannot be made.
QString MakeShortcutFile(const QString& Folder, const QString& FilePath);

// Copies the shortcut ShortcutPath itself (never its document) into Folder
// under its own name, with the same reuse and numbering rules. Returns the
// path of the copy (or of the shortcut reused). Throws CError when
// ShortcutPath is no readable shortcut or the copy cannot be made.
QString CopyShortcutFile(const QString& Folder, const QString& ShortcutPath);

// Forgets what is known about the contents of shortcut folders (the folders
// are looked at again on the next call).
void ForgetFolders();
void ForgetFolder(const QString& Folder);

} // namespace SM_Shortcut
