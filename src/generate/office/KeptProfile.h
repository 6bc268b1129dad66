#pragma once

// An office profile kept between runs, where a user's caches belong
// ($XDG_CACHE_HOME/statusmill/, normally ~/.cache/statusmill/). An office started
// on a new profile makes it first and then restarts itself, a quarter of a second
// of every start; started on a copy of a kept one, it does not. The kept profile
// carries a stamp of the LibreOffice build that made it and of what it holds: one
// of another build is set aside, and so is one an office failed to start from or
// had to make again. Two copies of the program starting at once each take a copy
// of their own, and a profile is kept by writing it beside its place and moving it
// there whole, so nobody ever takes half of one for a whole one.
//
// A profile can bind macros to the office's events, so a kept one is used only
// while the cache folder and everything in it are the user's own and nobody else
// may write to them, and only as plain files and folders of modest size: a link, a
// pipe, a device, another owner, rights for others, an oversized or incomplete
// profile sets it aside (a link is removed, never followed), with one line on
// standard error, and a new one is made. A cache that cannot be written only means
// slower starts. Internal to the engine.

#include <QString>

namespace statusmill::office {

namespace KeptProfile {

// Copies the kept profile, when one of this build of `program` is there and may be
// trusted, to the new folder `to`; whether it did. Never throws.
bool copyTo(const QString& program, const QString& to);

// Keeps `profile`, just made by an office of `program`, unless one of this build
// is kept already. Never throws.
void keep(const QString& program, const QString& profile);

// Sets the kept profile aside: an office failed to start from a copy of it, or had
// to make its profile anew. Never throws.
void setAside();

// Where it is kept.
QString folder();

} // namespace KeptProfile
} // namespace statusmill::office
