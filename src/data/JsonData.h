#pragma once

// Reports written as JSON. An object is one report: each key names a field
// ("ProjectName", or a window label such as "Project Name") whose value is text,
// a number (written as the shortest text that reads back as the same number:
// 12500, 0.25), true or false; null is empty text; an array of objects is the list
// of that name, each object an item of such values. An array of such objects is a
// batch, each report "FILE [index]" (counted from 0, as in jq).

#include "Records.h"

namespace statusmill::data {

// The reports of the JSON text `bytes`, named `file` in messages. A report that
// holds a value of another shape (an object as a field, an array inside an item)
// is kept with a problem naming where: "Milestones[2].Owner is an array; ...".
// Throws Failure for text that is no JSON, naming its line and column, and for
// JSON that is neither an object nor an array.
Reports jsonReports(QByteArray bytes, const QString& file);

// The same of a file. Throws Failure also for a file that cannot be read.
Reports readJsonReports(const QString& path);

// Whether the file's name says it is JSON (.json).
bool isJsonName(const QString& path);

} // namespace statusmill::data
