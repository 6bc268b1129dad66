#include "Application.h"

#include "Form1.h"
#include "common/Appearance.h"
#include "common/FixedWindow.h"
#include "common/Product.h"

#include <QApplication>

namespace statusmill {

int runApplication(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    QApplication::setWindowIcon(programIcon());

    Form1 form;
    form.setWindowTitle(QString::fromLatin1(kProductName));
    form.setWindowIcon(programIcon());
    for (int i = 0; i < Form1::kFieldCount; ++i)
        form.restoreField(i);
    centreOnScreen(&form);
    form.show();
    return QApplication::exec();
}

} // namespace statusmill
