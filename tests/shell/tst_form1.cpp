#include "common/Dialogs.h"
#include "common/Settings.h"
#include "shell/Form1.h"
#include "shell/Form1Layout.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace statusmill;

namespace {

QString stored(int index)
{
    return Settings::GetSetting(QStringLiteral("Brightfern"), QStringLiteral("Statusmill"),
                                QStringLiteral("Text1_%1").arg(index), QStringLiteral("<absent>"));
}

void store(int index, const QString& value)
{
    Settings::SaveSetting(QStringLiteral("Brightfern"), QStringLiteral("Statusmill"),
                          QStringLiteral("Text1_%1").arg(index), value);
}

void moveOver(QWidget* widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_config;

private slots:
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
        Dialogs::startRecording();
    }
    void cleanup() { Dialogs::stopRecording(); }

    void geometryFollowsTheDesign_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        auto row = [](const ControlLayout& c) {
            QTest::newRow(c.name) << QString::fromLatin1(c.name) << c.pixels();
        };
        row(form1::kPushButton6);
        row(form1::kPushButton3);
        row(form1::kPushButton4);
        row(form1::kFrame1);
        for (const auto& c : form1::kText1)
            row(c);
        for (const auto& c : form1::kLabel2)
            row(c);
    }

    void geometryFollowsTheDesign()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        Form1 form;
        auto* control = form.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), rect);
    }

    void windowIsFixedAt536By226()
    {
        Form1 form;
        QCOMPARE(form.size(), QSize(536, 226));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(form.PushButton6()->text(), QStringLiteral("Start Creating Template"));
        QCOMPARE(form.PushButton3()->text(), QStringLiteral("Clear/Reset Data"));
        QCOMPARE(form.PushButton4()->text(), QStringLiteral("Load Sample/Example Data"));
        QCOMPARE(form.Frame1()->title(), QStringLiteral("Project Status Data"));
        QCOMPARE(form.Label2(3)->text(), QStringLiteral("Product/Process:"));
        QCOMPARE(form.Tag(0), QStringLiteral("[ProjectName]"));
        QCOMPARE(form.Tag(3), QStringLiteral("[Product]"));
        QCOMPARE(form.PushButton6()->font().pointSizeF(), 11.25);
        QVERIFY(form.Text1(0)->font().bold());
    }

    void anEmptyStoreWritesNoKeyUntilAFieldChanges()
    {
        Form1 form;
        for (int i = 0; i < 4; ++i)
            form.restoreField(i);
        QVERIFY(!QFile::exists(Settings::storeFile(QStringLiteral("Brightfern"))));
        for (int i = 0; i < 4; ++i)
            QVERIFY(form.Text1(i)->text().isEmpty());
    }

    void typingStoresEveryKeystroke()
    {
        Form1 form;
        QTest::keyClicks(form.Text1(2), QStringLiteral("Ops"));
        QCOMPARE(stored(2), QStringLiteral("Ops"));
        QTest::keyClick(form.Text1(2), Qt::Key_Backspace);
        QCOMPARE(stored(2), QStringLiteral("Op"));
        QTest::keyClick(form.Text1(2), Qt::Key_Backspace);
        QTest::keyClick(form.Text1(2), Qt::Key_Backspace);
        QCOMPARE(stored(2), QString()); // the empty text is stored, not removed
        QCOMPARE(stored(1), QStringLiteral("<absent>"));
    }

    void assigningTheSameTextStoresNothing()
    {
        Form1 form;
        form.setFieldText(0, QStringLiteral("Same"));
        store(0, QStringLiteral("written elsewhere"));
        form.setFieldText(0, QStringLiteral("Same"));
        QCOMPARE(stored(0), QStringLiteral("written elsewhere"));
    }

    void clearStoresTheFieldsThatHeldText()
    {
        Form1 form;
        form.setFieldText(0, QStringLiteral("Alpha"));
        form.setFieldText(2, QStringLiteral("Gamma"));
        form.PushButton3()->click();
        for (int i = 0; i < 4; ++i)
            QVERIFY(form.Text1(i)->text().isEmpty());
        QCOMPARE(stored(0), QString());
        QCOMPARE(stored(2), QString());
        QCOMPARE(stored(1), QStringLiteral("<absent>")); // was empty: nothing raised
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void sampleDataIsStoredAndRestoredAfterARestart()
    {
        {
            Form1 form;
            form.PushButton4()->click();
        }
        const QStringList expected{"Brightfern Project", "Information Technology",
                                   "Software Development", "Statusmill"};
        Form1 restarted;
        for (int i = 0; i < 4; ++i)
            restarted.restoreField(i);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(stored(i), expected[i]);
            QCOMPARE(restarted.Text1(i)->text(), expected[i]);
        }
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void restoredValuesComeBackExactly()
    {
        const QString awkward = QStringLiteral("  «Ωmega» \"quoted\" \\path; #1  ");
        store(1, awkward);
        Form1 form;
        for (int i = 0; i < 4; ++i)
            form.restoreField(i);
        QCOMPARE(form.Text1(1)->text(), awkward);
        QCOMPARE(stored(1), awkward);
    }

    void tabSelectsTheWholeText()
    {
        Form1 form;
        form.setFieldText(1, QStringLiteral("Finance"));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Text1(0)->setFocus();
        QTest::keyClick(form.Text1(0), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form.Text1(1));
        QCOMPARE(form.Text1(1)->selectedText(), QStringLiteral("Finance"));
        QTest::keyClicks(form.Text1(1), QStringLiteral("HR"));
        QCOMPARE(form.Text1(1)->text(), QStringLiteral("HR"));
    }

    void keyboardOrderIsFieldsThenButtons()
    {
        Form1 form;
        QList<QWidget*> order;
        QWidget* w = form.Text1(0);
        for (int i = 0; i < 7; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
            order << w;
        }
        QList<QWidget*> expected{form.Text1(0),     form.Text1(1),      form.Text1(2),
                                 form.Text1(3),     form.PushButton6(), form.PushButton3(),
                                 form.PushButton4()};
        QCOMPARE(order, expected);
    }

    void pointerFollowsTheHoverRules()
    {
        Form1 form;
        form.show();
        moveOver(form.PushButton4(), {5, 5});
        QCOMPARE(int(form.pointer().state()), 99);
        moveOver(form.Label2(0), {2, 2}); // a label changes nothing
        QCOMPARE(int(form.pointer().state()), 99);
        moveOver(form.Text1(0), {2, 2}); // nor does a field
        QCOMPARE(int(form.pointer().state()), 99);
        moveOver(form.Frame1(), {3, form.Frame1()->height() - 3});
        QCOMPARE(int(form.pointer().state()), 0);
        moveOver(form.PushButton6(), {5, 5});
        moveOver(&form, {form.width() - 2, form.height() - 2});
        QCOMPARE(int(form.pointer().state()), 0);
    }

    void theHourglassSurvivesHovering()
    {
        Form1 form;
        form.show();
        form.pointer().set(WindowPointer::Hourglass);
        moveOver(form.PushButton3(), {5, 5});
        moveOver(form.Frame1(), {3, form.Frame1()->height() - 3});
        moveOver(&form, {form.width() - 2, form.height() - 2});
        QCOMPARE(int(form.pointer().state()), 11);
    }

    void anUnwritableStoreIsSaidOnce()
    {
        QVERIFY(QDir(m_config->path()).mkdir(QStringLiteral("Brightfern.ini")));
        Form1 form;
        QTest::keyClicks(form.Text1(0), QStringLiteral("abc"));
        QCOMPARE(Dialogs::shown().size(), 1);
        QVERIFY(Dialogs::shown().constFirst().text.contains(QStringLiteral("Brightfern.ini")));
        QCOMPARE(form.Text1(0)->text(), QStringLiteral("abc")); // typing is never lost
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
