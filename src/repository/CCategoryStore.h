#pragma once

#include <QString>

class CVolloDB;

// The user's own categories in the repository: adding, renaming and deleting
// them, with the rules that keep them apart. Names are unique with letter
// case ignored, and identifiers stay within the range that the main window
// reads as categories (above it, a number names an extension category).
// Refusals and failures are thrown as CError with a text for the user.
class CCategoryStore {
public:
    static constexpr qint32 LastCategoryID = 500;

    explicit CCategoryStore(CVolloDB& repository);

    // Why Name cannot name category ExceptID (0 for a new one); empty when
    // it can. Name is taken as the user typed it, blanks around it ignored.
    QString Refusal(const QString& Name, qint32 ExceptID = 0);

    // Adds a category and returns its identifier.
    qint32 Add(const QString& Name);
    // Links stay: they name the category by its identifier.
    void Rename(qint32 TagID, const QString& Name);
    // Removes the category and its links in one transaction; the documents
    // stay registered.
    void Delete(qint32 TagID);
    // How many documents carry the category.
    qint32 FileCount(qint32 TagID);

private:
    void RunWithTag(const QString& Key, qint32 TagID);

    CVolloDB& m_repository;
};
