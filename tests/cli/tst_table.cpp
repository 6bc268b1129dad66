// Tables read as RFC 4180 has them, with the line each row starts on.

#include "cli/Table.h"
#include "support/TestFiles.h"

#include <QtTest>

using namespace statusmill;
using namespace statusmill::cli;

class TestTable : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void readsTheRowsAndWhereTheyStart_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("rows"); // cells joined by "|", then "@line"
        QTest::newRow("quotes, commas and doubled quotes")
            << "t.csv" << QByteArray("A,B\n\"x, y\",\"say \"\"hi\"\"\"\n")
            << QStringList{"x, y|say \"hi\"@2"};
        QTest::newRow("a line break in a cell, CRLF, a blank line")
            << "t.csv" << QByteArray("A,B\r\n\"one\r\ntwo\",b\r\n\r\nc,d\r\n")
            << QStringList{"one\r\ntwo|b@2", "c|d@5"};
        QTest::newRow("a byte-order mark, no last line break")
            << "t.csv" << QByteArray("\xEF\xBB\xBF" "A,B\n\xC3\xA9,2") << QStringList{"\u00e9|2@2"};
        QTest::newRow("tab-separated") << "t.tsv" << QByteArray("A\tB\nx y\t, z\n")
                                       << QStringList{"x y|, z@2"};
        QTest::newRow("a short row is kept short") << "t.csv" << QByteArray("A,B,C\nx\n")
                                                   << QStringList{"x@2"};
    }

    void readsTheRowsAndWhereTheyStart()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, rows);
        const QString path = m_dir.filePath(name);
        QVERIFY(testing::writeFile(path, text));
        const Table table = readDelimitedTable(path);
        QCOMPARE(table.header.constFirst(), QStringLiteral("A")); // no byte-order mark in it
        QStringList read;
        for (const TableRow& row : table.rows)
            read << row.cells.join(QLatin1Char('|')) + QStringLiteral("@%1").arg(row.line);
        QCOMPARE(read, rows);
    }

    void refusesWhatIsNoTable_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("an unclosed quote") << QByteArray("A\n\"open\n");
        QTest::newRow("nothing") << QByteArray();
    }

    void refusesWhatIsNoTable()
    {
        QFETCH(QByteArray, text);
        const QString path = m_dir.filePath(QStringLiteral("bad.csv"));
        QVERIFY(testing::writeFile(path, text));
        QVERIFY_THROWS_EXCEPTION(Failure, readDelimitedTable(path));
    }
};

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"
