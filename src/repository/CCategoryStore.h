#pragma once

#include <QHash>
#include <QList>
#include <QString>

class CVolloDB;

// The user's own categories in the repository: adding, renaming, nesting and
// deleting them, with the rules that keep them apart. Names are unique with
// letter case ignored, against the names as stored and as shown in the
// current language. Identifiers stay within the range that the main window
// reads as categories (above it, a number names an extension category); the
// numbers of deleted categories are handed out again. Refusals and failures
// are thrown as CError with a text for the user.
//
// A category's parent lives in a table of its own beside the categories,
// made the first time a category is nested: a repository from before reads
// every category as top-level and stays as it was until then.
class CCategoryStore {
public:
    static constexpr qint32 LastCategoryID = 500;
    // The parent of every nested category; top-level ones are absent.
    using ParentMap = QHash<qint32, qint32>;

    explicit CCategoryStore(CVolloDB& repository);

    // Why Name cannot name category ExceptID (0 for a new one); empty when
    // it can. Name is taken as the user typed it, blanks around it ignored.
    QString Refusal(const QString& Name, qint32 ExceptID = 0);

    // Adds a category under ParentID (0: top-level) and returns its
    // identifier, the lowest one free.
    qint32 Add(const QString& Name, qint32 ParentID = 0);
    // Links stay: they name the category by its identifier.
    void Rename(qint32 TagID, const QString& Name);
    // Removes the category and its links in one transaction; the documents
    // stay registered and its children move up to its parent.
    void Delete(qint32 TagID);
    // How many documents carry the category.
    qint32 FileCount(qint32 TagID);
    // How many documents carry the category or one of its descendants.
    qint32 FileCountWithDescendants(qint32 TagID);

    ParentMap Parents();
    qint32 Parent(qint32 TagID);
    // Why TagID cannot move under ParentID (0: top-level); empty when it can.
    QString NestRefusal(qint32 TagID, qint32 ParentID);
    // Moves TagID under ParentID (0: top-level); a cycle is refused.
    void SetParent(qint32 TagID, qint32 ParentID);
    // Every category below TagID, all levels down, parents before children.
    QList<qint32> Descendants(qint32 TagID);
    static QList<qint32> Descendants(const ParentMap& Parents, qint32 TagID);
    // Whether a parent's list shows its descendants' documents too (the
    // default); remembered per category.
    bool IncludesDescendants(qint32 TagID);
    void setIncludesDescendants(qint32 TagID, bool Include);

private:
    void RunWithTag(const QString& Key, qint32 TagID);
    bool HasParentTable();
    void SetParentRow(qint32 TagID, qint32 ParentID);
    qint32 LowestFreeID();
    QList<qint32> LeftOutDescendants();

    CVolloDB& m_repository;
};
