#pragma once

#include <QDate>
#include <QString>

// Reading the "#"-delimited date literals of the program's statements. They
// carry the user's short date (four-digit year) or "yyyy/mm/dd" written with
// the user's date separator, so the current locale's form is tried alongside
// the common numeric forms.
namespace JetDate {

// The date (and time of day, when one follows) of a literal's inner text.
// Invalid when the text is no date in a form listed above.
QDateTime Parse(const QString& text);

// The literal as SQLite stores dates: 'YYYY-MM-DD', or 'YYYY-MM-DD HH:MM:SS'
// when a time is given. Empty when the text is no date.
QString ToIso(const QString& text);

} // namespace JetDate
