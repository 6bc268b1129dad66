#include "core/Settings.h"
#include "shell/Form1.h"
#include "support/Seams.h"
#include "support/TestFiles.h"
#include "ui/Appearance.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"

#include <QAccessible>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
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

    const ErrorReportsShown m_reports;
    std::optional<testing::RecordedDialogs> m_dialogs;

    std::unique_ptr<QTemporaryDir> m_config;

private slots:
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
        m_dialogs.emplace();
    }
    void cleanup() { m_dialogs.reset(); }

    // The design table, written out here rather than taken from the layout header,
    // so that a wrong number there fails. Twips, 15 to a pixel.
    void geometryFollowsTheDesign_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        auto row = [](const char* name, int left, int top, int width, int height) {
            QTest::newRow(name) << QString::fromLatin1(name)
                                << QRect(left / 15, top / 15, width / 15, height / 15);
        };
        row("PushButton6", 120, 120, 7800, 405);
        row("PushButton3", 120, 630, 3840, 405);
        row("PushButton4", 4080, 630, 3840, 405);
        row("Frame1", 120, 1110, 7800, 2175);
        row("Text1_0", 1920, 300, 5655, 345);
        row("Text1_1", 1920, 750, 5655, 345);
        row("Text1_2", 1920, 1200, 5655, 345);
        row("Text1_3", 1920, 1650, 5655, 345);
        row("Label2_0", 240, 345, 1200, 225);
        row("Label2_1", 240, 795, 1050, 225);
        row("Label2_2", 240, 1245, 1005, 225);
        row("Label2_3", 240, 1695, 1485, 225);
    }

    void geometryFollowsTheDesign()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        Form1 form;
        auto* control = form.findChild<QWidget*>(name);
        QVERIFY(control);
        if (!qobject_cast<QLabel*>(control)) {
            QCOMPARE(control->geometry(), rect);
            return;
        }
        // A caption may take a few pixels of the gap before its field, no more.
        QCOMPARE(control->pos(), rect.topLeft());
        QCOMPARE(control->height(), rect.height());
        QVERIFY(control->width() >= rect.width());
        QVERIFY(control->x() + control->width() <= form.Text1(0)->x());
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

    // Only a new visit selects the whole field; focus coming back from a context
    // menu or a window switch leaves the caret where the user put it.
    void focusSelectsAllOnlyOnANewVisit_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("selectsAll");
        QTest::newRow("Tab") << int(Qt::TabFocusReason) << true;
        QTest::newRow("Backtab") << int(Qt::BacktabFocusReason) << true;
        QTest::newRow("click") << int(Qt::MouseFocusReason) << true;
        QTest::newRow("shortcut") << int(Qt::ShortcutFocusReason) << true;
        QTest::newRow("program") << int(Qt::OtherFocusReason) << true;
        QTest::newRow("context menu closed") << int(Qt::PopupFocusReason) << false;
        QTest::newRow("window activated again") << int(Qt::ActiveWindowFocusReason) << false;
    }

    void focusSelectsAllOnlyOnANewVisit()
    {
        QFETCH(int, reason);
        QFETCH(bool, selectsAll);
        Form1 form;
        form.setFieldText(2, QStringLiteral("Hello World"));
        form.Text1(2)->setCursorPosition(5);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::FocusReason(reason));
        QApplication::sendEvent(form.Text1(2), &focusIn);
        QCOMPARE(form.Text1(2)->selectedText(),
                 selectsAll ? QStringLiteral("Hello World") : QString());
    }

    // The whole way of a right-click Paste: the menu opens, its Paste is clicked,
    // the menu closes and gives the field its focus back, then the paste runs.
    void aRightClickPasteInsertsAtTheCaret()
    {
        Form1 form;
        form.setFieldText(0, QStringLiteral("Hello World"));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QLineEdit* field = form.Text1(0);
        field->setFocus(Qt::MouseFocusReason);
        field->setCursorPosition(5);
        QGuiApplication::clipboard()->setText(QStringLiteral("XYZ"));

        bool clicked = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction* action : menu->actions()) {
                if (action->text().remove(QLatin1Char('&')).startsWith(QStringLiteral("Paste"))) {
                    QTest::mouseClick(menu, Qt::LeftButton, {},
                                      menu->actionGeometry(action).center());
                    clicked = true;
                }
            }
        });
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    field->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(field, &menuEvent);
        QTRY_VERIFY(clicked);
        QTRY_COMPARE(field->text(), QStringLiteral("HelloXYZ World"));
        QCOMPARE(stored(0), QStringLiteral("HelloXYZ World"));
    }

    void fieldsTakeValuesOfAnyLength_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("just over Qt's default limit") << 32768;
        QTest::newRow("a hundred thousand") << 100000;
    }

    // A long value survives the restore, a keystroke after it, and the store.
    void fieldsTakeValuesOfAnyLength()
    {
        QFETCH(int, length);
        QString value;
        for (int i = 0; value.size() < length; ++i)
            value += QString::number(i % 10);
        store(3, value);
        Form1 form;
        form.restoreField(3);
        QCOMPARE(form.Text1(3)->text(), value);
        form.Text1(3)->end(false);
        QTest::keyClick(form.Text1(3), Qt::Key_A);
        QCOMPARE(stored(3), value + QLatin1Char('a'));
        QCOMPARE(form.Text1(3)->text().size(), length + 1);
    }

    // Screen readers announce each field by the label beside it.
    void everyFieldIsNamedByItsLabel()
    {
        Form1 form;
        form.show();
        for (int i = 0; i < 4; ++i) {
            QAccessibleInterface* field = QAccessible::queryAccessibleInterface(form.Text1(i));
            QVERIFY(field);
            QCOMPARE(field->text(QAccessible::Name), form.Label2(i)->text());
        }
    }

    // A skin that sets no font of its own leaves every caption whole in its box.
    void captionsFitTheirBoxesWithAndWithoutASkin_data()
    {
        QTest::addColumn<QByteArray>("skin");
        QTest::newRow("no skin") << QByteArray();
        QTest::newRow("the README's example")
            << QByteArray("QPushButton { background: #2f4f7f; color: white; border-radius: 4px; "
                          "padding: 4px; }\nQGroupBox { font-weight: bold; }\n");
    }

    void captionsFitTheirBoxesWithAndWithoutASkin()
    {
        QFETCH(QByteArray, skin);
        QFile::remove(skinFilePath());
        if (!skin.isEmpty())
            QVERIFY(testing::writeFile(skinFilePath(), skin));
        Form1 form;
        ApplySkinIfPresent(&form, form.SkinFramework1());
        QFile::remove(skinFilePath());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int i = 0; i < 4; ++i) {
            QLabel* label = form.Label2(i);
            const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
            QVERIFY2(needed <= label->contentsRect().width(),
                     qPrintable(QStringLiteral("%1 needs %2 of %3")
                                    .arg(label->text())
                                    .arg(needed)
                                    .arg(label->contentsRect().width())));
        }
        for (QPushButton* button : {form.PushButton6(), form.PushButton3(), form.PushButton4()})
            QVERIFY(QFontMetrics(button->font()).horizontalAdvance(button->text()) <
                    button->width());
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
