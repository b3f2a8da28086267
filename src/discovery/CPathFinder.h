#pragma once

#include <QObject>
#include <QString>

struct stat;

// Walks a folder depth first, in the order the file system lists it, and
// reports every entry whose own name matches Pattern and whose attribute bits
// all lie within AttributeEx. Events arrive synchronously inside FindFile.
//
// Attribute bits of an entry (from lstat of the entry itself): directory 16,
// otherwise archive 32; read-only 1 when the user cannot write it; hidden 2
// when the name begins with "."; normal 128 only when nothing else applies.
// Symbolic links count as files, so the walk never descends through one.
// Hidden folders are entered only when hidden entries are reported. Entries
// whose names are not valid in the file-name encoding, and folders that cannot
// be read, are never reported as found but through OnLeftOut.
class CPathFinder : public QObject {
    Q_OBJECT
public:
    enum : qint32 {
        AttrReadOnly = 1,
        AttrHidden = 2,
        AttrSystem = 4,
        AttrDirectory = 16,
        AttrArchive = 32,
        AttrNormal = 128
    };

    explicit CPathFinder(QObject* parent = nullptr);
    ~CPathFinder() override;

    QString FilePath() const { return m_filePath; }
    bool IncludeSubFolder() const { return m_includeSubFolder; }
    void setIncludeSubFolder(bool value) { m_includeSubFolder = value; }
    bool Archive() const { return m_archive; }
    void setArchive(bool value) { m_archive = value; }
    qint32 AttributeEx() const { return m_attributeEx; }
    void setAttributeEx(qint32 value) { m_attributeEx = value; }
    bool Directory() const { return m_directory; }
    void setDirectory(bool value) { m_directory = value; }
    bool Hidden() const { return m_hidden; }
    void setHidden(bool value) { m_hidden = value; }
    QString Pattern() const { return m_pattern; }
    void setPattern(const QString& value) { m_pattern = value; }
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool value) { m_readOnly = value; }
    bool System() const { return m_system; }
    void setSystem(bool value) { m_system = value; }

    // Runs the whole walk. Throws CError when the found count would overflow;
    // an error thrown by a handler ends the walk and reaches the caller.
    void FindFile(const QString& FilePath);
    // While OnFound is being raised: the found entry's facts as the walk read
    // them, links not followed. Null at any other time.
    const struct stat* FoundStat() const { return m_foundStat; }

public slots:
    // Makes the running FindFile stop after the entry at hand; it still
    // raises OnFinish with the count so far.
    void Cancel();

signals:
    void OnBegin();
    void OnFound(const QString& FileName, const QString& FileAge);
    void OnFinish(qint32 FileCount);
    // The walk enters a folder (with trailing separator), for progress display.
    void OnFolder(const QString& folder);
    // An entry the walk could not take: a folder (trailing separator) it
    // could not read or enter, or a file whose name cannot be kept.
    void OnLeftOut(const QString& FilePath, const QString& Reason);

private:
    struct Walk;

    bool m_archive = true;
    qint32 m_attributeEx = 72;
    bool m_directory = false;
    bool m_hidden = false;
    QString m_pattern = QStringLiteral("*.*");
    bool m_readOnly = true;
    bool m_system = false;
    bool m_includeSubFolder = true;
    QString m_filePath;
    qint32 m_foundCount = 0;
    bool m_cancelled = false;
    const struct stat* m_foundStat = nullptr;
};
