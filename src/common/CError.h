#pragma once

#include <QString>
#include <stdexcept>

// The code of a failure on an object that no longer exists, or was never given.
inline constexpr int kObjectGone = 424;

// The one error type the program raises: a code and a text from the engine or
// the platform that failed (SQLite's extended result code, errno, or 0 when the
// failure is the program's own), readable as it stands in a message box.
class CError : public std::runtime_error {
public:
    CError(int code, const QString& text);
    explicit CError(const QString& text) : CError(0, text) {}

    int Code() const noexcept { return m_code; }
    QString Text() const { return m_text; }

private:
    int m_code;
    QString m_text;
};
