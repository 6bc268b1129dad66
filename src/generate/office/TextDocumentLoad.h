#pragma once

// How a text document is opened in an office of ours: hidden, never running
// macros or asking anything, and a template as a new document made from it now.
// Internal to the engine.

#include "UnoSupport.h"

#include <QByteArray>
#include <QString>

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>

#include <optional>

namespace statusmill::office {

// Loads `absolutePath`; throws Failure (not a text document, not opened, or a
// document's name on what the office could take as plain text only) or a UNO
// exception.
uno::Reference<uno::css::lang::XComponent>
loadTextDocument(const uno::Reference<uno::css::frame::XDesktop2>& desktop,
                 const QString& absolutePath, bool readOnly);

// Whether the name is a template's (.dot, .dotx, .ott).
bool isTemplateFile(const QString& path);

// What a file holds, to tell whether two files are the same template: a digest of
// its bytes; nothing when it is no regular file that can be read.
std::optional<QByteArray> contentDigest(const QString& path);

} // namespace statusmill::office
