#pragma once

// Copies office profiles: the kept one into a start's working folder, and one an
// office has made into the ready and the kept places. A profile is a few hundred
// small files in a few folders; anything else found in one was not put there by
// an office. Internal to the engine.

#include "core/Failure.h"

#include <QByteArray>
#include <QStringList>

namespace statusmill::office {

// What a profile holds, to tell a whole copy from part of one.
struct ProfileContents
{
    qint64 entries = 0;
    qint64 bytes = 0;
    bool operator==(const ProfileContents&) const = default;
};

// A profile that may not be used, and why ("it holds a named pipe (user/x)").
class UntrustedProfile : public Failure
{
public:
    using Failure::Failure;
};

struct ProfileCopyRules
{
    // Only entries of our own user that nobody else may write to; a profile that
    // others could have changed may bind macros to the office's events.
    bool ownedByUsOnly = false;
    // Top-level entries left out (the office's temporary folder of ours).
    QStringList leftOut;
};

// Copies the folder open as `from` into the new folder `to` (made inside `into`, a
// folder that is open too), folder by folder and regular file by regular file,
// opened without following links or waiting, new files readable by us alone. The
// copy refuses, throwing UntrustedProfile: a link, named pipe, device or socket; an
// entry the rules exclude; more than a few megabytes or a few thousand entries in
// all; a file that changes while it is read. Throws Failure when the copy cannot
// be written. What it copied.
ProfileContents copyProfileTree(int from, int into, const QByteArray& to,
                                const ProfileCopyRules& rules);

// The same, between two paths (both in folders of ours), the target made anew.
ProfileContents copyProfile(const QString& from, const QString& to,
                            const ProfileCopyRules& rules = {});

} // namespace statusmill::office
