#include "PrintDialog.h"

#include "Dialogs.h"
#include "core/CopyIntoPlace.h"

#include <QDir>
#include <QLineEdit>

namespace statusmill {

QString PrintDialog::outputFileChosen() const
{
    // The field is enabled only while a file is the destination.
    const auto* field = findChild<QLineEdit*>(QStringLiteral("filename"));
    return field && field->isEnabled() ? field->text() : QString();
}

void PrintDialog::accept()
{
    const QString file = outputFileChosen();
    if (!file.isEmpty()) {
        if (const auto reason = reasonNotToSaveOver(QDir::cleanPath(file))) {
            Dialogs::message(windowTitle(),
                             QStringLiteral("%1 cannot be printed to: %2. Please choose another "
                                            "file name.")
                                 .arg(QDir::toNativeSeparators(file), *reason),
                             Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
            return;
        }
    }
    QPrintDialog::accept();
}

} // namespace statusmill
