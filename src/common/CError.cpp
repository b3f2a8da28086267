#include "CError.h"

CError::CError(int code, const QString& text)
    : std::runtime_error(text.toStdString()), m_code(code), m_text(text) {}
