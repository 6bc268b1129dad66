#pragma once

#include <QWidget>

namespace statusmill {

// A plain drawing surface that holds a picture. The appearance rules treat it as
// a picture box when recolouring a window.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
};

} // namespace statusmill
