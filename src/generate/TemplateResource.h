#pragma once

#include <QByteArray>

namespace statusmill::TemplateResource {

// The report template the program carries inside itself, read whole.
QByteArray bytes();

} // namespace statusmill::TemplateResource
