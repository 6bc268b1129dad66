// Setting up a handed-over picture and zooming it.
#include "Form2.h"

#include "ViewArithmetic.h"
#include "core/Procedure.h"

#include <QScrollBar>

namespace statusmill {

void Form2::Form_Activate()
{
    Procedure proc(QStringLiteral("Form2.Form_Activate"));
    if (!proc.jumpWhen(100, [&] { return !mFirstShow; })) {
        // The canvas always keeps its drawing in memory; it fits itself to a new
        // picture and paints on white.
        proc.run(104, [&] { m_picture1->setAutoSize(true); });
        proc.run(108, [&] { setBackground(m_picture1, Qt::white); });
        proc.run(114, [&] { m_zoomOri->hide(); });
        proc.run(118, [&] { m_zoomOri->setOuterWidth(m_picture1->width()); });
        proc.run(120, [&] { m_zoomOri->setOuterHeight(m_picture1->height()); });
        // Shares the handed-over pixels; every redraw scales from them.
        proc.run(122, [&] { m_zoomOri->setPicture(m_picture1->picture()); });
        backToBaseSize(proc);
        proc.run(134, [&] { RedrawImage(); });
        proc.run(136, [&] { ConfigureScrollBars(); });
    }
    proc.run(138, [&] { mFirstShow = false; });
}

void Form2::PushButton1_Click()
{
    Procedure proc(QStringLiteral("Form2.PushButton1_Click"));
    proc.run(100, [&] { ZoomStep(0); });
}

void Form2::PushButton2_Click()
{
    Procedure proc(QStringLiteral("Form2.PushButton2_Click"));
    proc.run(100, [&] { ZoomStep(1); });
}

void Form2::ZoomStep(int direction)
{
    if (const auto next = view::steppedZoom(mZoom, direction))
        SetZoom(*next);
}

void Form2::SetZoom(float factor)
{
    mZoom = factor;
    // The bars follow every new canvas size, so they always reach all of it.
    if (RedrawImage())
        ConfigureScrollBars();
}

bool Form2::RedrawImage()
{
    Procedure proc(QStringLiteral("Form2.RedrawImage"));
    proc.run(100, [&] { mZoomWidth = view::zoomedExtent(mBaseWidth, mZoom); });
    proc.run(102, [&] { mZoomHeight = view::zoomedExtent(mBaseHeight, mZoom); });
    if (proc.when(104, [&] { return view::canvasFits(mZoomWidth, mZoomHeight); })) {
        proc.run(106, [&] { m_picture1->removePicture(); });
        proc.run(108, [&] { m_picture1->setOuterWidth(mZoomWidth); });
        proc.run(110, [&] { m_picture1->setOuterHeight(mZoomHeight); });
        proc.run(112, [&] {
            m_picture1->paintPicture(m_zoomOri->picture(), QRect(0, 0, mZoomWidth, mZoomHeight),
                                     QRect(0, 0, mBaseWidth, mBaseHeight));
        });
        proc.run(114, [&] { m_pointer.set(WindowPointer::Default); });
        proc.run(116, [&] { setBarPosition(m_hScroll1, 0); });
        proc.run(118, [&] { setBarPosition(m_vScroll1, 0); });
        proc.run(120, [&] { m_hScroll1->setEnabled(m_picture2->innerWidth() < mZoomWidth); });
        proc.run(122, [&] { m_vScroll1->setEnabled(m_picture2->innerHeight() < mZoomHeight); });
        return true;
    }
    // Too big to draw: back to 100 %, measured from the base size. The canvas keeps
    // showing what it was last painted with.
    backToBaseSize(proc);
    return false;
}

void Form2::backToBaseSize(Procedure& proc)
{
    proc.run(124, [&] { mZoom = 1.0f; });
    proc.run(126, [&] { mBaseWidth = view::baseExtent(m_zoomOri->innerWidth()); });
    proc.run(128, [&] { mBaseHeight = view::baseExtent(m_zoomOri->innerHeight()); });
    proc.run(130, [&] { mZoomWidth = mBaseWidth; });
    proc.run(132, [&] { mZoomHeight = mBaseHeight; });
}

} // namespace statusmill
