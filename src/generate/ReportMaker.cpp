#include "ReportMaker.h"

#include <utility>

namespace statusmill::automation {
namespace {

qsizetype itemsOf(const data::ReportData& data)
{
    qsizetype items = 0;
    for (const data::List& list : data.lists())
        items += list.items.size();
    return items;
}

} // namespace

ReportMaker::ReportMaker(Sessions sessions, QString templatePath, std::optional<QSizeF> paper)
    : m_sessions(std::move(sessions)), m_template(std::move(templatePath)), m_paper(paper)
{}

ReportMaker::~ReportMaker()
{
    finish();
}

void ReportMaker::make(const QList<Replacement>& replacements, const QString& file,
                       SaveFormats::Format format)
{
    data::ReportData data;
    for (const Replacement& replacement : replacements)
        data.setField(replacement.placeholder.mid(1, replacement.placeholder.size() - 2),
                      replacement.text);
    make(data, file, format);
}

FillOutcome ReportMaker::make(const data::ReportData& data, const QString& file,
                              SaveFormats::Format format)
{
    // One step to take back, however much it fills: the office fills the stories
    // in one call, as one step.
    FillOutcome outcome;
    makeWith(file, format, [&](StrictSteps& steps) {
        // The office lays out what changed whenever it has nothing else to do, and
        // a table grown by a long list takes it minutes, holding up what is asked
        // of it next: a long report's pages are laid out only when a format shows
        // them, until the template is itself again.
        if (itemsOf(data) >= kLongList)
            m_document->SetScreenUpdating(false);
        outcome = fillReport(steps, m_document, data);
    });
    return outcome;
}

void ReportMaker::makeWith(const QString& file, SaveFormats::Format format,
                           const std::function<void(StrictSteps&)>& fill)
{
    StrictSteps steps;
    try {
        open(steps);
        m_filled = true;
        fill(steps);
        m_document->SetLinksRelative(m_linksRelative);
        SaveFormats::saveInFormat(*m_document, file, format);
    } catch (...) {
        finish();
        throw;
    }
    if (++m_madeOnThisOffice >= kReportsPerOffice)
        finish();
}

void ReportMaker::open(StrictSteps& steps)
{
    // The last report's changes are taken back now, not as it was made, so that a
    // single report never waits for that; a template they cannot be taken back
    // from is opened anew.
    if (m_document && std::exchange(m_filled, false)) {
        m_document->SetScreenUpdating(false);
        if (!m_document->UndoAll()) {
            m_document->Close(0);
            m_document.reset();
        } else {
            m_document->SetScreenUpdating(true);
        }
    }
    if (!m_application) {
        m_application = m_sessions();
        m_madeOnThisOffice = 0;
    }
    if (!m_document) {
        m_filled = false;
        m_document = openTemplate(steps, m_application, m_template, m_paper);
        // Opening stamps the report's date, and the paper is set; those stay.
        m_document->UndoClear();
    }
}

QList<PlaceholderSeen> ReportMaker::survey()
{
    openAhead();
    try {
        return surveyPlaceholders(*m_document);
    } catch (...) {
        finish();
        throw;
    }
}

QList<ChartSeen> ReportMaker::surveyCharts()
{
    openAhead();
    try {
        return automation::surveyCharts(*m_document);
    } catch (...) {
        finish();
        throw;
    }
}

void ReportMaker::openAhead()
{
    StrictSteps steps;
    try {
        open(steps);
    } catch (...) {
        finish();
        throw;
    }
}

std::unique_ptr<Application> ReportMaker::handOverSession() noexcept
{
    if (!closeTemplate()) {
        finish(); // what cannot close a document should serve no other
        return nullptr;
    }
    return std::move(m_application);
}

void ReportMaker::adoptSession(std::unique_ptr<Application> session)
{
    if (m_application || !session)
        return;
    m_application = std::move(session);
    m_madeOnThisOffice = 0;
}

bool ReportMaker::closeTemplate() noexcept
{
    bool closed = true;
    try {
        if (m_document)
            m_document->Close(0);
    } catch (...) {
        closed = false;
    }
    m_document.reset();
    m_filled = false;
    return closed;
}

void ReportMaker::finish() noexcept
{
    // The session's end takes a document that would not close with it.
    closeTemplate();
    try {
        if (m_application)
            m_application->quit();
    } catch (...) {
    }
    m_application.reset();
}

} // namespace statusmill::automation
