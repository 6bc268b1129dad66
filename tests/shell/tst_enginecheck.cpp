// The engine check at start: silent when a session can be made; otherwise the
// message that says what to check, and the end of the program.

#include "core/WorkFolder.h"
#include "shell/IsInstalled.h"
#include "support/FaultyEngine.h"
#include "support/OfficeProcesses.h"
#include "support/Seams.h"
#include "ui/Dialogs.h"

#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace statusmill;
using namespace statusmill::automation::testing;

namespace {

// An engine that fails with neither a Failure nor a standard exception, as a
// foreign library's error would reach us.
class ForeignErrorEngine : public automation::Engine
{
public:
    struct ForeignError
    {
    };
    std::unique_ptr<automation::Application> createApplication() override { throw ForeignError(); }
};

} // namespace

class TestEngineCheck : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    std::optional<testing::RecordedDialogs> m_dialogs;

private slots:
    void init() { m_dialogs.emplace(); }
    void cleanup()
    {
        m_dialogs.reset();
        QCOMPARE(statusmill::testing::ourOfficeProcesses(), QList<pid_t>());
    }
    void cleanupTestCase() { WorkFolder::remove(); }

    void availabilityCheck_data()
    {
        QTest::addColumn<bool>("officePresent");
        QTest::addColumn<bool>("foreignError");
        QTest::newRow("office present") << true << false;
        QTest::newRow("office missing") << false << false;
        QTest::newRow("engine fails with a foreign error") << true << true;
    }

    void availabilityCheck()
    {
        QFETCH(bool, officePresent);
        QFETCH(bool, foreignError);
        ForeignErrorEngine foreign;
        std::optional<EngineOverride> override;
        if (foreignError)
            override.emplace(foreign);
        std::optional<testing::OfficeSearch> noOffice;
        if (!officePresent)
            noOffice.emplace(QStringList{m_folder.filePath(QStringLiteral("nothing"))});
        int ended = 0;
        {
            const testing::Terminator counting([&] { ++ended; });
            IsInstalled::CheckWordInstalled();
        }

        if (officePresent && !foreignError) {
            QCOMPARE(ended, 0);
            QCOMPARE(Dialogs::shown().size(), 0);
            return;
        }
        QCOMPARE(ended, 1);
        QCOMPARE(Dialogs::shown().size(), 1);
        const auto shown = Dialogs::shown().constFirst();
        QCOMPARE(shown.title, QCoreApplication::applicationName());
        QCOMPARE(shown.icon, Dialogs::Icon::None);
        QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
        QCOMPARE(shown.text,
                 QStringLiteral(
                     "Error 842001. A normal instance of Word could not be created.\r\n\r\n"
                     "1. Please make sure Word is installed on this computer.\r\n\r\n"
                     "2. Please open Word normally and make sure a blank document opens "
                     "immediately without any interrupting window (such as an Word file recovery "
                     "window).\r\n\r\n"
                     "3. Please make sure that when you double-click on a DOC or DOCX file that "
                     "Word opens normally without any interrupting messages.\r\n\r\n"
                     "4. All versions of Word are supported by this software except for the rare "
                     "Word Starter and Student editions."));
    }
};

QTEST_MAIN(TestEngineCheck)
#include "tst_enginecheck.moc"
