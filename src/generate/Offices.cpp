#include "Offices.h"

#include "core/Failure.h"
#include "core/WorkFolder.h"
#include "office/Limits.h"
#include "office/OfficeApplication.h"
#include "office/OfficeLocation.h"
#include "office/OfficeProcess.h"
#include "office/Spares.h"
#include "office/WarmUp.h"

namespace statusmill::automation {

void startSpareOffices(bool oneSessionOnly)
{
    office::Spares::instance().start(oneSessionOnly);
}

void endSpareOffices(bool orderly)
{
    office::Spares::instance().end(orderly);
}

void warmUpSpareOffice()
{
    office::warmUpSpareOffice();
}

void prepareTemplatesAhead(const QString& templateFile, bool dataForm)
{
    office::Spares::instance().prepareTemplates(templateFile, dataForm);
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

OwnOffices prepareOwnOffices()
{
    OwnOffices offices;
    offices.folder = WorkFolder::path();
    offices.program = office::findOfficeProgram();
    if (offices.program.isEmpty())
        throw Failure(QStringLiteral("The document engine was not found: no %1.")
                          .arg(office::searchDescription()));
    offices.readyProfile = office::Spares::instance().readyProfileForOthers();
    return offices;
}

std::unique_ptr<Application> createOwnApplication(const OwnOffices& offices)
{
    return std::make_unique<office::OfficeApplication>(
        office::OfficeSession::startOwn(offices.folder, offices.program, offices.readyProfile));
}

} // namespace statusmill::automation
