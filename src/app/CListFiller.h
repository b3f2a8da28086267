#pragma once

#include "CRecordset.h"

#include <QString>
#include <QVariantList>

class CFileListView;
class CRecentFiles;
class CVolloDB;
class FormCategory;

// Reads what the main window shows from the repository: the rows of a file
// list, the recent documents and the categories of one file in the category
// dialog. Files whose shortcut has gone are dropped from the repository on
// the way, so no list shows a document that no longer exists.
class CListFiller {
public:
    explicit CListFiller(CVolloDB& repository);

    // The files of a category; the root (0) lists every file.
    CRecordset FilesOfTag(qint32 TagID);
    // The files of an extension category, by its node tag.
    CRecordset FilesOfExtension(const QString& Extension);

    // Adds a row per record (field 0 file ID, field 1 shortcut path); a file
    // whose shortcut has gone is removed with all its links instead.
    void FillList(CFileListView* L, CRecordset& rs);
    // Empties L and fills it from rs, or with the files of TagID.
    void ShowFiles(CFileListView* L, CRecordset& rs);
    void ShowTagFiles(CFileListView* L, qint32 TagID);
    // Empties L and lets Finder walk the recent documents; each one it
    // reports comes back through AddRecentRow.
    void ShowRecentFiles(CFileListView* L, CRecentFiles& Finder);
    void AddRecentRow(CFileListView* L, const QString& FileName, qint32 FileID);

    // Shows the file of a list row in the dialog with the categories it
    // carries; a row without key stands for no registered file.
    void FeedCategoryForm(FormCategory& Form, const QString& FilePath, const QString& RowKey);

    // Whether path names an existing file (a shortcut counts whatever its
    // target).
    static bool IsFilePresent(const QString& path);

private:
    // AddItem empties values.
    static void AddRow(CFileListView* L, QVariantList& values, qint32 FileID, const QString& path);

    CVolloDB& m_repository;
};
