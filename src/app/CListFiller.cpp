#include "CListFiller.h"

#include "BM_Library.h"
#include "CBusyIndicator.h"
#include "CError.h"
#include "CFileListView.h"
#include "CListViewControl.h"
#include "CRecentFiles.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "FormCategory.h"
#include "Placeholders.h"

using namespace BM_Library;

CListFiller::CListFiller(CVolloDB& repository) : m_repository(repository) {}

CRecordset CListFiller::FilesOfTag(qint32 TagID) {
    return TagID == 0 ? m_repository.RunQuery(QStringLiteral("getFileNameAll"))
                      : m_repository.GetFileOfTag(TagID);
}

CRecordset CListFiller::FilesOfExtension(const QString& Extension) {
    return m_repository.RunSQL(
        FillPlaceholders(m_repository.GetQuery(QStringLiteral("getFileNameOfExt")),
                         {{QStringLiteral("%fileExt"), Extension}}));
}

bool CListFiller::IsFilePresent(const QString& path) {
    return FileExists(path);
}

void CListFiller::FillList(CFileListView* L, CRecordset& rs) {
    CBusyIndicator busy;
    // A data folder deleted under the program takes every shortcut with it:
    // that is no reason to forget the files, and nothing may be written.
    const bool gone = m_repository.CheckGone();
    const bool canForget = !m_repository.IsReadOnly();
    // Removals of vanished files go in one transaction with the reading.
    CTransactionScope transaction(m_repository);
    QVariantList values;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
        const QString path = rs.Field(1).toString();
        // Reading the shortcut is the presence test of the common case; only
        // a shortcut that cannot be read is looked at again.
        QString target;
        bool present = true;
        try {
            target = ShortcutTarget(path);
        } catch (const CError&) {
            present = IsFilePresent(path);
            if (present)
                throw;
        }
        if (!present && !canForget) {
            // Shown by name as the repository has it, or left out of view
            // until the repository can be written again.
            if (gone) {
                values << path << QString() << QString();
                AddRow(L, values, rs.Field(0).toInt(), path);
            }
            continue;
        }
        if (!present) {
            // The shortcut has gone: so has the file, with all its links.
            m_repository.DelFileName(path);
            m_repository.RunSQL(
                FillPlaceholders(m_repository.GetQuery(QStringLiteral("delFileTagAll")),
                                 {{QStringLiteral("%fileID"), rs.Field(0).toInt()}}));
            continue;
        }
        // The date comes from the lookup the size just made (the shared
        // find record): one stat per document, not two.
        values << path << FileSizeText(target) << FileDateTimeText(QString());
        AddRow(L, values, rs.Field(0).toInt(), path);
    }
    transaction.Commit();
}

void CListFiller::AddRow(CFileListView* L, QVariantList& values, qint32 FileID,
                         const QString& path) {
    CListItem item = L->AddItem(values);
    item.setKey(MakeKey(FileID));
    item.setTag(path);
}

void CListFiller::ShowFiles(CFileListView* L, CRecordset& rs) {
    L->Clear();
    FillList(L, rs);
}

void CListFiller::ShowTagFiles(CFileListView* L, qint32 TagID) {
    CRecordset rs = FilesOfTag(TagID);
    ShowFiles(L, rs);
}

void CListFiller::ShowRecentFiles(CFileListView* L, CRecentFiles& Finder) {
    L->Clear();
    CBusyIndicator busy;
    CTransactionScope transaction(m_repository);
    Finder.FindFile();
    transaction.Commit();
}

void CListFiller::AddRecentRow(CFileListView* L, const QString& FileName, qint32 FileID) {
    const QString target = ShortcutTarget(FileName);
    QVariantList values{FileName, FileSizeText(target), FileDateTimeText(target)};
    CListItem item = L->AddItem(values);
    item.setTag(FileName);
    // Listed without being collected (the repository cannot be written):
    // a row without key stands for no registered file.
    if (FileID > 0)
        item.setKey(MakeKey(FileID));
}

void CListFiller::FeedCategoryForm(FormCategory& Form, const QString& FilePath,
                                   const QString& RowKey) {
    Form.setFilePath(FilePath);
    Form.setFileID(RowKey.isEmpty() ? -1 : KeyToID(RowKey));
    Form.Unfreeze();
    Form.SetCategory(m_repository.GetTagOfFile(Form.FileID()));
}
