#include "OfficeApplication.h"

#include "CreationDate.h"
#include "TextDocumentLoad.h"

#include <QFileInfo>

namespace statusmill::office {

using namespace uno;

// ---------------------------------------------------------------- Documents

std::shared_ptr<automation::Document> OfficeDocuments::Open(const QString& path, bool readOnly)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::optional<DocumentLookups> lookups;
    std::optional<QSizeF> paper;
    auto component = m_session->call([&] {
        // The template opened ahead in this office, when this file holds the very
        // bytes it was opened from; made now, as a fresh open would make it.
        if (auto prepared = m_session->office()->takePrepared(absolute, readOnly)) {
            if (isTemplateFile(absolute))
                stampCreation(prepared->component);
            lookups = std::move(prepared->lookups);
            paper = prepared->paper;
            return prepared->component;
        }
        return loadTextDocument(m_session->desktop(), absolute, readOnly);
    });
    auto document =
        std::make_shared<OfficeDocument>(m_session, component, std::move(lookups), paper);
    m_opened.push_back(document);
    return document;
}

std::shared_ptr<automation::Document> OfficeDocuments::active() const
{
    for (auto it = m_opened.crbegin(); it != m_opened.crend(); ++it) {
        if (auto document = it->lock(); document && !document->closed())
            return document;
    }
    return nullptr;
}

// ---------------------------------------------------------------- Application

OfficeApplication::OfficeApplication(std::shared_ptr<OfficeSession> session)
    : m_session(std::move(session)), m_documents(m_session)
{}

OfficeApplication::~OfficeApplication()
{
    m_session->shutDown();
}

std::shared_ptr<automation::Document> OfficeApplication::ActiveDocument()
{
    if (m_session->ended())
        throw Failure(QStringLiteral("The document engine is no longer running."));
    auto document = m_documents.active();
    if (!document)
        throw Failure(QStringLiteral("No document is open."));
    return document;
}

void OfficeApplication::quit()
{
    m_session->shutDown();
}

} // namespace statusmill::office
