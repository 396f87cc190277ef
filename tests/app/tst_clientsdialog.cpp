#include "app/clientsdialog.h"
#include "common/fakes.h"
#include "common/testshop.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

const QStringList Ivanov = {"Иванов Иван", "111-11-11", "ivanov@mail.example", "постоянный"};
const QStringList Petrova = {"Петрова Алёна", "222-22-22", "", "ждёт монитор"};
const QStringList Sidorov = {"Сидоров", "", "sidorov@mail.example", ""};

// Types the text into the widget; the test library's own typing knows Latin-1 only.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace

class TestClientsDialog : public QObject {
    Q_OBJECT

    const TestShop m_shop{TestShop::Files::None};
    Fakes m_fakes;
    std::unique_ptr<ClientsDialog> m_box;

    QString path() const { return m_shop.path("clients.dat"); }
    QTableWidget* grid() const { return m_box->findChild<QTableWidget*>("ClGrid"); }
    QPushButton* button(const char* name) const { return m_box->findChild<QPushButton*>(name); }

    void showBox()
    {
        m_box->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_box.get()));
        m_box->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_box.get()));
    }

    QStringList gridRow(int visualRow) const
    {
        const int logical = grid()->verticalHeader()->logicalIndex(visualRow);
        QStringList texts;
        for (int c = 0; c < grid()->columnCount(); ++c)
            texts.append(grid()->item(logical, c) ? grid()->item(logical, c)->text() : QString());
        return texts;
    }

    // The line editor open on the current cell.
    QLineEdit* openEditor() const { return qobject_cast<QLineEdit*>(grid()->indexWidget(grid()->currentIndex())); }

private slots:
    void init()
    {
        QFile::remove(path());
        QDir(path()).removeRecursively();
        m_fakes = Fakes();
        writeBytes(path(), crlf(Ivanov + Petrova + Sidorov));
        m_box = std::make_unique<ClientsDialog>(m_fakes.facilities(), nullptr, m_shop.folder);
    }

    void cleanup() { m_box.reset(); }

    void windowAsDesigned()
    {
        QCOMPARE(m_box->objectName(), QStringLiteral("TClienBox"));
        QCOMPARE(m_box->windowTitle(), QStringLiteral("База клиентов"));
        QCOMPARE(m_box->property("helpContext").toInt(), 16);
        QCOMPARE(m_box->minimumSize(), QSize(482, 258));
        QCOMPARE(m_box->maximumSize(), QSize(482, 258));
        QCOMPARE(grid()->geometry(), QRect(7, 57, 466, 136));
        QCOMPARE(grid()->rowCount(), 7); // the design: seven empty rows under the titles
        QCOMPARE(grid()->verticalHeader()->width(), 10);
        QVERIFY(grid()->verticalHeader()->sectionsMovable());
        const int widths[] = {143, 87, 93, 108};
        for (int c = 0; c < 4; ++c)
            QCOMPARE(grid()->columnWidth(c), widths[c]);
        QCOMPARE(grid()->rowHeight(0), 16);
        QVERIFY(grid()->editTriggers().testFlag(QAbstractItemView::CurrentChanged));
        QCOMPARE(grid()->selectionMode(), QAbstractItemView::ContiguousSelection);

        const struct {
            const char* name;
            const char* text;
            QRect geometry;
        } buttons[] = {{"ChooseBtn", "Выбрать", {8, 16, 121, 25}},
                       {"SaveBtn", "Сохранить", {352, 16, 121, 25}},
                       {"AddBtn", "Добавить", {32, 217, 113, 25}},
                       {"DelBtn", "Удалить", {343, 217, 113, 25}}};
        for (const auto& b : buttons) {
            QVERIFY2(button(b.name), b.name);
            QCOMPARE(button(b.name)->text(), QString::fromUtf8(b.text));
            QCOMPARE(button(b.name)->geometry(), b.geometry);
            QVERIFY(!button(b.name)->icon().isNull());
        }
        QVERIFY(!button("AddBtn")->isEnabled());
        QVERIFY(!button("DelBtn")->isEnabled());
    }

    void showingLoadsTheFile()
    {
        showBox();
        QVERIFY(button("AddBtn")->isEnabled());
        QVERIFY(button("DelBtn")->isEnabled());
        QCOMPARE(grid()->rowCount(), 3);
        QCOMPARE(gridRow(0), Ivanov);
        QCOMPARE(gridRow(2), Sidorov);
        QCOMPARE(grid()->horizontalHeaderItem(0)->text(), QStringLiteral("Ф.И.О."));
        QCOMPARE(grid()->horizontalHeaderItem(3)->text(), QStringLiteral("Примечания"));
        QCOMPARE(grid()->verticalHeaderItem(1)->text(), QString()); // the fixed column stays empty
        QVERIFY(m_fakes.errorReport.reported.isEmpty());
    }

    void draggedRowIsSavedInItsNewPlace()
    {
        showBox();
        QHeaderView* fixed = grid()->verticalHeader();
        fixed->moveSection(2, 0); // the third customer dragged above the first
        QCOMPARE(gridRow(0), Sidorov);
        // A cell edited after the move belongs to the row where it now shows.
        grid()->item(fixed->logicalIndex(1), 1)->setText("333-33-33");
        QTest::mouseClick(button("SaveBtn"), Qt::LeftButton);
        QVERIFY(!m_box->isVisible());
        QStringList ivanov = Ivanov;
        ivanov[1] = "333-33-33";
        QCOMPARE(readBytes(path()), crlf(Sidorov + ivanov + Petrova));

        // The next showing reads the new order into rows in their own places again.
        showBox();
        QCOMPARE(fixed->visualIndex(0), 0);
        QCOMPARE(grid()->item(0, 0)->text(), Sidorov.first());
    }

    void deleteRemovesTheLastRowWhicheverIsSelected()
    {
        showBox();
        grid()->setCurrentCell(0, 0);
        grid()->selectRow(0);
        QTest::mouseClick(button("DelBtn"), Qt::LeftButton);
        QCOMPARE(grid()->rowCount(), 2);
        QCOMPARE(gridRow(0), Ivanov);
        QCOMPARE(gridRow(1), Petrova);
        QVERIFY(m_box->isVisible());
        QTest::mouseClick(button("AddBtn"), Qt::LeftButton);
        QCOMPARE(grid()->rowCount(), 3);
        QCOMPARE(gridRow(2), QStringList(4, QString()));
        QTest::mouseClick(button("SaveBtn"), Qt::LeftButton);
        QCOMPARE(readBytes(path()), crlf(Ivanov + Petrova + QStringList(4, QString())));
    }

    void chooseHandsOverTheEditedNameWithoutSaving()
    {
        const QByteArray before = readBytes(path());
        showBox();
        QSignalSpy chosen(m_box.get(), &ClientsDialog::customerChosen);
        grid()->setCurrentCell(1, 0);
        QLineEdit* editor = openEditor();
        QVERIFY(editor); // the editor is shown as soon as the cell is current
        editor->selectAll();
        typeText(editor, "Смирнова Алёна");
        // The window acts on the cell still being typed in.
        m_box->chooseCustomer();
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toString(), QStringLiteral("Смирнова Алёна"));
        QVERIFY(!m_box->isVisible());
        QCOMPARE(readBytes(path()), before);

        // Reopened, the window shows the file again, not the lost edit.
        showBox();
        QCOMPARE(gridRow(1), Petrova);
    }

    void chooseWithoutCustomerRowHandsOverNothing()
    {
        writeBytes(path(), QByteArray());
        showBox();
        QSignalSpy chosen(m_box.get(), &ClientsDialog::customerChosen);
        QTest::mouseClick(button("ChooseBtn"), Qt::LeftButton);
        QCOMPARE(chosen.count(), 0);
        QVERIFY(!m_box->isVisible());
        QVERIFY(m_fakes.errorReport.reported.isEmpty());
    }

    void textTheFileCannotHoldIsRefusedAsTyped()
    {
        showBox();
        grid()->setCurrentCell(0, 3);
        QLineEdit* editor = openEditor();
        QVERIFY(editor);
        editor->selectAll();
        typeText(editor, QStringLiteral("ё✓Ё"));
        QCOMPARE(editor->text(), QStringLiteral("ёЁ"));
    }

    void textTheFileCannotHoldIsRefusedAtSave()
    {
        const QByteArray before = readBytes(path());
        showBox();
        grid()->item(1, 2)->setText(QStringLiteral("alena✓@mail.example"));
        QTest::mouseClick(button("SaveBtn"), Qt::LeftButton);
        QCOMPARE(m_fakes.errorReport.reported,
                 QStringList{"Символ «✓» в строке 2, столбец «E-mail» нельзя сохранить в файле клиентов."});
        QVERIFY(m_box->isVisible());
        QCOMPARE(readBytes(path()), before);
    }

    void missingFileStillOpensTheWindow()
    {
        QFile::remove(path());
        showBox();
        QVERIFY(m_box->isVisible());
        QCOMPARE(m_fakes.errorReport.reported.size(), 1);
        QVERIFY(
            m_fakes.errorReport.reported.first().startsWith(QStringLiteral("Cannot open file \"%1\".").arg(path())));
        QCOMPARE(grid()->rowCount(), 7);
        QVERIFY(button("AddBtn")->isEnabled());
        QVERIFY(button("DelBtn")->isEnabled());
        QCOMPARE(grid()->horizontalHeaderItem(1)->text(), QStringLiteral("Телефон"));
    }

    // Another copy saved a new customer while the window was open: the save merges it in, and the
    // window stays open on the merged list and says so.
    void saveAfterAnotherCopysSaveMergesAndStaysOpen()
    {
        showBox();
        const QStringList smirnov = {"Смирнов", "444-44-44", "", ""};
        writeBytes(path(), crlf(Ivanov + Petrova + Sidorov + smirnov));
        grid()->item(1, 1)->setText("555-55-55");
        QTest::mouseClick(button("SaveBtn"), Qt::LeftButton);
        QCOMPARE(m_fakes.messageBox.shown, QStringList({ClientBase::mergedMessage()}));
        QVERIFY(m_box->isVisible());
        QStringList petrova = Petrova;
        petrova[1] = "555-55-55";
        QCOMPARE(readBytes(path()), crlf(Ivanov + petrova + Sidorov + smirnov));
        QCOMPARE(grid()->rowCount(), 4);
        QCOMPARE(gridRow(3), smirnov);
    }

    void failedSaveKeepsTheWindowAndGrid()
    {
        showBox();
        QFile::remove(path());
        QVERIFY(m_shop.dir.mkpath("clients.dat/inside"));
        grid()->item(0, 0)->setText("Иванов-Петров");
        QTest::mouseClick(button("SaveBtn"), Qt::LeftButton);
        QCOMPARE(m_fakes.errorReport.reported.size(), 1);
        QVERIFY(m_fakes.errorReport.reported.first().startsWith("Cannot create file"));
        QVERIFY(m_box->isVisible());
        QCOMPARE(grid()->item(0, 0)->text(), QStringLiteral("Иванов-Петров"));
    }
};

QTEST_MAIN(TestClientsDialog)
#include "tst_clientsdialog.moc"
