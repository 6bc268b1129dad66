// Tables read as RFC 4180 has them, with the line each row starts on.

#include "data/Table.h"
#include "support/TestFiles.h"

#include <QtTest>

using namespace statusmill;
using namespace statusmill::data;

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
        QTest::newRow("a quote is a character in tab-separated values")
            << "t.tsv" << QByteArray("A\tB\n5\" pipe\t\"x\r\n") << QStringList{"5\" pipe|\"x@2"};
        // As in a spreadsheet: a line of empty cells is no row.
        QTest::newRow("lines of empty cells") << "t.csv" << QByteArray("A,B\n,\n\"\",\"\"\nx,y\n , \n")
                                              << QStringList{"x|y@4"};
        QTest::newRow("lines of empty cells, tab-separated") << "t.tsv" << QByteArray("A\tB\n\t\n\nx\ty\n")
                                                             << QStringList{"x|y@4"};
        QTest::newRow("nothing") << "t.csv" << QByteArray() << QStringList{};
    }

    void readsTheRowsAndWhereTheyStart()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, rows);
        const QString path = m_dir.filePath(name);
        QVERIFY(testing::writeFile(path, text));
        const Table table = readDelimitedTable(path);
        QCOMPARE(table.header.value(0, QStringLiteral("A")), QStringLiteral("A")); // no byte-order mark in it
        QStringList read;
        for (const TableRow& row : table.rows)
            read << row.cells.join(QLatin1Char('|')) + QStringLiteral("@%1").arg(row.line);
        QCOMPARE(read, rows);
    }

    // Refused whole, saying where: a table that is not UTF-8 would fill reports
    // and file names with something else than it holds.
    void refusesWhatIsNoTable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("said"); // part of the failure
        QTest::newRow("an unclosed quote") << "t.csv" << QByteArray("A\n\"open\n") << "line 2";
        QTest::newRow("Latin-1") << "t.csv" << QByteArray("A\nD\xe9partement\n") << "line 2, column 1: not UTF-8";
        QTest::newRow("not UTF-8 in a cell of two lines")
            << "t.csv" << QByteArray("A,B\nx,\"one\ntw\xff\"\n") << "line 3, column 2: not UTF-8";
        QTest::newRow("an overlong form") << "t.tsv" << QByteArray("A\tB\nx\t\xc0\xaf\n") << "line 2, column 2: not UTF-8";
        QTest::newRow("an encoded surrogate") << "t.csv" << QByteArray("A\n\xed\xa0\x80\n") << "line 2, column 1: not UTF-8";
        QTest::newRow("cut inside a character") << "t.csv" << QByteArray("A\n\xc3") << "line 2, column 1: not UTF-8";
        QTest::newRow("a NUL byte") << "t.csv" << QByteArray("A,B\nx,a\0b\n", 9) << "line 2, column 2: a NUL byte";
        QTest::newRow("UTF-16 with its byte-order mark")
            << "t.csv" << QByteArray("\xff\xfe" "A\0\n\0x\0\n\0", 10) << "UTF-16 text (little-endian, by its byte-order mark)";
        QTest::newRow("UTF-16 without one")
            << "t.csv" << QByteArray("\0A\0,\0B\0\n", 8) << "UTF-16 text (big-endian, by its NUL bytes)";
    }

    void refusesWhatIsNoTable()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        QFETCH(QString, said);
        const QString path = m_dir.filePath(name);
        QVERIFY(testing::writeFile(path, text));
        try {
            readDelimitedTable(path);
            QFAIL("read as a table");
        } catch (const Failure& failure) {
            QVERIFY2(failure.description().contains(said), qPrintable(failure.description()));
        }
    }
};

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"
