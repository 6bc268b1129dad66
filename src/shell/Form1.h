#pragma once

#include "data/ReportData.h"
#include "ui/Appearance.h"

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace statusmill {

class Form2;
class Procedure;

// The main window: the four report fields, stored as they change, and the buttons.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kFieldCount = 4;

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Prepares the program and the window before it is first shown: skin, caption,
    // icon, application title, hand cursor, the stored fields, the engine check, and
    // the data file's four.
    void Form_Load();

    QLineEdit* Text1(int index) const { return m_text1[index]; }
    // The placeholder that field `index` replaces in the template.
    static QString Tag(int index);
    static QString settingKey(int index);

    QPushButton* PushButton6() const { return m_pushButton6; }
    QPushButton* PushButton3() const { return m_pushButton3; }
    QPushButton* PushButton4() const { return m_pushButton4; }
    QGroupBox* Frame1() const { return m_frame1; }
    QLabel* Label2(int index) const { return m_label2[index]; }

    WindowPointer& pointer() { return m_pointer; }
    SkinFramework& SkinFramework1() { return m_skin; }

    // Sets a field the way the program does: an unchanged text stores nothing.
    void setFieldText(int index, const QString& text);
    // Puts the stored value into the field, which stores a non-empty one again.
    void restoreField(int index);

    void Text1_Change(int index);
    void Text1_GotFocus(int index);
    void PushButton3_Click();
    void PushButton4_Click();
    // "Start Creating Template": fills, saves and renders the report, then hands
    // it to the preview window.
    void PushButton6_Click();
    // The user's template, which every press fills instead of the built-in one
    // (read-only, never changed or removed); empty for the built-in template.
    void setTemplateFile(const QString& path) { m_templateFile = path; }
    // The file every press reads the report from (see DataFiles.h): the four
    // fields the user has typed are the window's, the rest the file's; empty for none.
    void setDataFile(const QString& path) { m_dataFile = path; }
    // Last week's data, which every press reads too and sets the report against
    // (see data/LastWeek.h); empty for none.
    void setPreviousFile(const QString& path) { m_previousFile = path; }
    // Renders the document at `path` to the working folder's temp.bmp.
    void SaveDocAsJPG(const QString& path);

    bool mBusy = false;

    // The preview window, made on first use.
    Form2& form2();
    Form2* existingForm2() const { return m_form2.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Closing the main window ends the program at once; the preview, shown or
    // hidden, goes with it without running its own closing steps.
    void closeEvent(QCloseEvent* event) override;

private:
    // The report the press makes: built-in or the user's template filled, saved in
    // the working folder and closed. Its path; empty when none was made.
    QString makeTheDocument(Procedure& proc, const std::optional<data::ReportData>& reportData);
    // Draws a free name in the working folder for the document.
    QString drawDocumentName(Procedure& proc);
    // Hands the saved document and its picture to the preview and shows it.
    void showTheReport(Procedure& proc, const QString& document);

    // The data file's report of the project in the window, with the window's four;
    // nothing, once said in a box, when the file cannot be read.
    std::optional<data::ReportData> dataOfThePress();
    // At start: the fields follow the file, showing the four of its report (the
    // only one, or the stored project's) where it has them.
    void followTheDataFile();
    void showTheDataFilesFour();
    // Shows the file's value in every field that shows no value of the user's.
    void followTheFile(const data::ReportData& report);
    void showFileValue(int index, const QString& text);
    // Lets the windows paint until the picture handed to the preview is whole.
    void showWhilePictureIsFinished();

    std::array<QLineEdit*, kFieldCount> m_text1{};
    std::array<QLabel*, kFieldCount> m_label2{};
    QGroupBox* m_frame1 = nullptr;
    QPushButton* m_pushButton6 = nullptr;
    QPushButton* m_pushButton3 = nullptr;
    QPushButton* m_pushButton4 = nullptr;
    WindowPointer m_pointer{this};
    SkinFramework m_skin;
    bool m_storeFailureShown = false;
    bool m_shownBefore = false;
    QString m_templateFile;
    QString m_dataFile;
    QString m_previousFile;
    // Which fields show the data file's value (or, from the start until the file
    // is read, the stored one in its stead) rather than one the user gave: those
    // follow the file at every press, and a value shown from it is not stored.
    std::array<bool, kFieldCount> m_fromFile{};
    bool m_showingFileValue = false;
    bool m_workbookToRead = false;
    std::unique_ptr<Form2> m_form2;
};

} // namespace statusmill
