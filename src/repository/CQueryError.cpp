#include "CQueryError.h"

CQueryError::CQueryError(int position, const QString& reason)
    : CError(0, reason), m_position(position) {}
