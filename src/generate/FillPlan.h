#pragma once

// What a fill replaces, and in which order, so that every value lands as it was
// typed: a value is never searched for placeholders once it is in the document.
// Replacing one placeholder after another would search the values put in by the
// earlier ones: a project named "[Department]" would become the department, and a
// field filled last with empty text would erase "[Product]" inside another value.

#include <QList>
#include <QString>

namespace statusmill::automation {

// A placeholder of the template ("[ProjectName]") and the text that takes its place.
struct Replacement
{
    QString placeholder;
    QString text;
};

// The replacements in the order they are made: first each placeholder (once,
// whatever the letter case it is listed in again), then the markers. A value
// that a placeholder still to be filled could be found in, or found across
// together with the text around it, goes in as a marker that no value and no
// template holds; once every placeholder is filled, each marker becomes its value.
struct FillPlan
{
    QList<Replacement> placeholders;
    QList<Replacement> markers;
};

FillPlan planFill(const QList<Replacement>& replacements);

// The text as a document can hold it, the one way every value goes to the office:
// control characters other than tab and line feed, and U+FFFE and U+FFFF, left
// out (the office's Word export crashes on them or writes a file other readers
// choke on: a NUL hides the rest of its paragraph; those two are no characters at
// all); a surrogate without its pair, on which the office stops, as U+FFFD (the
// replacement character); and a carriage return, alone or before a line feed, as a
// line feed: a value breaks lines within its paragraph, never the paragraph, so a
// list row stays one row.
QString documentText(const QString& text);

} // namespace statusmill::automation
