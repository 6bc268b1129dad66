#include "TemplateResource.h"

#include "core/Failure.h"

#include <QFile>

namespace statusmill::TemplateResource {
namespace {

QByteArray resource(const QString& path, const QString& what)
{
    QFile resource(path);
    if (!resource.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Resource not found: %1").arg(what));
    return resource.readAll();
}

} // namespace

QByteArray bytes()
{
    return resource(QStringLiteral(":/template/template.dot"), QStringLiteral("the report template"));
}

QByteArray dataBytes()
{
    return resource(QStringLiteral(":/template/template-data.dot"),
                    QStringLiteral("the report template for data"));
}

QByteArray portfolioBytes()
{
    return resource(QStringLiteral(":/template/portfolio.dot"), QStringLiteral("the portfolio template"));
}

QByteArray exampleBytes(const QString& name)
{
    return resource(QStringLiteral(":/example/") + name, QStringLiteral("the example's %1").arg(name));
}

} // namespace statusmill::TemplateResource
