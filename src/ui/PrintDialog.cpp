#include "PrintDialog.h"

#include "Dialogs.h"
#include "core/CopyIntoPlace.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>

namespace statusmill {

QString PrintDialog::outputFileChosen() const
{
    // The field is enabled only while a file is the destination.
    const auto* field = findChild<QLineEdit*>(QStringLiteral("filename"));
    return field && field->isEnabled() ? field->text() : QString();
}

void PrintDialog::suggestFileIn(const QString& folder)
{
    m_folder = folder;
    applySuggestion();
}

void PrintDialog::showEvent(QShowEvent* event)
{
    QPrintDialog::showEvent(event);
    applySuggestion();
}

void PrintDialog::applySuggestion()
{
    // The dialog names its file (print.pdf, or after the document) in the folder the
    // program was started from, or at home; the name stays, the folder is ours.
    auto* field = findChild<QLineEdit*>(QStringLiteral("filename"));
    if (m_folder.isEmpty() || !field || !printer()->outputFileName().isEmpty())
        return;
    const QString name = QFileInfo(field->text()).fileName();
    field->setText(QDir(m_folder).filePath(name.isEmpty() ? QStringLiteral("print.pdf") : name));
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
