#include "Form1.h"

#include "Form1Layout.h"
#include "data/Placeholders.h"
#include "data/WindowFields.h"
#include "core/Failure.h"
#include "core/Procedure.h"
#include "core/Product.h"
#include "core/Settings.h"
#include "generate/Offices.h"
#include "preview/Form2.h"
#include "ui/Dialogs.h"
#include "ui/FixedWindow.h"
#include "ui/Fonts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

namespace statusmill {

namespace {

QPushButton* makeButton(QWidget* parent, const ControlLayout& layout, const char* caption)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(layout.name));
    button->setGeometry(layout.pixels());
    button->setFont(buttonFont());
    button->setMouseTracking(true);
    return button;
}

// The design boxes of the labels are cut to the pixel for the maker's own font;
// with a metric twin a caption can need a pixel or two more, which it takes
// from the free space before its field rather than losing its last letter.
QRect widenedToFit(QRect box, const QLabel* label)
{
    const int needed = label->fontMetrics().horizontalAdvance(label->text());
    box.setWidth(std::max(box.width(), needed));
    return box;
}

constexpr int kWarmUpDelayMs = 100;

bool selectsAllOnFocus(Qt::FocusReason reason)
{
    // Focus that comes back when a context menu closes or the window is activated
    // again is no new visit: selecting everything then would make a right-click
    // Paste replace the whole field.
    switch (reason) {
    case Qt::PopupFocusReason:
    case Qt::ActiveWindowFocusReason:
    case Qt::MenuBarFocusReason:
        return false;
    default:
        return true;
    }
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    makeFixedWindow(this,
                    {twipsToPixels(form1::kClientWidth), twipsToPixels(form1::kClientHeight)});
    setFont(windowFont());
    setBackground(this, designBackground());
    setMouseTracking(true);

    m_pushButton6 = makeButton(this, form1::kPushButton6, "Start Creating Template");
    m_pushButton3 = makeButton(this, form1::kPushButton3, "Clear/Reset Data");
    m_pushButton4 = makeButton(this, form1::kPushButton4, "Load Sample/Example Data");

    m_frame1 = new QGroupBox(QStringLiteral("Project Status Data"), this);
    m_frame1->setObjectName(QString::fromLatin1(form1::kFrame1.name));
    m_frame1->setGeometry(form1::kFrame1.pixels());
    // Each control gets the design font itself: a skin's style sheet stops fonts
    // from passing from the window down to its controls.
    m_frame1->setFont(windowFont());
    m_frame1->setMouseTracking(true);
    setBackground(m_frame1, designBackground());

    for (int i = 0; i < kFieldCount; ++i) {
        auto* label = new QLabel(
            QString::fromUtf8(data::kWindowFields[size_t(i)].label) + QLatin1Char(':'), m_frame1);
        label->setObjectName(QString::fromLatin1(form1::kLabel2[i].name));
        label->setFont(windowFont());
        label->setGeometry(widenedToFit(form1::kLabel2[i].pixels(), label));
        setBackground(label, designBackground());
        m_label2[i] = label;

        auto* field = new QLineEdit(m_frame1);
        field->setObjectName(QString::fromLatin1(form1::kText1[i].name));
        field->setGeometry(form1::kText1[i].pixels());
        field->setFont(windowFont());
        // Values are taken as they are, however long: Qt would cut them at 32,767.
        field->setMaxLength(std::numeric_limits<int>::max());
        // Screen readers announce the field by its label.
        label->setBuddy(field);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textChanged, this, [this, i] { Text1_Change(i); });
        m_text1[i] = field;
    }

    // Keyboard order: the fields top to bottom, then the three buttons.
    QWidget* previous = m_text1[0];
    for (QWidget* next :
         {static_cast<QWidget*>(m_text1[1]), static_cast<QWidget*>(m_text1[2]),
          static_cast<QWidget*>(m_text1[3]), static_cast<QWidget*>(m_pushButton6),
          static_cast<QWidget*>(m_pushButton3), static_cast<QWidget*>(m_pushButton4)}) {
        setTabOrder(previous, next);
        previous = next;
    }

    for (QObject* watched :
         {static_cast<QObject*>(this), static_cast<QObject*>(m_frame1),
          static_cast<QObject*>(m_pushButton6), static_cast<QObject*>(m_pushButton3),
          static_cast<QObject*>(m_pushButton4)})
        watched->installEventFilter(this);

    connect(m_pushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(m_pushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(m_pushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
}

Form1::~Form1() = default;

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    // exit(), not quit(): quit() would first ask every other window to close.
    QCoreApplication::exit(0);
}

QString Form1::Tag(int index)
{
    return data::bracketed(QString::fromLatin1(data::kWindowFields[size_t(index)].name));
}

QString Form1::settingKey(int index)
{
    return QStringLiteral("Text1_") + QString::number(index);
}

void Form1::setFieldText(int index, const QString& text)
{
    if (m_text1[index]->text() != text)
        m_text1[index]->setText(text);
}

void Form1::restoreField(int index)
{
    setFieldText(index,
                 Settings::GetSetting(QString::fromLatin1(kSettingsApplication),
                                      QString::fromLatin1(kSettingsSection), settingKey(index)));
}

void Form1::Text1_Change(int index)
{
    // A value shown from the data file is the file's, not the user's.
    if (m_showingFileValue)
        return;
    m_fromFile[index] = false;
    try {
        Settings::SaveSetting(QString::fromLatin1(kSettingsApplication),
                              QString::fromLatin1(kSettingsSection), settingKey(index),
                              m_text1[index]->text());
    } catch (const Failure& failure) {
        // Every keystroke writes; say it once rather than on every key.
        if (!m_storeFailureShown) {
            m_storeFailureShown = true;
            Dialogs::message(Dialogs::applicationTitle(),
                             failure.description() +
                                 QStringLiteral("\r\nThe values you type now will not be "
                                                "remembered for the next start."),
                             Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
        }
    }
}

void Form1::Text1_GotFocus(int index)
{
    m_text1[index]->setSelection(0, int(m_text1[index]->text().size()));
}

void Form1::PushButton3_Click()
{
    Procedure proc(QStringLiteral("Form1.PushButton3_Click"));
    for (int i = 0; i < kFieldCount; ++i)
        proc.run(102, [&] { setFieldText(i, QString()); });
}

void Form1::PushButton4_Click()
{
    Procedure proc(QStringLiteral("Form1.PushButton4_Click"));
    for (int i = 0; i < kFieldCount; ++i)
        proc.run(100 + 2 * i, [&] { setFieldText(i, QString::fromUtf8(form1::kSampleTexts[i])); });
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Ready for typing: the first field has the focus and its whole text is
    // selected, so typing replaces it (and Space does not start a run).
    if (!m_shownBefore && !event->spontaneous()) {
        m_shownBefore = true;
        m_text1[0]->setFocus(Qt::OtherFocusReason);
        Text1_GotFocus(0);
        // Once the window is up and drawn, while the user reads it, the office
        // runs through a press once, so the first press is as quick as later ones.
        // A workbook of data is read first: a session taken during the warm-up
        // would end it.
        QTimer::singleShot(kWarmUpDelayMs, this, [this] {
            if (mBusy)
                return;
            if (std::exchange(m_workbookToRead, false))
                showTheDataFilesFour();
            automation::warmUpSpareOffice();
        });
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn &&
        selectsAllOnFocus(static_cast<QFocusEvent*>(event)->reason())) {
        for (int i = 0; i < kFieldCount; ++i) {
            if (watched == m_text1[i])
                Text1_GotFocus(i);
        }
    }
    m_pointer.followMouseMove(watched, event, {m_pushButton6, m_pushButton3, m_pushButton4},
                              {this, m_frame1});
    return QWidget::eventFilter(watched, event);
}

} // namespace statusmill
