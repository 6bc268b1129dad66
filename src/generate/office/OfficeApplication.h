#pragma once

// The application and its documents of the object model (Automation.h) on a
// LibreOffice session. Internal to the engine.

#include "OfficeDocument.h"
#include "OfficeSession.h"
#include "generate/Automation.h"

#include <memory>
#include <vector>

namespace statusmill::office {

class OfficeDocuments : public automation::Documents
{
public:
    explicit OfficeDocuments(std::shared_ptr<OfficeSession> session) : m_session(std::move(session))
    {}
    std::shared_ptr<automation::Document> Open(const QString& path, bool readOnly) override;
    std::shared_ptr<automation::Document> active() const;

private:
    std::shared_ptr<OfficeSession> m_session;
    std::vector<std::weak_ptr<OfficeDocument>> m_opened;
};

class OfficeApplication : public automation::Application
{
public:
    explicit OfficeApplication(std::shared_ptr<OfficeSession> session);
    ~OfficeApplication() override;

    automation::Documents& Documents() override { return m_documents; }
    // The office never prompts in a session of ours, so there is nothing to silence.
    void setDisplayAlerts(bool) override {}
    std::shared_ptr<automation::Document> ActiveDocument() override;
    void quit() override;

    OfficeSession& session() { return *m_session; }

private:
    std::shared_ptr<OfficeSession> m_session;
    OfficeDocuments m_documents;
};

} // namespace statusmill::office
