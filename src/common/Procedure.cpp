#include "Procedure.h"

namespace statusmill {

QString Procedure::describe(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Failure& f) {
        return f.description();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace statusmill
