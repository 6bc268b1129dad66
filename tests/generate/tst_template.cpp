// The report template the program carries, opened by the office engine as a
// generation run opens it: where its fields are, and that the report stays short
// enough for the preview to show it whole.

#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/ClipboardPicture.h"
#include "data/Placeholders.h"
#include "data/WindowFields.h"
#include "shell/Form1Layout.h"
#include "generate/TemplateResource.h"
#include "support/OfficeProbes.h"
#include "support/OfficeProcesses.h"
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

    // The report's date is the day the report is made: in the document opened from
    // the template, in the Word 97 file saved from it, and as another reader sees it.
    void theReportDateIsToday()
    {
        OpenedDocument document(*m_application, m_template);
        const QString saved = m_folder.filePath(QStringLiteral("dated.doc"));
        document->SaveAs(saved);
        const QString today = QLocale(QLocale::English)
                                  .toString(QDate::currentDate(), QStringLiteral("MMMM d, yyyy"));
        const QString dated = QStringLiteral("Report Date:\n") + today;
        QVERIFY(readDocumentText(*document).stories.value(0).contains(dated));
        QVERIFY(savedDocumentText(saved).contains(dated));
        QVERIFY(textAsWordSeesIt(saved).contains(today));
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
};

QTEST_MAIN(TestTemplate)
#include "tst_template.moc"
