#include "clients/clientbase.h"
#include "common/failure.h"
#include "common/shopfiles.h"
#include "text/cp1251.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

const QStringList Ivanov = {"Иванов Иван Иванович", "8 (495) 123-45-67", "ivanov@mail.example", "№ 5, скидка"};
const QStringList Petrova = {"Петрова Алёна", "", "petrova@mail.example", "ждёт монитор"};
const QStringList Sidorov = {"Сидоров", "555-01-02", "", ""};
const QString OutOfRange = QStringLiteral("Grid index out of range");

} // namespace

class TestClientBase : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return QDir(m_dir.path()).filePath("clients.dat"); }
    void writeFile(const QByteArray& bytes) { writeBytes(path(), bytes); }
    ClientBase loaded(const QByteArray& bytes)
    {
        writeFile(bytes);
        ClientBase base(m_dir.path());
        base.load();
        return base;
    }

private slots:
    void init()
    {
        QFile::remove(path());
        QDir(path()).removeRecursively();
    }

    void designStateBeforeAnyFile()
    {
        ClientBase base(m_dir.path());
        QCOMPARE(base.rowCount(), 8);
        QCOMPARE(base.rowTexts(0), QStringList({"", "Ф.И.О.", "Телефон", "E-mail", "Примечания"}));
        QVERIFY(!base.addEnabled());
        QVERIFY(!base.delEnabled());
        QCOMPARE(base.filePath(), path());
        QCOMPARE(ClientBase().filePath(), QStringLiteral("clients.dat"));
    }

    void eightLinesGiveTwoCustomersAndSaveBackIdentical()
    {
        const QByteArray bytes = crlf(Ivanov + Petrova);
        ClientBase base = loaded(bytes);
        QCOMPARE(base.rowCount(), 3);
        QCOMPARE(base.rowTexts(1), QStringList({""}) + Ivanov);
        QCOMPARE(base.rowTexts(2), QStringList({""}) + Petrova);
        QVERIFY(base.addEnabled() && base.delEnabled());
        QCOMPARE(base.lineBuffer().count(), 8);

        // The same customers with other line ends: the save writes, and merges nothing.
        writeFile(QByteArray(bytes).replace("\r\n", "\n"));
        QVERIFY(!base.save());
        QCOMPARE(readBytes(path()), bytes);
    }

    void rowCountRoundsHalfToEven_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("customers");
        for (auto [lines, customers] :
             {std::pair{0, 0}, {1, 0}, {2, 0}, {3, 1}, {5, 1}, {6, 2}, {7, 2}, {10, 2}, {14, 4}})
            QTest::addRow("%d", lines) << lines << customers;
    }

    void rowCountRoundsHalfToEven()
    {
        QFETCH(int, lines);
        QFETCH(int, customers);
        QStringList text;
        for (int i = 0; i < lines; ++i)
            text.append(QStringLiteral("строка %1").arg(i));
        ClientBase base = loaded(crlf(text));
        QCOMPARE(base.rowCount(), customers + 1);
        // A row reaching past the end of the file shows the lines there are and the rest empty.
        for (int r = 1; r <= customers; ++r)
            for (int c = 1; c <= 4; ++c)
                QCOMPARE(base.cell(r, c), 4 * (r - 1) + c - 1 < lines ? text.at(4 * (r - 1) + c - 1) : QString());
    }

    void emptyFileGivesNoCustomer()
    {
        ClientBase base = loaded(QByteArray());
        QCOMPARE(base.rowCount(), 1);
        QCOMPARE(base.currentRow(), 0);
        QVERIFY(!base.choose().has_value());
        base.deleteRow(); // the title row stays
        QCOMPARE(base.rowCount(), 1);
        base.save();
        QCOMPARE(readBytes(path()), QByteArray());
    }

    // Any line end is read, and saved as CR LF; a fifth line is not shown and is lost at the save.
    void fileIsSavedBackAsShown_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("customer");
        QTest::addColumn<QByteArray>("saved");
        QTest::addRow("any line end") << cp1251::encode("Иванов\n1\r2\r\n") + QByteArray("\r\n")
                                      << QStringList({"Иванов", "1", "2", ""}) << crlf({"Иванов", "1", "2", ""});
        QTest::addRow("fifth line") << crlf(Ivanov + QStringList{"лишняя"}) << Ivanov << crlf(Ivanov);
    }
    void fileIsSavedBackAsShown()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, customer);
        QFETCH(QByteArray, saved);
        ClientBase base = loaded(file);
        QCOMPARE(base.rowCount(), 2);
        QCOMPARE(base.rowTexts(1), QStringList({""}) + customer);
        base.save();
        QCOMPARE(readBytes(path()), saved);
    }

    void emptyRowRoundTrips()
    {
        ClientBase base = loaded(crlf(Ivanov));
        base.addRow();
        QCOMPARE(base.rowCount(), 3);
        QCOMPARE(base.rowTexts(2), QStringList(5, QString()));
        base.save();
        QCOMPARE(readBytes(path()), crlf(Ivanov) + "\r\n\r\n\r\n\r\n");
        base.load();
        QCOMPARE(base.rowCount(), 3);
        QCOMPARE(base.rowTexts(2), QStringList(5, QString()));
    }

    void loadingOverwritesEveryCellAndDropsExtraRows()
    {
        writeFile(crlf({"Сидоров", "555", "x", "x", "лишняя"}));
        ClientBase base(m_dir.path());
        for (int r = 1; r < base.rowCount(); ++r)
            for (int c = 1; c <= 4; ++c)
                base.setCell(r, c, "старое");
        base.load();
        QCOMPARE(base.rowCount(), 2);
        QCOMPARE(base.rowTexts(1), QStringList({"", "Сидоров", "555", "x", "x"}));
        // A second showing brings back the file, not the edits.
        base.setCell(1, 1, "правка");
        base.addRow();
        base.load();
        QCOMPARE(base.rowCount(), 2);
        QCOMPARE(base.cell(1, 1), QStringLiteral("Сидоров"));
    }

    void movedRowsAreSavedInTheirNewOrder()
    {
        ClientBase base = loaded(crlf(Ivanov + Petrova + Sidorov));
        base.setCurrentRow(3);
        base.moveRow(3, 1);
        QCOMPARE(base.currentRow(), 1); // the current row follows its customer
        base.save();
        QCOMPARE(readBytes(path()), crlf(Sidorov + Ivanov + Petrova));
        base.moveRow(1, 3);
        base.save();
        QCOMPARE(readBytes(path()), crlf(Ivanov + Petrova + Sidorov));
        QCOMPARE(failureOf([&] { base.moveRow(0, 1); }), OutOfRange);
        QCOMPARE(failureOf([&] { base.moveRow(1, 4); }), OutOfRange);
    }

    void deleteAlwaysRemovesTheLastRow()
    {
        ClientBase base = loaded(crlf(Ivanov + Petrova + Sidorov));
        base.setCurrentRow(1);
        base.deleteRow();
        QCOMPARE(base.rowCount(), 3);
        QCOMPARE(base.cell(1, 1), Ivanov.first());
        QCOMPARE(base.cell(2, 1), Petrova.first());
        QCOMPARE(base.currentRow(), 1);

        base.setCurrentRow(2);
        base.deleteRow();
        QCOMPARE(base.currentRow(), 1);
        base.deleteRow();
        base.deleteRow();
        QCOMPARE(base.rowCount(), 1);
        QCOMPARE(base.rowTexts(0).at(1), QStringLiteral("Ф.И.О."));
    }

    void chooseTakesTheEditedNameWithoutSaving()
    {
        const QByteArray bytes = crlf(Ivanov + Petrova);
        ClientBase base = loaded(bytes);
        QCOMPARE(base.choose(), std::optional<QString>(Ivanov.first()));
        base.setCell(2, 1, "Петрова-Смирнова Алёна");
        base.setCurrentRow(2);
        QCOMPARE(base.choose(), std::optional<QString>("Петрова-Смирнова Алёна"));
        QCOMPARE(readBytes(path()), bytes);
    }

    void missingFileKeepsTheRows()
    {
        ClientBase base(m_dir.path());
        base.setCell(2, 3, "правка");
        const QString message = failureOf([&] { base.load(); });
        QVERIFY2(message.startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(path())), qPrintable(message));
        QCOMPARE(base.rowCount(), 8);
        QCOMPARE(base.cell(2, 3), QStringLiteral("правка"));
        QCOMPARE(base.cell(0, 4), QStringLiteral("Примечания"));
        QVERIFY(base.addEnabled() && base.delEnabled());
        QVERIFY(base.lineBuffer().isEmpty());
        // Saving then creates the file.
        base.save();
        QCOMPARE(readBytes(path()).count("\r\n"), 28);
    }

    void bareNameIsReadFromTheWorkingDirectory()
    {
        writeFile(crlf(Sidorov));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        ClientBase base;
        const QString message = failureOf([&] { base.load(); });
        QDir::setCurrent(previous);
        QCOMPARE(message, QString());
        QCOMPARE(base.cell(1, 2), Sidorov.at(1));
    }

    void textTheFileCannotHoldIsRefused_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const auto refused = [](const char* what, int row, const char* column) {
            return QStringLiteral("%1 в строке %2, столбец «%3» нельзя сохранить в файле клиентов.")
                .arg(QString::fromUtf8(what))
                .arg(row)
                .arg(QString::fromUtf8(column));
        };
        QTest::addRow("check mark") << 3 << 3 << "a✓b" << refused("Символ «✓»", 3, "E-mail");
        QTest::addRow("emoji") << 1 << 1 << QString::fromUtf8("Ира 😀") << refused("Символ «😀»", 1, "Ф.И.О.");
        QTest::addRow("line break") << 2 << 4 << "первая\nвторая" << refused("Перевод строки", 2, "Примечания");
        QTest::addRow("carriage return") << 2 << 2 << "1\r2" << refused("Перевод строки", 2, "Телефон");
        QTest::addRow("nul") << 1 << 4 << QString("a") + QChar(0) + "b" << refused("Нулевой символ", 1, "Примечания");
    }

    void textTheFileCannotHoldIsRefused()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, message);
        const QByteArray bytes = crlf(Ivanov + Petrova + Sidorov);
        ClientBase base = loaded(bytes);
        base.setCell(row, column, text);
        QCOMPARE(failureOf([&] { base.save(); }), message);
        QCOMPARE(readBytes(path()), bytes);
        QCOMPARE(base.cell(row, column), text);
    }

    void storableText()
    {
        // Everything cp1251 has is kept as typed, the euro sign and tab included.
        QCOMPARE(ClientBase::firstUnstorable("Ёжиков № 7 — 100 € «VIP»\t!"), -1);
        QCOMPARE(ClientBase::firstUnstorable("ab✓\n"), 2);
        QCOMPARE(ClientBase::firstUnstorable("ab\n✓"), 2);
    }

    void failedWriteLeavesFileAndGrid()
    {
        // A folder where the file should be cannot be replaced, whoever runs the test.
        QVERIFY(QDir(m_dir.path()).mkpath("clients.dat/inside"));
        ClientBase base(m_dir.path());
        base.setCell(1, 1, "Новый");
        const QString message = failureOf([&] { base.save(); });
        QVERIFY2(message.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(path())), qPrintable(message));
        QVERIFY(QFileInfo(path() + "/inside").isDir());
        QCOMPARE(base.rowCount(), 8);
        QCOMPARE(base.cell(1, 1), QStringLiteral("Новый"));
        QVERIFY(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()); // no stray temporary file
    }

    // Another copy saved the file while this window had it open: its customers are merged in,
    // not written over, and the grid shows what the file now holds.
    void otherCopysSaveIsMerged()
    {
        writeFile(crlf(Ivanov + Petrova));
        ClientBase here(m_dir.path());
        ClientBase there(m_dir.path());
        here.load();
        there.load();
        there.setCell(2, 2, "8 (812) 000-00-00");
        there.addRow();
        for (int f = 0; f < 4; ++f)
            there.setCell(3, f + 1, Sidorov.at(f));
        QVERIFY(!there.save());
        here.setCell(1, 4, "постоянный");
        QVERIFY(here.save());

        QStringList ivanov = Ivanov;
        ivanov[3] = "постоянный";
        QStringList petrova = Petrova;
        petrova[1] = "8 (812) 000-00-00";
        QCOMPARE(readBytes(path()), crlf(ivanov + petrova + Sidorov));
        QCOMPARE(here.rowTexts(3), QStringList({""}) + Sidorov);
        QVERIFY(!QFile::exists(path() + ".lock"));
    }

    void mergeKeepsWhatEitherCopyChanged_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("ours");
        QTest::addColumn<QString>("theirs");
        QTest::addColumn<QString>("merged");
        QTest::newRow("they removed one we left alone") << "AB"
                                                        << "AB"
                                                        << "A"
                                                        << "A";
        QTest::newRow("we removed one they left alone") << "AB"
                                                        << "A"
                                                        << "AB"
                                                        << "A";
        QTest::newRow("each changed another") << "AB"
                                              << "XB"
                                              << "AY"
                                              << "XY";
        QTest::newRow("both changed the same: both forms kept") << "AB"
                                                                << "XB"
                                                                << "YB"
                                                                << "XBY";
        QTest::newRow("both added the same") << "A"
                                             << "AC"
                                             << "AC"
                                             << "AC";
        QTest::newRow("the file came while the window was open") << ""
                                                                 << "AB"
                                                                 << "C"
                                                                 << "ABC";
        QTest::newRow("repeated customers counted") << "AA"
                                                    << "AAA"
                                                    << "A"
                                                    << "AA";
    }
    void mergeKeepsWhatEitherCopyChanged()
    {
        QFETCH(QString, base);
        QFETCH(QString, ours);
        QFETCH(QString, theirs);
        QFETCH(QString, merged);
        // One letter is one customer, named by it.
        auto rows = [](const QString& names) {
            std::vector<ClientBase::Row> out;
            for (QChar c : names)
                out.push_back({QString(c), "тел.", "", ""});
            return out;
        };
        QCOMPARE(ClientBase::mergeRows(rows(base), rows(ours), rows(theirs)), rows(merged));
    }

    void titlesAndFixedColumnCannotBeWritten()
    {
        ClientBase base(m_dir.path());
        QCOMPARE(failureOf([&] { base.setCell(0, 1, "x"); }), OutOfRange);
        QCOMPARE(failureOf([&] { base.setCell(1, 0, "x"); }), OutOfRange);
        QCOMPARE(failureOf([&] { base.cell(8, 1); }), OutOfRange);
        QCOMPARE(failureOf([&] { base.cell(1, 5); }), OutOfRange);
    }
    // The seller's and the owner's accounts share the folder: saving keeps the file's permissions.
    void savingKeepsPermissions()
    {
        ClientBase base = loaded(crlf(Ivanov));
        const QFile::Permissions shared =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(path(), shared));
        base.setCell(1, 2, QStringLiteral("555-00-00"));
        base.save();
        QCOMPARE(QFileInfo(path()).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), shared);
        QCOMPARE(readBytes(path()), crlf({Ivanov[0], "555-00-00", Ivanov[2], Ivanov[3]}));
    }
};

QTEST_GUILESS_MAIN(TestClientBase)
#include "tst_clientbase.moc"
