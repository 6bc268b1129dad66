#include "Automation.h"

#include "office/LibreOfficeEngine.h"

#include <utility>

namespace statusmill::automation {
namespace {
Engine* g_replacement = nullptr;
} // namespace

Engine& officeEngine()
{
    return office::libreOfficeEngine();
}

Engine& engine()
{
    return g_replacement ? *g_replacement : officeEngine();
}

Engine* setEngine(Engine* replacement)
{
    return std::exchange(g_replacement, replacement);
}

} // namespace statusmill::automation
