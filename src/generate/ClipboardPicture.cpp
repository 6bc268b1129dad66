#include "ClipboardPicture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace statusmill {

std::optional<QImage> GetClipboardPicture(int format)
{
    Q_UNUSED(format); // every picture format counts
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (data && data->hasImage()) {
            const QImage image = QGuiApplication::clipboard()->image();
            if (!image.isNull())
                return image;
        }
    }
    return std::nullopt;
}

} // namespace statusmill
