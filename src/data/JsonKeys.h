#pragma once

// The keys of the objects of a JSON text, each object's in the order the text gives
// them: a QJsonObject sorts its keys and keeps only the last of two alike, so a key
// given twice would go without a word.

#include <QByteArrayView>
#include <QHash>
#include <QStringList>

namespace statusmill::data {

// Every object of the text by its path, as messages name a place: "" for the whole
// text, "[3]" for an object of an array, "Milestones[2]" for an item of a list and
// "[3].Milestones[2]" for one in a batch's fourth report. Its keys as the text
// writes them, escapes read. Of two objects at one path (under a key given twice),
// the first. For text that QJsonDocument has taken; it reads any other text without
// harm, but gives nothing of use.
QHash<QString, QStringList> objectKeys(QByteArrayView json);

} // namespace statusmill::data
