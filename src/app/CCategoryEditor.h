#pragma once

#include "CCategoryStore.h"

#include <QString>

class CVolloDB;
class QWidget;

// The questions behind the category commands of the main window: the name
// of a new or renamed category, asked again until the repository takes it
// or the user gives up, and the confirmation before a delete. Each returns
// what changed; the window then updates its views. Failures of the
// repository reach the caller as CError.
class CCategoryEditor {
public:
    CCategoryEditor(CVolloDB& repository, QWidget* owner);

    // The new category's identifier, 0 when the user cancelled.
    qint32 AskNew(QString* Name, qint32 ParentID = 0);
    // The new name, empty when the user cancelled.
    QString AskRename(qint32 TagID, const QString& Name);
    // Whether the category was deleted.
    bool AskDelete(qint32 TagID, const QString& Name);
    // Shows a refusal as plain text (a name may look like markup).
    static void Tell(const QString& Text, QWidget* owner);

private:
    // Asks until the store finds nothing against the name (ExceptID: the
    // category being renamed); empty when cancelled.
    QString AskName(const QString& Title, const QString& Prompt, const QString& Name,
                    qint32 ExceptID);

    CCategoryStore m_store;
    QWidget* m_owner;
};
