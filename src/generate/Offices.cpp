#include "Offices.h"

#include "office/Limits.h"
#include "office/OfficeLocation.h"
#include "office/OfficeProcess.h"
#include "office/Spares.h"
#include "office/WarmUp.h"

namespace statusmill::automation {

void startSpareOffices()
{
    office::Spares::instance().start();
}

void endSpareOffices()
{
    office::Spares::instance().end();
}

void warmUpSpareOffice()
{
    office::warmUpSpareOffice();
}

void holdBackSpareOffices(std::chrono::milliseconds quiet)
{
    office::Spares::instance().holdBack(quiet);
}

bool setOfficeRecycling(bool on)
{
    return office::Spares::instance().setRecycling(on);
}

void endEveryOfficeAtOnce()
{
    office::endEveryOfficeNow();
}

std::chrono::milliseconds callTimeLimit()
{
    return office::callTimeLimit();
}

std::chrono::milliseconds startTimeLimit()
{
    return office::startTimeLimit();
}

std::chrono::milliseconds setCallTimeLimit(std::chrono::milliseconds limit)
{
    return office::setCallTimeLimit(limit);
}

std::chrono::milliseconds setStartTimeLimit(std::chrono::milliseconds limit)
{
    return office::setStartTimeLimit(limit);
}

QString officeSearchDescription()
{
    return office::searchDescription();
}

} // namespace statusmill::automation
