// The report template the program carries, in both its forms, opened by the office
// engine as a generation run opens it: where its fields are, the names data fills
// and the prompts a person fills, that the report stays short enough for the
// preview to show it whole, that its tables stay within the text on any paper, and
// that each built template keeps its chart's data.

#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/ClipboardPicture.h"
#include "data/Placeholders.h"
#include "data/WindowFields.h"
#include "shell/Form1Layout.h"
#include "generate/TemplateResource.h"
#include "support/OfficeProbes.h"
#include "support/OfficeProcesses.h"
#include "support/PageInk.h"
#include "support/SavedDocument.h"
#include "support/TestFiles.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace statusmill;
using namespace statusmill::automation;
using namespace statusmill::testing;

namespace {

constexpr double kLetterWidthInches = 8.5;
constexpr double kLetterHeightInches = 11.0;
constexpr int kMostPages = 2;

// Closes the document on every way out of a test function, a failed check included.
class OpenedDocument
{
public:
    OpenedDocument(Application& application, const QString& path)
        : m_document(application.Documents().Open(path, /*readOnly=*/true))
    {}
    ~OpenedDocument()
    {
        try {
            m_document->Close(0);
        } catch (const std::exception& failure) {
            qWarning("closing the template failed: %s", failure.what());
        }
    }
    OpenedDocument(const OpenedDocument&) = delete;
    OpenedDocument& operator=(const OpenedDocument&) = delete;

    Document* operator->() const { return m_document.get(); }
    Document& operator*() const { return *m_document; }

private:
    std::shared_ptr<Document> m_document;
};

// The names of the template for data: users' data files and templates carry them,
// so each is kept as it is here.
const QStringList kPublicNames{
    "ProjectName", "Department", "FocusArea", "Product", "ReportPeriod", "PreparedBy",
    "NextReportDue", "ScheduleSummary", "BudgetSummary",
    "OverallStatus", "OverallTrend", "OverallComment", "ScheduleStatus", "ScheduleTrend",
    "ScheduleComment", "BudgetStatus", "BudgetTrend", "BudgetComment", "ScopeStatus", "ScopeTrend",
    "ScopeComment", "QualityStatus", "QualityTrend", "QualityComment", "RisksStatus", "RisksTrend",
    "RisksComment",
    "Achievements.Text", "Decisions.Text",
    "Milestones.#", "Milestones.Milestone", "Milestones.Owner", "Milestones.Planned",
    "Milestones.Forecast", "Milestones.Status",
    "Budget.Item", "Budget.Approved", "Budget.Actual", "Budget.Forecast", "Budget.Variance",
    "Risks.ID", "Risks.Description", "Risks.Rating", "Risks.Response", "Risks.Owner", "Risks.Due",
    "NextSteps.#", "NextSteps.Action", "NextSteps.Owner", "NextSteps.Due",
    "Achievements.None", "Decisions.None", "Milestones.None", "Budget.None", "Risks.None", "NextSteps.None",
    "ReportDate", "Organisation", "Classification",
    "Milestones.Change", "Risks.Change", "ClosedRisks.ID", "ClosedRisks.Description"};

// The names both forms hold: the window's four, and those the window or the
// command line fill in either (the date, the header's two).
const QStringList kInBothForms{"ProjectName", "Department", "FocusArea", "Product",
                               "ReportDate", "Organisation", "Classification"};

// Every bracketed text, each time it stands, without its brackets.
QStringList bracketedIn(const QString& text)
{
    static const QRegularExpression bracketed(QStringLiteral(R"(\[([^\[\]\n]{1,200})\])"));
    QStringList found;
    for (auto match = bracketed.globalMatch(text); match.hasNext();)
        found << match.next().captured(1);
    return found;
}

QStringList tags()
{
    QStringList list;
    for (const data::WindowField& field : data::kWindowFields)
        list << data::bracketed(QString::fromLatin1(field.name));
    return list;
}

} // namespace

class TestTemplate : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString m_template;
    std::unique_ptr<Application> m_application;

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_template = m_folder.filePath(QStringLiteral("template.dot"));
        QVERIFY(testing::writeFile(m_template, TemplateResource::bytes()));
        m_application = engine().createApplication();
    }

    void cleanupTestCase()
    {
        if (m_application)
            m_application->quit();
        m_application.reset();
        QCOMPARE(testing::ourOfficeProcesses(), QList<pid_t>());
        WorkFolder::remove();
    }

    // The form for data holds each public name once and nothing else in brackets;
    // the form a person fills holds none of them but those filled in both forms.
    void eachFormHoldsItsNames_data()
    {
        QTest::addColumn<bool>("named");
        QTest::newRow("the form for data") << true;
        QTest::newRow("the form a person fills") << false;
    }

    void eachFormHoldsItsNames()
    {
        QFETCH(bool, named);
        const QString path = m_folder.filePath(named ? QStringLiteral("named.dot") : QStringLiteral("prompts.dot"));
        QVERIFY(testing::writeFile(path, named ? TemplateResource::dataBytes() : TemplateResource::bytes()));
        OpenedDocument document(*m_application, path);
        QStringList found = bracketedIn(readDocumentText(*document).all());
        if (named) {
            QStringList expected = kPublicNames;
            expected.sort();
            found.sort();
            QCOMPARE(found, expected);
        } else {
            QStringList publicOnes;
            for (const QString& name : std::as_const(found))
                if (kPublicNames.contains(name))
                    publicOnes << name;
            publicOnes.sort();
            QStringList both = kInBothForms;
            both.sort();
            QCOMPARE(publicOnes, both);
            // Its prompts are what a person reads: the list rows are there to fill.
            QCOMPARE(found.count(QStringLiteral("Amount")), 16);
        }
    }

    // Each built template holds one chart whose data names the list it is drawn
    // from, as the office reads it back from the built file; the form a person
    // fills shows its sample labels instead.
    void eachTemplateHoldsItsChart_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("columns");
        const QStringList budgetRows{"[Budget.Item]", "Equipment", "Contingency"};
        const QStringList budgetColumns{"[Budget.Approved]", "[Budget.Actual]", "[Budget.Forecast]"};
        const QStringList overallRows{"[OverallCounts.Status]", "Amber", "Red"};
        const QStringList overallColumns{"[OverallCounts.Projects]"};
        QTest::newRow("the form for data") << TemplateResource::dataBytes() << "named.dot" << budgetRows
                                           << budgetColumns;
        QTest::newRow("the form a person fills")
            << TemplateResource::bytes() << "prompts.dot" << QStringList{"Staff", "Equipment", "Contingency"}
            << QStringList{"Approved", "Actual", "Forecast"};
        QTest::newRow("the portfolio") << TemplateResource::portfolioBytes() << "portfolio.dot" << overallRows
                                       << overallColumns;
        QTest::newRow("the example's .dotx")
            << TemplateResource::exampleBytes("report-template.dotx") << "example.dotx" << budgetRows
            << budgetColumns;
        QTest::newRow("the example's .ott")
            << TemplateResource::exampleBytes("report-template.ott") << "example.ott" << budgetRows << budgetColumns;
        QTest::newRow("the example's portfolio")
            << TemplateResource::exampleBytes("portfolio-template.ott") << "portfolio.ott" << overallRows
            << overallColumns;
    }

    void eachTemplateHoldsItsChart()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, columns);
        const QString path = m_folder.filePath(name);
        QVERIFY(testing::writeFile(path, bytes));
        OpenedDocument document(*m_application, path);
        const QList<ChartInFile> charts = chartsInOffice(*document);
        QCOMPARE(charts.size(), 1);
        QCOMPARE(charts[0].categories, rows);
        QCOMPARE(charts[0].series, columns);
    }

    void fieldsFollowTheirLabelsOnceAndInOrder()
    {
        OpenedDocument document(*m_application, m_template);
        const DocumentText text = readDocumentText(*document);
        const QString all = text.all();
        const QString body = text.stories.value(0);

        // The program replaces every match in any letter case, so anything else
        // that starts like a field would be filled too.
        static const QRegularExpression fieldLike(
            QStringLiteral(R"(\[(project|department|focus|product)[^\]]*\])"),
            QRegularExpression::CaseInsensitiveOption);
        QStringList fieldLikeTexts;
        for (auto match = fieldLike.globalMatch(all); match.hasNext();)
            fieldLikeTexts << match.next().captured();
        QCOMPARE(fieldLikeTexts, tags());

        qsizetype previous = body.indexOf(QStringLiteral("Project Status Report"));
        QVERIFY2(previous >= 0, qPrintable(body.left(400)));
        for (const data::WindowField& field : data::kWindowFields) {
            const QString tag = data::bracketed(QString::fromLatin1(field.name));
            const QString label = QString::fromLatin1(field.label) + QLatin1Char(':');
            QVERIFY2(all.count(tag, Qt::CaseInsensitive) == 1, qPrintable(tag));
            // The label's cell comes right before the field's cell.
            const qsizetype at = body.indexOf(label + QLatin1Char('\n') + tag);
            QVERIFY2(at > previous, qPrintable(QStringLiteral("%1 %2 not after position %3 in\n%4")
                                                   .arg(label, tag)
                                                   .arg(previous)
                                                   .arg(body.left(600))));
            previous = at;
        }
    }

    // The report's date stands where its label says, in both forms, for the window
    // and the command line to fill in the reader's language; Word sees it there too.
    void theReportDateStandsByItsLabel()
    {
        for (const QByteArray& bytes : {TemplateResource::bytes(), TemplateResource::dataBytes()}) {
            const QString path = m_folder.filePath(QStringLiteral("dated.dot"));
            QVERIFY(testing::writeFile(path, bytes));
            OpenedDocument document(*m_application, path);
            QVERIFY(readDocumentText(*document).stories.value(0).contains(
                QStringLiteral("Report Date:\n[ReportDate]")));
            QVERIFY(textAsWordSeesIt(path).contains(QStringLiteral("[ReportDate]")));
        }
    }

    void reportFitsTwoLetterPages_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::newRow("fields unfilled") << QStringList();
        QStringList sample;
        for (const char* value : form1::kSampleTexts)
            sample << QString::fromUtf8(value);
        QTest::newRow("sample values") << sample;
        // Long enough to wrap in the title block, as real names sometimes are.
        QTest::newRow("long values") << QStringList{
            QStringLiteral("Customer Onboarding and Billing Platform Modernisation "
                           "Programme Phase Two"),
            QStringLiteral("Information Technology and Digital Services Directorate"),
            QStringLiteral("Software Development and Cloud Operations"),
            QStringLiteral("Statusmill Reporting Suite")};
    }

    void reportFitsTwoLetterPages()
    {
        QFETCH(QStringList, values);
        OpenedDocument document(*m_application, m_template);
        for (int field = 0; field < values.size(); ++field) {
            auto stories = document->StoryRanges();
            auto mainText = stories.next();
            QVERIFY(mainText);
            (*mainText)->Find().Execute(tags()[field], values[field], Find::kReplaceAll);
        }
        const QString body = readDocumentText(*document).stories.value(0);
        for (const QString& value : values)
            QVERIFY2(body.contains(value), qPrintable(value));

        // Nothing left from an earlier picture can stand in for this one.
        GetClipboardPicture(0);
        document->Range()->CopyAsPicture();
        const std::optional<QImage> picture = GetClipboardPicture(0);
        QVERIFY(picture && !picture->isNull());

        // The picture stacks the pages at whatever resolution the renderer uses.
        const double pixelsPerInch = picture->width() / kLetterWidthInches;
        const double pages = picture->height() / (pixelsPerInch * kLetterHeightInches);
        const QString size = QStringLiteral("%1 x %2 pixels, %3 pages")
                                 .arg(picture->width())
                                 .arg(picture->height())
                                 .arg(pages, 0, 'f', 3);
        // A whole number of pages, or the pages are not Letter.
        QVERIFY2(qAbs(pages - qRound(pages)) < 0.02, qPrintable(size));
        QVERIFY2(qRound(pages) >= 1 && qRound(pages) <= kMostPages, qPrintable(size));
    }

    // Every table, the header's rule and the headings' stand within the margins on
    // any paper the report is made on: nothing is inked in the margins beside the
    // text, as the printed page shows it.
    void tablesStayWithinTheText_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<QSizeF>("paper"); // points
        QTest::newRow("the form a person fills, A4") << false << QSizeF(595.3, 841.9);
        QTest::newRow("the form for data, A4") << true << QSizeF(595.3, 841.9);
        QTest::newRow("the form a person fills, Letter") << false << QSizeF(612, 792);
    }

    void tablesStayWithinTheText()
    {
        QFETCH(bool, named);
        QFETCH(QSizeF, paper);
        // The template's side margins.
        constexpr int kMargin = 72;
        // Half of the widest rule.
        constexpr int kRule = 1;
        const QString path = m_folder.filePath(QStringLiteral("paper.dot"));
        QVERIFY(testing::writeFile(path, named ? TemplateResource::dataBytes() : TemplateResource::bytes()));
        const QString pdf = m_folder.filePath(QStringLiteral("paper.pdf"));
        {
            OpenedDocument document(*m_application, path);
            document->SetPaperSize(paper);
            document->ExportAsFixedFormat(pdf);
        }
        const QList<PageInk> pages = pageInk(pdf);
        QCOMPARE(pages.size(), 2);
        for (const PageInk& page : pages) {
            const QString where = QStringLiteral("ink from x %1 to %2 on a page %3 wide")
                                      .arg(page.inked.left())
                                      .arg(page.inked.right())
                                      .arg(page.page.width());
            QVERIFY2(qAbs(page.page.width() - paper.width()) <= 1, qPrintable(where));
            QVERIFY2(page.inked.left() >= kMargin - kRule, qPrintable(where));
            QVERIFY2(page.inked.right() <= page.page.width() - kMargin + kRule, qPrintable(where));
            // The tables do reach across: the text is not merely narrow.
            QVERIFY2(page.inked.right() >= page.page.width() - kMargin - 2, qPrintable(where));
        }
    }
};

QTEST_MAIN(TestTemplate)
#include "tst_template.moc"
