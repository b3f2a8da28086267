#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

// Fills %placeholders of a stored statement in one left-to-right pass: a value
// is never scanned again for later placeholders, and each value is escaped for
// the quotes it lands between ('...' doubles ', "..." doubles "). Whole numbers
// are written in plain decimal. Placeholder names match exactly; at one
// position the longest listed name wins ("%fileID" before "%fid").
QString FillPlaceholders(const QString& sql, const QList<QPair<QString, QVariant>>& values);
