// The order of a fill's replacements, tested on plain text: made one after the
// other as the office makes them (every occurrence, in any letter case), they must
// give what filling every placeholder at once gives, whatever the values hold.

#include "generate/FillPlan.h"

#include <QtTest>

using namespace statusmill::automation;

Q_DECLARE_METATYPE(Replacement)

namespace {

// Every occurrence of `find`, in any letter case, left to right without overlaps:
// what one replace-all of the office does.
QString replaceAll(QString text, const QString& find, const QString& replacement)
{
    for (qsizetype at = text.indexOf(find, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(find, at + replacement.size(), Qt::CaseInsensitive))
        text.replace(at, find.size(), replacement);
    return text;
}

// The template with each placeholder filled in one pass: the first placeholder
// listed under that name wins, and nothing put in is looked at again.
QString filledAtOnce(const QString& text, const QList<Replacement>& replacements)
{
    QString filled;
    for (qsizetype at = 0; at < text.size();) {
        const auto found = std::find_if(replacements.begin(), replacements.end(), [&](const Replacement& r) {
            return QStringView(text).mid(at).startsWith(r.placeholder, Qt::CaseInsensitive);
        });
        if (found == replacements.end()) {
            filled += text.at(at++);
            continue;
        }
        filled += documentText(found->text);
        at += found->placeholder.size();
    }
    return filled;
}

} // namespace

class TestFillPlan : public QObject
{
    Q_OBJECT

private slots:
    void valuesLandAsTyped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<Replacement>>("replacements");
        QTest::addColumn<int>("markers");
        const QString four = QStringLiteral("[ProjectName]|[Department]|[FocusArea]|[Product]");
        QTest::newRow("plain values go in directly")
            << four
            << QList<Replacement>{{"[ProjectName]", "Harbour"}, {"[Department]", "Works"},
                                  {"[FocusArea]", "Safety"}, {"[Product]", "Deck"}}
            << 0;
        QTest::newRow("a project named after the department's placeholder")
            << four << QList<Replacement>{{"[ProjectName]", "[Department]"}, {"[Department]", "Roads"}}
            << 1;
        QTest::newRow("fields filled last with empty text, inside another value")
            << QStringLiteral("Ask: [Name] / [Product]")
            << QList<Replacement>{{"[Name]", "Ask [product] team"}, {"[Product]", ""}} << 1;
        QTest::newRow("a value that is the name inside a placeholder's brackets")
            << QStringLiteral("x[[FocusArea]]y [Product]")
            << QList<Replacement>{{"[FocusArea]", "product"}, {"[Product]", "Deck"}} << 1;
        QTest::newRow("a value that closes a bracket the template opens")
            << QStringLiteral("[Pro[ProjectName] [Product]")
            << QList<Replacement>{{"[ProjectName]", "duct]"}, {"[Product]", "Deck"}} << 1;
        QTest::newRow("a value that opens a bracket the template closes")
            << QStringLiteral("[ProjectName]duct] [Product]")
            << QList<Replacement>{{"[ProjectName]", "x [Pro"}, {"[Product]", "Deck"}} << 1;
        QTest::newRow("a bracket in the last value, searched by no one")
            << four << QList<Replacement>{{"[ProjectName]", "A"}, {"[Product]", "[ProjectName]"}} << 0;
        QTest::newRow("a placeholder listed twice, in another letter case")
            << four
            << QList<Replacement>{{"[ProjectName]", "First [department]"}, {"[projectname]", "Second"},
                                  {"[Department]", "Roads"}}
            << 1;
        QTest::newRow("a value holding private-use characters and control characters")
            << four
            << QList<Replacement>{{"[ProjectName]", QString(QChar(0xE000)) + "0[Product]\x01"},
                                  {"[Product]", QString(QChar(0xE001))}}
            << 1;
        QTest::newRow("empty values join template text to no placeholder of theirs")
            << four << QList<Replacement>{{"[ProjectName]", ""}, {"[Department]", ""}} << 0;
    }

    void valuesLandAsTyped()
    {
        QFETCH(QString, text);
        QFETCH(QList<Replacement>, replacements);
        QFETCH(int, markers);
        const FillPlan plan = planFill(replacements);
        QString filled = text;
        for (const Replacement& r : plan.placeholders + plan.markers)
            filled = replaceAll(filled, r.placeholder, documentText(r.text));
        QCOMPARE(filled, filledAtOnce(text, replacements));
        // A marker costs a second search: only values that need one have one.
        QCOMPARE(plan.markers.size(), markers);
    }

    // Every value reaches the office as text it can take: a character it stops on
    // or writes a broken file of goes; a surrogate without its pair is the
    // replacement character; a carriage return breaks a line, never a paragraph.
    void valuesAsTheDocumentTakesThem_data()
    {
        // Lone surrogates have no literal of their own.
        const auto units = [](std::initializer_list<char16_t> text) {
            return QString(reinterpret_cast<const QChar*>(text.begin()), qsizetype(text.size()));
        };
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("taken");
        QTest::newRow("a lone high surrogate") << units({u'a', 0xD800, u'b'}) << units({u'a', 0xFFFD, u'b'});
        QTest::newRow("a lone low surrogate at the end") << units({u'a', 0xDC00}) << units({u'a', 0xFFFD});
        QTest::newRow("two high surrogates") << units({0xD800, 0xD800, 0xDC00}) << units({0xFFFD, 0xD800, 0xDC00});
        QTest::newRow("a pair, kept") << QString::fromUtf8("x 😀 y") << QString::fromUtf8("x 😀 y");
        QTest::newRow("line ends of every kind") << QStringLiteral("a\r\nb\rc\nd") << QStringLiteral("a\nb\nc\nd");
        QTest::newRow("controls") << units({u't', u'\t', u'n', 0x01, 0x0B, 0xFFFE, 0xFFFF, u'u'})
                                  << QStringLiteral("t\tnu");
    }

    void valuesAsTheDocumentTakesThem()
    {
        QFETCH(QString, value);
        QFETCH(QString, taken);
        QCOMPARE(documentText(value), taken);
    }
};

QTEST_APPLESS_MAIN(TestFillPlan)
#include "tst_fillplan.moc"
