#include "ReportMaker.h"

namespace statusmill::automation {

ReportMaker::ReportMaker(Sessions sessions, QString templatePath)
    : m_sessions(std::move(sessions)), m_template(std::move(templatePath))
{}

ReportMaker::~ReportMaker()
{
    finish();
}

void ReportMaker::make(const QList<Replacement>& replacements, const QString& file,
                       SaveFormats::Format format)
{
    StrictSteps steps;
    try {
        open(steps);
        fillPlaceholders(steps, m_document, replacements);
        SaveFormats::saveInFormat(*m_document, file, format);
        if (!m_document->UndoAll()) {
            m_document->Close(0);
            m_document.reset();
        }
    } catch (...) {
        finish();
        throw;
    }
    if (++m_madeOnThisOffice >= kReportsPerOffice)
        finish();
}

void ReportMaker::open(StrictSteps& steps)
{
    if (!m_application) {
        m_application = m_sessions();
        m_madeOnThisOffice = 0;
    }
    if (!m_document) {
        m_document = openTemplate(steps, m_application, m_template);
        // Opening stamps the report's date; that stays.
        m_document->UndoClear();
    }
}

QList<PlaceholderSeen> ReportMaker::survey()
{
    StrictSteps steps;
    try {
        open(steps);
        return surveyPlaceholders(*m_document);
    } catch (...) {
        finish();
        throw;
    }
}

void ReportMaker::finish() noexcept
{
    try {
        if (m_document)
            m_document->Close(0);
    } catch (...) {
        // The session's end takes the document with it.
    }
    m_document.reset();
    try {
        if (m_application)
            m_application->quit();
    } catch (...) {
    }
    m_application.reset();
}

} // namespace statusmill::automation
