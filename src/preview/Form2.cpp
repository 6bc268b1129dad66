#include "Form2.h"

#include "Form2Layout.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"
#include "core/Procedure.h"
#include "core/Product.h"
#include "ui/FixedWindow.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QWheelEvent>

namespace statusmill {

namespace {

template <class Control> Control* place(Control* control, const ControlLayout& layout)
{
    control->setObjectName(QString::fromLatin1(layout.name));
    control->setGeometry(layout.pixels());
    return control;
}

QPushButton* makeButton(QWidget* parent, const ControlLayout& layout, const char* caption)
{
    auto* button = place(new QPushButton(QString::fromUtf8(caption), parent), layout);
    button->setFont(buttonFont());
    button->setMouseTracking(true);
    return button;
}

QScrollBar* makeScrollBar(QWidget* parent, Qt::Orientation orientation, const ControlLayout& layout)
{
    auto* bar = place(new QScrollBar(orientation, parent), layout);
    // The change handlers run once a move is complete, never while the thumb is dragged.
    bar->setTracking(false);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    return bar;
}

} // namespace

Form2::Form2(QWidget* parent) : QWidget(parent), m_endProgram([] { QCoreApplication::exit(0); })
{
    buildControls();
    Form_Load();
}

void Form2::buildControls()
{
    setObjectName(QStringLiteral("Form2"));
    makeFixedWindow(this,
                    {twipsToPixels(form2::kClientWidth), twipsToPixels(form2::kClientHeight)});
    setFont(windowFont());
    setBackground(this, designBackground());
    setMouseTracking(true);

    m_zoomOri = place(new PictureBox(this), form2::kZoomOri);
    setBackground(m_zoomOri, Qt::white);

    m_frame1 = place(new QGroupBox(QStringLiteral("Zoom:"), this), form2::kFrame1);
    m_frame1->setMouseTracking(true);
    setBackground(m_frame1, designBackground());
    m_pushButton1 = makeButton(m_frame1, form2::kPushButton1, "Zoom In");
    m_pushButton2 = makeButton(m_frame1, form2::kPushButton2, "Zoom Out");

    m_picture2 = place(new PictureBox(this), form2::kPicture2);
    m_picture2->setBorderWidth(form2::kViewportBorder);
    setBackground(m_picture2, Qt::white);

    m_picture1 = place(new PictureBox(m_picture2->clientArea()), form2::kPicture1);
    setBackground(m_picture1, QApplication::palette().color(QPalette::Base));
    // The hand-over assigns the picture before the first activation, so the canvas
    // must already fit itself to it then.
    m_picture1->setAutoSize(true);
    m_picture1->setMouseTracking(true);
    m_picture1->setAccessibleName(QStringLiteral("Report preview"));

    m_vScroll1 = makeScrollBar(this, Qt::Vertical, form2::kVScroll1);
    m_hScroll1 = makeScrollBar(this, Qt::Horizontal, form2::kHScroll1);
    m_vScroll1->setAccessibleName(QStringLiteral("Scroll the report vertically"));
    m_hScroll1->setAccessibleName(QStringLiteral("Scroll the report horizontally"));
    m_pushButton6 = makeButton(this, form2::kPushButton6, "Save Results To Word File");
    m_pushButton8 = makeButton(this, form2::kPushButton8, "< Back");

    QWidget* previous = m_hScroll1;
    for (QWidget* next : std::initializer_list<QWidget*>{m_vScroll1, m_pushButton1, m_pushButton2,
                                                         m_pushButton6, m_pushButton8}) {
        setTabOrder(previous, next);
        previous = next;
    }

    for (QObject* watched : std::initializer_list<QObject*>{
             this, m_frame1, m_pushButton1, m_pushButton2, m_pushButton6, m_pushButton8, m_picture1,
             m_picture2, m_picture2->clientArea(), m_hScroll1, m_vScroll1})
        watched->installEventFilter(this);
    installKeys();

    connect(m_pushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(m_pushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(m_pushButton6, &QPushButton::clicked, this, &Form2::PushButton6_Click);
    connect(m_pushButton8, &QPushButton::clicked, this, &Form2::PushButton8_Click);

    // A bar the user moved has no caller to report to: a position whose offset does
    // not fit leaves the canvas where it is rather than ending the program.
    for (QScrollBar* bar : {m_hScroll1, m_vScroll1}) {
        connect(bar, &QScrollBar::valueChanged, this, [this, bar] {
            try {
                runChangeHandler(bar);
            } catch (const Failure&) {
            }
        });
    }
}

void Form2::Form_Load()
{
    Procedure proc(QStringLiteral("Form2.Form_Load"));
    proc.run(100, [&] { mFirstShow = true; });
    proc.run(102, [&] { ApplyFormColors(this); });
    proc.run(104, [&] {
        setWindowTitle(QString::fromLatin1(kProductName));
        setWindowIcon(programIcon());
    });
    if (proc.when(108, [] { return handCursorPresent(); }))
        proc.run(110, [&] { m_pointer.setCustomCursor(loadCursorFile(handCursorPath())); });
}

void Form2::setPicture(const QImage& picture)
{
    m_picture1->setPicture(picture);
    mFirstShow = true;
}

void Form2::setWordFile(const QString& path)
{
    mWordFile = path;
    mFirstShow = true;
}

void Form2::PushButton8_Click()
{
    Procedure proc(QStringLiteral("Form2.PushButton8_Click"));
    proc.run(102, [&] { DeleteFileQuietly(mWordFile); });
    proc.run(104, [&] {
        if (!m_mainWindow)
            throw Failure(QStringLiteral("The main window is not available."));
        m_mainWindow->show();
    });
    proc.run(106, [&] { hide(); });
}

void Form2::Form_QueryUnload()
{
    Procedure proc(QStringLiteral("Form2.Form_QueryUnload"));
    proc.run(102, [&] { DeleteFileQuietly(mWordFile); });
    proc.run(104, [] { QCoreApplication::processEvents(); });
    proc.run(106, [] { QCoreApplication::processEvents(); });
}

void Form2::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload();
    event->accept();
    if (m_endProgram)
        m_endProgram();
}

// Being shown by the program makes the window the active one, whatever the window
// manager decides about focus; so the initialisation never waits for a click.
void Form2::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

bool Form2::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    // The bars' own wheel handling would move them a fixed number of positions.
    if (event->type() == QEvent::Wheel && isPageOrBar(watched)) {
        pageWheel(*static_cast<QWheelEvent*>(event));
        return true;
    }
    if (watched == m_picture1)
        return canvasMouseEvent(event) || QWidget::eventFilter(watched, event);

    m_pointer.followMouseMove(watched, event,
                              {m_pushButton1, m_pushButton2, m_pushButton6, m_pushButton8},
                              {this, m_frame1});
    return QWidget::eventFilter(watched, event);
}

} // namespace statusmill
