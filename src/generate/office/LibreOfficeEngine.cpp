#include "LibreOfficeEngine.h"

#include "OfficeApplication.h"
#include "OfficeSession.h"

namespace statusmill::office {

namespace {

class LibreOfficeEngine : public automation::Engine
{
public:
    std::unique_ptr<automation::Application> createApplication() override
    {
        return std::make_unique<OfficeApplication>(OfficeSession::start());
    }
};

} // namespace

automation::Engine& libreOfficeEngine()
{
    static LibreOfficeEngine engine;
    return engine;
}

} // namespace statusmill::office
