#include "TemplateResource.h"

#include "core/Failure.h"

#include <QFile>

namespace statusmill::TemplateResource {

QByteArray bytes()
{
    QFile resource(QStringLiteral(":/template/template.dot"));
    if (!resource.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Resource not found: the report template"));
    return resource.readAll();
}

} // namespace statusmill::TemplateResource
