#pragma once

class CFileDB;
class CVolloDB;

// One repository transaction around a bulk job. The destructor commits, also
// while an error unwinds the job: what was registered before the failing item
// stays registered. Rollback() discards the work instead.
class CTransactionScope {
public:
    explicit CTransactionScope(CVolloDB& repository);
    explicit CTransactionScope(CFileDB& repository);
    ~CTransactionScope();
    CTransactionScope(const CTransactionScope&) = delete;
    CTransactionScope& operator=(const CTransactionScope&) = delete;

    // Ends the transaction now; errors reach the caller (the destructor can
    // only swallow them).
    void Commit();
    void Rollback();
    bool IsActive() const { return m_active; }

private:
    CVolloDB* m_volloDB = nullptr;
    CFileDB* m_fileDB = nullptr;
    bool m_active = false;
};
