#pragma once

#include "generate/Automation.h"
#include "preview/PictureBox.h"
#include "generate/SaveFormats.h"
#include "preview/ViewArithmetic.h"
#include "ui/Appearance.h"
#include "ui/BusyInputGate.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QGroupBox;
class QPushButton;
class QScrollBar;
class QWheelEvent;

class QPrinter;

namespace statusmill {

class Procedure;

// The preview window: shows the snapshot of a generated report with zoom, scroll
// bars and drag-panning, saves a copy of the document, and goes back to the main
// window. It owns the generated document: Back and closing delete it.
//
// The hand-over from a generation run, in this order:
//     form2.setPicture(snapshot);      // the canvas picture
//     form2.setWordFile(documentPath);
//     form2.show();
// Each of the first two re-arms the one-time initialisation (even when the other
// one never happened, e.g. because the snapshot could not be loaded), so the next
// activation sets the new result up afresh: zoom 100 %, canvas at the viewport's
// origin, bars configured for the new size.
//
// Besides the buttons and bars: the wheel scrolls the page (Shift or a sideways
// swipe: across; Ctrl: zooms), arrows, Page Up/Down, Home and End scroll it,
// Ctrl+Plus and Ctrl+Minus zoom and Ctrl+S saves, whichever control has focus.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    explicit Form2(QWidget* parent = nullptr);

    // The hand-over.
    void setPicture(const QImage& picture);
    void setWordFile(const QString& path);
    const QString& wordFile() const { return mWordFile; }

    // The window Back shows again.
    void setMainWindow(QWidget* window) { m_mainWindow = window; }
    // What closing the window does once its document is gone: end the program.
    void setEndProgram(std::function<void()> end) { m_endProgram = std::move(end); }

    PictureBox* Picture1() const { return m_picture1; }
    PictureBox* Picture2() const { return m_picture2; }
    PictureBox* Zoom_Ori() const { return m_zoomOri; }
    QScrollBar* HScroll1() const { return m_hScroll1; }
    QScrollBar* VScroll1() const { return m_vScroll1; }
    QGroupBox* Frame1() const { return m_frame1; }
    QPushButton* PushButton1() const { return m_pushButton1; }
    QPushButton* PushButton2() const { return m_pushButton2; }
    QPushButton* PushButton6() const { return m_pushButton6; }
    QPushButton* PushButton8() const { return m_pushButton8; }
    WindowPointer& pointer() { return m_pointer; }

    bool firstShowPending() const { return mFirstShow; }
    float zoom() const { return mZoom; }
    QSize baseSize() const { return {mBaseWidth, mBaseHeight}; }
    QSize zoomSize() const { return {mZoomWidth, mZoomHeight}; }
    int hStep() const { return mHStep; }
    int vStep() const { return mVStep; }

    // Resizes the canvas to the current zoom and paints the holder's picture onto
    // it; returns whether it did (the size limits can refuse it).
    bool RedrawImage();
    // Sets a bar to `percent` of its maximum; anything outside 0..100 is ignored.
    void SetHScrollbarByPercent(QScrollBar* HScrollbar, qint16 percent);
    void SetVScrollbarByPercent(QScrollBar* VScrollbar, qint16 percent);

    void Form_Activate();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton6_Click();
    void PushButton8_Click();
    // Ctrl+P: the system's print dialog for the report; prints what the user asks.
    void PrintReport();

    // The canvas's mouse handlers: `button` is the platform's bit mask (1 left,
    // 2 right, 4 middle), x and y count from the canvas's inner top-left corner.
    void picture1_MouseDown(qint16 button, qint16 shift, float x, float y);
    void picture1_MouseMove(qint16 button, qint16 shift, float x, float y);
    void Picture1_MouseUp(qint16 button, qint16 shift, float x, float y);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // While it lives, the pointer is the hourglass and the user's input to the
    // window is dropped, as during a generation run: for a conversion or a print.
    class Busy
    {
    public:
        explicit Busy(Form2& form);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        Form2& m_form;
        BusyInputGate m_gate;
    };

    void buildControls();
    void saveReport(const QString& target, SaveFormats::Format format, bool replaceExisting);
    void printOn(QPrinter& printer, automation::Document& document, int pages);
    void Form_Load();
    void Form_QueryUnload();

    // One step in (0) or out (1), within 25 % and 400 %.
    void ZoomStep(int direction);
    void SetZoom(float factor);
    // Zoom 100 % and the sizes measured again from the holder (numbered statements
    // 124 to 132 of the procedure that calls it).
    void backToBaseSize(Procedure& proc);
    void ConfigureScrollBars();

    void HScroll1_Change();
    void VScroll1_Change();
    // Sets a bar from code: its change handler runs when the position really
    // changes, and a failure in it reaches the caller's report.
    void setBarPosition(QScrollBar* bar, int position);
    void runChangeHandler(QScrollBar* bar);
    void configureBar(QScrollBar* bar, float overflow, int viewportInner, qint16& step);

    // The wheel and the keys move the bars, so the change handlers move the canvas.
    void installKeys();
    void pageWheel(const QWheelEvent& wheel);
    void wheelZoom(int angle);
    int linePositions(qint16 step, float lines) const
    {
        return view::linePositions(step, lines, mZoom);
    }
    void scrollBy(QScrollBar* bar, int positions);
    bool isPageOrBar(const QObject* watched) const;

    bool canvasMouseEvent(QEvent* event);

    QString mWordFile;
    bool mFirstShow = true;
    float mZoom = 1.0f;
    qint32 mBaseWidth = 0;
    qint32 mBaseHeight = 0;
    qint32 mZoomWidth = 0;
    qint32 mZoomHeight = 0;
    qint16 mHStep = 0;
    qint16 mVStep = 0;
    float mDownX = 0;
    float mDownY = 0;
    // What the wheel has turned short of a whole bar position or zoom step.
    float m_wheelAcross = 0;
    float m_wheelDown = 0;
    int m_wheelZoom = 0;

    PictureBox* m_zoomOri = nullptr;
    QGroupBox* m_frame1 = nullptr;
    QPushButton* m_pushButton1 = nullptr;
    QPushButton* m_pushButton2 = nullptr;
    PictureBox* m_picture2 = nullptr;
    PictureBox* m_picture1 = nullptr;
    QScrollBar* m_vScroll1 = nullptr;
    QScrollBar* m_hScroll1 = nullptr;
    QPushButton* m_pushButton6 = nullptr;
    QPushButton* m_pushButton8 = nullptr;

    WindowPointer m_pointer{this};
    QPointer<QWidget> m_mainWindow;
    std::function<void()> m_endProgram;
};

} // namespace statusmill
