#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QMimeData;

// What rows dragged out of a file list carry. Inside Vollo the rows are known
// by their file IDs, under a type of the program's own, so a drop onto a
// category links them rather than collecting their documents again. Other
// programs (a file manager, a mail composer) get the documents themselves as
// a uri-list of their real paths, never the shortcuts.
class CFileDrag {
public:
    static QString MimeType();
    // Data for the given file IDs and document paths; the caller owns it.
    static QMimeData* Make(const QList<qint32>& FileIDs, const QStringList& Documents);
    // Whether Data came from a file list of this process.
    static bool IsRowDrag(const QMimeData* Data);
    // The file IDs of a row drag of this process; empty for anything else.
    static QList<qint32> FileIDs(const QMimeData* Data);
};
