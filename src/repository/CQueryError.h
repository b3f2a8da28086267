#pragma once

#include "CError.h"

// A query that cannot be read: where (a character index into the query text)
// and why, in words fit for the line under the query field.
class CQueryError : public CError {
public:
    CQueryError(int position, const QString& reason);

    int Position() const noexcept { return m_position; }
    QString Reason() const { return Text(); }

private:
    int m_position;
};
