#pragma once

// Reports made one after another from one template, on one office: the template
// is opened once and, after each report, brought back to how it was opened, so a
// report costs its fill and its save, not an open. Each fill is one step to take
// back, so the office's limit on steps is never reached; should it be, or should
// the template's shapes carry placeholders, which the office cannot take back, the
// template is opened anew for the next report. After a failure the next report starts on a fresh session, so an office
// that died costs the report it was making and no more. One thread at a time.

#include "Fill.h"
#include "SaveFormats.h"
#include "office/TemplateSurvey.h"
#include "data/ReportData.h"

#include <functional>
#include <memory>

namespace statusmill::automation {

class ReportMaker
{
public:
    // Where sessions come from: the spares, or offices of one's own.
    using Sessions = std::function<std::unique_ptr<Application>()>;

    // With `paper`, every report is made on that paper.
    ReportMaker(Sessions sessions, QString templatePath,
                std::optional<QSizeF> paper = std::nullopt);
    ~ReportMaker();
    ReportMaker(const ReportMaker&) = delete;
    ReportMaker& operator=(const ReportMaker&) = delete;

    // Writes the report of the template with `replacements` to `file` (a file of
    // ours) in `format`. Throws Failure.
    void make(const QList<Replacement>& replacements, const QString& file,
              SaveFormats::Format format);

    // The same from a report's data: each field fills its placeholder ("ProjectName"
    // fills [ProjectName]), and each list the rows that name it. Returns the
    // placeholders the data gave no text for, which the report keeps ("[Name]"),
    // and the values its charts drew as gaps.
    FillOutcome make(const data::ReportData& data, const QString& file, SaveFormats::Format format);

    // From now on each report's links to files are relative to its own file in a
    // PDF too, as in the other formats: for reports made where they stay.
    void linkRelativeToEachReport() { m_linksRelative = true; }

    // The placeholders the template holds (see TemplateSurvey.h), from the template
    // as this maker has it open. Throws Failure.
    QList<PlaceholderSeen> survey();
    // The charts the template holds (see TemplateSurvey.h), the same way.
    QList<ChartSeen> surveyCharts();

    // Opens the template now, so that the first report need not. Throws Failure.
    void openAhead();

    // Closes the template and gives up the session still in use, for another
    // maker on this thread to adopt; nothing when there is none. Never throws.
    std::unique_ptr<Application> handOverSession() noexcept;
    // Makes the next report on `session` rather than on one of its sessions, when
    // this maker has none yet.
    void adoptSession(std::unique_ptr<Application> session);

    // Closes the template and ends the session. Never throws.
    void finish() noexcept;

    // After this many reports an office is replaced by a fresh one: it grows with use.
    static constexpr int kReportsPerOffice = 100;
    // A report of this many list items or more is a long one (see make()).
    static constexpr int kLongList = 500;

private:
    void makeWith(const QString& file, SaveFormats::Format format,
                  const std::function<void(StrictSteps&)>& fill);
    void open(StrictSteps& steps);
    bool closeTemplate() noexcept; // whether it closed without fault

    Sessions m_sessions;
    QString m_template;
    std::optional<QSizeF> m_paper;
    std::unique_ptr<Application> m_application;
    std::shared_ptr<Document> m_document;
    int m_madeOnThisOffice = 0;
    bool m_linksRelative = false;
    // The open template holds the last report's values.
    bool m_filled = false;
};

} // namespace statusmill::automation
