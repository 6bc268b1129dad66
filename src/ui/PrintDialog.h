#pragma once

#include <QPrintDialog>

namespace statusmill {

// The system's print dialog, which refuses as an output file what a save refuses
// (a device, a named pipe, a folder, another user's link in a shared folder)
// before anything opens it. The dialog's own check opens the file to see whether
// it may be written: a named pipe would hold the program there for good, and a
// link would be followed wherever it leads.
class PrintDialog : public QPrintDialog
{
    Q_OBJECT

public:
    using QPrintDialog::QPrintDialog;
    void accept() override;

    // The output file named in the dialog, when printing to a file is chosen.
    QString outputFileChosen() const;

    // Printing to a file suggests its file in `folder` rather than in the folder
    // the program was started from.
    void suggestFileIn(const QString& folder);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applySuggestion();
    QString m_folder;
};

} // namespace statusmill
