#include "CTransactionScope.h"

#include "CError.h"
#include "CFileDB.h"
#include "CVolloDB.h"

#include <QDebug>

CTransactionScope::CTransactionScope(CVolloDB& repository) : m_volloDB(&repository) {
    repository.BeginTransaction();
    m_active = true;
}

CTransactionScope::CTransactionScope(CFileDB& repository) : m_fileDB(&repository) {
    repository.BeginTransaction();
    m_active = true;
}

CTransactionScope::~CTransactionScope() {
    if (!m_active)
        return;
    try {
        Commit();
    } catch (const CError& e) {
        qWarning("Vollo: a repository transaction could not be committed: %s",
                 qUtf8Printable(e.Text()));
        try {
            Rollback();
        } catch (const CError&) {
        }
    }
}

void CTransactionScope::Commit() {
    if (!m_active)
        return;
    if (m_volloDB)
        m_volloDB->CommitTransaction();
    else
        m_fileDB->CommitTransaction();
    m_active = false;
}

void CTransactionScope::Rollback() {
    if (!m_active)
        return;
    m_active = false;
    if (m_volloDB)
        m_volloDB->RollbackTransaction();
    else
        m_fileDB->RollbackTransaction();
}
