#include "ClipboardPicture.h"

namespace statusmill {
namespace {

std::optional<QImage>& slot()
{
    static std::optional<QImage> picture;
    return picture;
}

} // namespace

void putClipboardPicture(const QImage& picture)
{
    slot() = picture;
}

std::optional<QImage> GetClipboardPicture(int format)
{
    Q_UNUSED(format); // the slot holds pictures only
    // Unlike the system clipboard, nobody else can hold the slot busy, so one look
    // is as good as the thousand tries a shared clipboard needs.
    std::optional<QImage> taken;
    if (slot() && !slot()->isNull())
        taken = std::move(slot());
    slot().reset();
    return taken;
}

} // namespace statusmill
