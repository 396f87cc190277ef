#include "clientbase.h"
#include "cp1251.h"
#include "error.h"
#include "shopfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

QStringList customer(const QString& name, const QString& phone, const QString& mail, const QString& notes)
{
    return {name, phone, mail, notes};
}

const QStringList Ivanov = customer("Иванов Иван Иванович", "8 (495) 123-45-67", "ivanov@mail.example", "№ 5, скидка");
const QStringList Petrova = customer("Петрова Алёна", "", "petrova@mail.example", "ждёт монитор");
const QStringList Sidorov = customer("Сидоров", "555-01-02", "", "");

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestClientBase : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return QDir(m_dir.path()).filePath("clients.dat"); }
    void writeFile(const QByteArray& bytes) { writeBytes(path(), bytes); }

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
        writeFile(bytes);
        ClientBase base(m_dir.path());
        base.load();
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

    void anyLineEndIsReadAndSavedAsCrLf()
    {
        writeFile(cp1251::encode("Иванов\n1\r2\r\n") + QByteArray("\r\n"));
        ClientBase base(m_dir.path());
        base.load();
        QCOMPARE(base.rowTexts(1), QStringList({"", "Иванов", "1", "2", ""}));
        base.save();
        QCOMPARE(readBytes(path()), crlf({"Иванов", "1", "2", ""}));
    }

    void rowCountRoundsHalfToEven_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("customers");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("1") << 1 << 0;
        QTest::newRow("2") << 2 << 0;
        QTest::newRow("3") << 3 << 1;
        QTest::newRow("5") << 5 << 1;
        QTest::newRow("6") << 6 << 2;
        QTest::newRow("7") << 7 << 2;
        QTest::newRow("10") << 10 << 2;
        QTest::newRow("14") << 14 << 4;
    }

    void rowCountRoundsHalfToEven()
    {
        QFETCH(int, lines);
        QFETCH(int, customers);
        QStringList text;
        for (int i = 0; i < lines; ++i)
            text.append(QStringLiteral("строка %1").arg(i));
        writeFile(crlf(text));
        ClientBase base(m_dir.path());
        base.load();
        QCOMPARE(base.rowCount(), customers + 1);
        // A row reaching past the end of the file shows the lines there are and the rest empty.
        for (int r = 1; r <= customers; ++r) {
            for (int c = 1; c <= 4; ++c) {
                const int line = 4 * (r - 1) + c - 1;
                QCOMPARE(base.cell(r, c), line < lines ? text.at(line) : QString());
            }
        }
    }

    void emptyFileGivesNoCustomer()
    {
        writeFile(QByteArray());
        ClientBase base(m_dir.path());
        base.load();
        QCOMPARE(base.rowCount(), 1);
        QCOMPARE(base.currentRow(), 0);
        QVERIFY(!base.choose().has_value());
        base.deleteRow(); // the title row stays
        QCOMPARE(base.rowCount(), 1);
        base.save();
        QCOMPARE(readBytes(path()), QByteArray());
    }

    void fifthLineIsNotShownAndLostAtSave()
    {
        writeFile(crlf(Ivanov + QStringList{"лишняя"}));
        ClientBase base(m_dir.path());
        base.load();
        QCOMPARE(base.rowCount(), 2);
        QCOMPARE(base.rowTexts(1), QStringList({""}) + Ivanov);
        base.save();
        QCOMPARE(readBytes(path()), crlf(Ivanov));
    }

    void emptyRowRoundTrips()
    {
        writeFile(crlf(Ivanov));
        ClientBase base(m_dir.path());
        base.load();
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
        for (int r = 1; r < base.rowCount(); ++r) {
            for (int c = 1; c <= 4; ++c)
                base.setCell(r, c, "старое");
        }
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
        writeFile(crlf(Ivanov + Petrova + Sidorov));
        ClientBase base(m_dir.path());
        base.load();
        base.setCurrentRow(3);
        base.moveRow(3, 1);
        QCOMPARE(base.currentRow(), 1); // the current row follows its customer
        base.save();
        QCOMPARE(readBytes(path()), crlf(Sidorov + Ivanov + Petrova));
        base.moveRow(1, 3);
        base.save();
        QCOMPARE(readBytes(path()), crlf(Ivanov + Petrova + Sidorov));
        QCOMPARE(errorOf([&] { base.moveRow(0, 1); }), QStringLiteral("Grid index out of range"));
        QCOMPARE(errorOf([&] { base.moveRow(1, 4); }), QStringLiteral("Grid index out of range"));
    }

    void deleteAlwaysRemovesTheLastRow()
    {
        writeFile(crlf(Ivanov + Petrova + Sidorov));
        ClientBase base(m_dir.path());
        base.load();
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
        writeFile(bytes);
        ClientBase base(m_dir.path());
        base.load();
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
        const QString message = errorOf([&] { base.load(); });
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
        const QString message = errorOf([&] { base.load(); });
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
        QTest::newRow("check mark") << 3 << 3 << "a✓b"
                                    << "Символ «✓» в строке 3, столбец «E-mail» нельзя сохранить в файле клиентов.";
        QTest::newRow("emoji") << 1 << 1 << QString::fromUtf8("Ира 😀")
                               << QString::fromUtf8(
                                      "Символ «😀» в строке 1, столбец «Ф.И.О.» нельзя сохранить в файле клиентов.");
        QTest::newRow("line break") << 2 << 4 << "первая\nвторая"
                                    << "Перевод строки в строке 2, столбец «Примечания» нельзя сохранить в файле "
                                       "клиентов.";
        QTest::newRow("carriage return") << 2 << 2 << "1\r2"
                                         << "Перевод строки в строке 2, столбец «Телефон» нельзя сохранить в файле "
                                            "клиентов.";
        QTest::newRow("nul") << 1 << 4 << QString("a") + QChar(0) + "b"
                             << "Нулевой символ в строке 1, столбец «Примечания» нельзя сохранить в файле клиентов.";
    }

    void textTheFileCannotHoldIsRefused()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, message);
        const QByteArray bytes = crlf(Ivanov + Petrova + Sidorov);
        writeFile(bytes);
        ClientBase base(m_dir.path());
        base.load();
        base.setCell(row, column, text);
        QCOMPARE(errorOf([&] { base.save(); }), message);
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
        const QString message = errorOf([&] { base.save(); });
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
        QTest::newRow("they removed one we left alone") << "AB" << "AB" << "A" << "A";
        QTest::newRow("we removed one they left alone") << "AB" << "A" << "AB" << "A";
        QTest::newRow("each changed another") << "AB" << "XB" << "AY" << "XY";
        QTest::newRow("both changed the same: both forms kept") << "AB" << "XB" << "YB" << "XBY";
        QTest::newRow("both added the same") << "A" << "AC" << "AC" << "AC";
        QTest::newRow("the file came while the window was open") << "" << "AB" << "C" << "ABC";
        QTest::newRow("repeated customers counted") << "AA" << "AAA" << "A" << "AA";
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
        QCOMPARE(errorOf([&] { base.setCell(0, 1, "x"); }), QStringLiteral("Grid index out of range"));
        QCOMPARE(errorOf([&] { base.setCell(1, 0, "x"); }), QStringLiteral("Grid index out of range"));
        QCOMPARE(errorOf([&] { base.cell(8, 1); }), QStringLiteral("Grid index out of range"));
        QCOMPARE(errorOf([&] { base.cell(1, 5); }), QStringLiteral("Grid index out of range"));
    }
};

QTEST_GUILESS_MAIN(TestClientBase)
#include "tst_clientbase.moc"
