#include "Application.h"

#include "Form1.h"
#include "TerminationSignals.h"
#include "common/FixedWindow.h"
#include "common/Product.h"
#include "common/WorkFolder.h"

#include <QApplication>

namespace statusmill {

int runApplication(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    TerminationSignals stopRequests;

    int result = 0;
    {
        Form1 form;
        form.Form_Load();
        centreOnScreen(&form);
        form.show();
        result = QApplication::exec();
    }
    WorkFolder::remove();
    return result;
}

} // namespace statusmill
