// The summary window on screen: its controls, the text at every showing, printing to paper (a PDF
// file here) and shipping.
#include "app/summarydialog.h"
#include "common/fakes.h"
#include "common/testshop.h"
#include "presentation/mainstate.h"
#include "quotation/summary.h"
#include "widgets/qtprinter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

const QString Status = QStringLiteral("Статус: ОТГРУЖЕНО");

// Every price list holds the none entry and "<stem> модель А" at 10.5 with 5 in stock.
QList<QStringList> oneModel(const QString& file)
{
    return {record("нет", "0", "0"), record(TestShop::stem(file) + " модель А", "10.5", "5")};
}

struct Fixture : TestShop {
    Fakes fakes;
    QtPrinter qtPrinter;
    Facilities facilities;
    std::unique_ptr<MainState> state;
    std::unique_ptr<SummaryDialog> form;

    // `paper`: print through Qt into a PDF file instead of the fake printer.
    explicit Fixture(bool paper = false) : TestShop(Files::Every, oneModel)
    {
        facilities = fakes.facilities();
        if (paper) {
            qtPrinter.setOutputPdf(pdf());
            facilities.printer = &qtPrinter;
        }
        state = std::make_unique<MainState>(facilities, QLatin1Char('.'), folder);
        state->order.orderDate = OrderDate{7, 11, 2005};
        form = std::make_unique<SummaryDialog>(*state, facilities, nullptr);
        if (paper)
            form->preparePrinter(qtPrinter);
    }
    QString pdf() const { return path(QStringLiteral("order.pdf")); }
    void choose(Cat c, int index)
    {
        state->enterPage(category(c).page);
        state->chooseItem(c, index);
    }
    template <typename T> T* child(const QString& name) const
    {
        T* w = form->findChild<T*>(name);
        if (!w)
            qFatal("no child %s", qPrintable(name));
        return w;
    }
    QString text() const { return child<QTextEdit>(QStringLiteral("ResEdit"))->toPlainText(); }
    void clickPrint() { QTest::mouseClick(child<QPushButton>(QStringLiteral("PrintBtn")), Qt::LeftButton); }
    QString stock(const QString& file) const { return recordLine(list(file), 1, StockLine); }
};

// The output of a poppler tool; empty when it fails.
QString poppler(const QString& tool, const QStringList& args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of the file, or of its one page given.
QString pdfText(const QString& path, int page = 0)
{
    QStringList args = {QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    return poppler(QStringLiteral("pdftotext"), args << path << QStringLiteral("-"));
}

int pdfPages(const QString& path)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s*(\\d+)"), QRegularExpression::MultilineOption)
            .match(poppler(QStringLiteral("pdfinfo"), {path}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Every non-blank line appears in the extracted text, in order (blanks compared loosely).
bool inOrder(const QStringList& lines, const QString& extracted, QString* missing)
{
    const QString text = extracted.simplified();
    qsizetype from = 0;
    for (const QString& line : lines) {
        const QString wanted = line.simplified();
        if (wanted.isEmpty())
            continue;
        const qsizetype at = text.indexOf(wanted, from);
        if (at < 0) {
            *missing = line;
            return false;
        }
        from = at + wanted.size();
    }
    return true;
}

bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

} // namespace

class TestSummaryDialog : public QObject {
    Q_OBJECT

private slots:
    void windowAndControls()
    {
        Fixture f;
        SummaryDialog& form = *f.form;
        QCOMPARE(form.objectName(), QStringLiteral("TResForm"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Итого..."));
        QCOMPARE(form.property("helpContext").toInt(), 17);
        QCOMPARE(form.size(), QSize(466, 375));
        QCOMPARE(form.minimumSize(), form.maximumSize());

        auto* edit = f.child<QTextEdit>(QStringLiteral("ResEdit"));
        QCOMPARE(edit->geometry(), QRect(8, 8, 449, 329));
        QVERIFY(edit->isReadOnly());
        QCOMPARE(edit->frameShape(), QFrame::NoFrame);
        QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(edit->palette().color(QPalette::Base), form.palette().color(QPalette::Window));

        auto* print = f.child<QPushButton>(QStringLiteral("PrintBtn"));
        QCOMPARE(print->text(), QStringLiteral("Печатать"));
        QCOMPARE(print->geometry(), QRect(160, 344, 137, 25));
        QVERIFY(!print->icon().isNull());

        auto* check = f.child<QCheckBox>(QStringLiteral("CheckBox1"));
        QCOMPARE(check->text(), QStringLiteral("Отгрузка"));
        QVERIFY(check->isChecked());
        QVERIFY(!check->isEnabled());
        QCOMPARE(check->pos(), QPoint(24, 352));

        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.focusWidget(), print);
        // The window stands in the middle of the screen.
        const QRect screen = form.screen()->availableGeometry();
        QVERIFY(qAbs(form.frameGeometry().center().x() - screen.center().x()) <= 2);
        QVERIFY(qAbs(form.frameGeometry().center().y() - screen.center().y()) <= 2);
        form.reject();
    }

    // Printing ships the order, so only the button itself starts it.
    void onlyTheButtonStartsPrinting_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("setups");
        QTest::newRow("Return in the text") << "ResEdit" << int(Qt::Key_Return) << 0;
        QTest::newRow("Enter in the text") << "ResEdit" << int(Qt::Key_Enter) << 0;
        QTest::newRow("Return on the button") << "PrintBtn" << int(Qt::Key_Return) << 0;
        QTest::newRow("Enter on the button") << "PrintBtn" << int(Qt::Key_Enter) << 0;
        QTest::newRow("Space on the button") << "PrintBtn" << int(Qt::Key_Space) << 1;
        QTest::newRow("click on the button") << "PrintBtn" << 0 << 1;
    }

    void onlyTheButtonStartsPrinting()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, setups);
        Fixture f;
        f.fakes.printer.confirm = false;
        f.choose(Cat::Mon, 1);
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QWidget* target = f.child<QWidget>(focus);
        target->setFocus();
        if (key)
            QTest::keyClick(target, Qt::Key(key));
        else
            f.clickPrint();
        QCOMPARE(f.fakes.printer.setups, setups);
        QCOMPARE(f.form->isVisible(), setups == 0);
        // The dialog was cancelled: the window closes with nothing printed or shipped.
        QVERIFY(f.fakes.printer.printed.isEmpty());
        QCOMPARE(f.stock(QStringLiteral("Monitor.dat")), QStringLiteral("5"));
        QVERIFY(f.fakes.errorReport.reported.isEmpty());
        f.form->reject();
    }

    // The order has its own 13-pixel font, and is printed in it.
    void orderHasItsOwnFont()
    {
        Fixture f(true);
        const QFont font = f.child<QTextEdit>(QStringLiteral("ResEdit"))->font();
        QCOMPARE(font.pixelSize(), 13);
        QCOMPARE(f.qtPrinter.font(), font);
        QVERIFY(f.form->font().pixelSize() != 13);
    }

    void textIsComposedAtEveryShowing()
    {
        Fixture f;
        f.choose(Cat::Vint, 1);
        f.form->show();
        const QStringList first = composeSummary(f.state->order);
        QCOMPARE(f.text(), first.join(QLatin1Char('\n')));
        QCOMPARE(f.form->lines(), first);
        QVERIFY(f.text().contains(QStringLiteral("Vint модель А:  10.5 у.е.")));
        f.form->reject();

        // A printed text does not carry over, and the new selection and VAT box show.
        f.fakes.printer.confirm = false;
        f.form->show();
        f.clickPrint();
        QVERIFY(f.text().endsWith(Status));
        f.choose(Cat::Mon, 1);
        f.state->setVatCharged(true);
        f.form->show();
        const QStringList second = composeSummary(f.state->order);
        QCOMPARE(second.size(), first.size() + 3);
        QCOMPARE(f.text(), second.join(QLatin1Char('\n')));
        f.form->reject();
        f.form->show();
        QCOMPARE(f.text(), second.join(QLatin1Char('\n')));
        QVERIFY(f.fakes.errorReport.reported.isEmpty());
    }

    void badPriceShowsTheLinesSoFarThenReports()
    {
        Fixture f;
        f.choose(Cat::Case, 1);
        f.choose(Cat::Mon, 1);
        f.state->order.computer[Cat::Case].price = QStringLiteral("10,5");
        f.form->show();
        QCOMPARE(f.form->lines(), QStringList({QStringLiteral("Заказ выполнен: 7.11.2005"), SummarySeparator,
                                               QStringLiteral("Case модель А:  10,5 у.е.")}));
        QCOMPARE(f.text(), f.form->lines().join(QLatin1Char('\n')));
        QTRY_COMPARE(f.fakes.errorReport.reported,
                     QStringList({QStringLiteral("'10,5' is not a valid floating point value")}));
        QVERIFY(f.form->isVisible());
    }

    void printingToPaperShipsAndCloses()
    {
        if (!havePoppler())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed");
        Fixture f(true);
        f.choose(Cat::Case, 1);
        f.choose(Cat::Vint, 1);
        f.choose(Cat::Scan, 1);
        f.choose(Cat::Speak, 1);
        f.state->setVatCharged(true);
        f.form->show();
        const QStringList summary = f.form->lines();
        f.clickPrint();
        QVERIFY(!f.form->isVisible());
        QCOMPARE(f.form->result(), int(QDialog::Accepted));
        QVERIFY(f.fakes.messageBox.shown.isEmpty());
        QVERIFY(f.fakes.errorReport.reported.isEmpty());

        const QString printed = pdfText(f.pdf());
        QString missing;
        QVERIFY2(inOrder(summary + QStringList({Status}), printed, &missing), qPrintable(missing + "\n" + printed));
        QVERIFY(printed.indexOf(QStringLiteral("Scan модель А")) < printed.indexOf(QStringLiteral("Speak модель А")));
        QCOMPARE(pdfPages(f.pdf()), 1);
        for (const QString& file : {QStringLiteral("Case.dat"), QStringLiteral("Vint.dat"), QStringLiteral("Scan.dat"),
                                    QStringLiteral("Speak.dat")})
            QCOMPARE(f.stock(file), QStringLiteral("4"));
        QCOMPARE(f.stock(QStringLiteral("Monitor.dat")), QStringLiteral("5"));
    }

    void longTextWrapsAndRunsOverPages()
    {
        if (!havePoppler())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed");
        QTemporaryDir tmp;
        const QString pdf = QDir(tmp.path()).filePath(QStringLiteral("long.pdf"));
        QtPrinter printer;
        printer.setOutputPdf(pdf);
        QStringList lines;
        for (int i = 1; i <= 200; ++i)
            lines << QStringLiteral("Строка %1 заказа").arg(i);
        QStringList words;
        for (int i = 0; i < 60; ++i)
            words << QStringLiteral("слово%1").arg(i);
        lines << words.join(QLatin1Char(' ')) << Status;
        QVERIFY(printer.setup());
        printer.print(lines, QStringLiteral("Итого..."));
        QVERIFY(pdfPages(pdf) > 1);
        const QString printed = pdfText(pdf);
        QString missing;
        QVERIFY2(inOrder(lines.mid(0, 200) + QStringList({Status}), printed, &missing), qPrintable(missing));
        // The long line is wrapped at the page width, not cut off.
        QVERIFY(printed.contains(QStringLiteral("слово0")));
        QVERIFY(printed.contains(QStringLiteral("слово59")));
        QVERIFY(!printed.contains(QStringLiteral("слово0 слово1 слово2 слово3 слово4 слово5 слово6 слово7 слово8 "
                                                 "слово9 слово10 слово11 слово12 слово13 слово14 слово15 слово16 "
                                                 "слово17 слово18 слово19 слово20 слово21 слово22 слово23 слово24 "
                                                 "слово25 слово26 слово27 слово28 слово29")));
        // The job carries its title.
        QVERIFY(poppler(QStringLiteral("pdfinfo"), {pdf}).contains(QStringLiteral("Итого...")));
    }

    // The printer dialog: no choice of pages, since the whole order is always printed; the copies
    // and the page order it offers are honoured; a PDF file is proposed afresh for every order.
    void printerDialogOffersWhatIsHonoured()
    {
        if (!havePoppler())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed");
        QTemporaryDir tmp;
        QtPrinter printer;
        printer.setPdfFolder(tmp.path());
        QStringList lines;
        for (int i = 1; i <= 120; ++i)
            lines << QStringLiteral("Строка %1 заказа").arg(i);

        struct Order {
            int copies;
            bool reverse;
            QString proposed;
            QStringList spinBoxes, lineEdits;
        };
        QList<Order> orders = {{2, false, {}, {}, {}}, {1, true, {}, {}, {}}};
        for (Order& order : orders) {
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                // Printing into a file whatever printers the machine has: its entry follows them.
                if (auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers")))
                    printers->setCurrentIndex(printers->count() - 1);
                // Everything the dialog offers, its options unfolded.
                for (auto* button : dialog->findChildren<QPushButton*>())
                    if (button->text().contains(QStringLiteral(">>")))
                        button->click();
                for (auto* spin : dialog->findChildren<QSpinBox*>())
                    if (spin->isVisible())
                        order.spinBoxes << spin->objectName();
                for (auto* edit : dialog->findChildren<QLineEdit*>())
                    if (edit->isVisible() && !qobject_cast<QSpinBox*>(edit->parent()))
                        order.lineEdits << edit->objectName();
                if (auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
                    order.proposed = file->text();
                if (auto* copies = dialog->findChild<QSpinBox*>(QStringLiteral("copies")))
                    copies->setValue(order.copies);
                if (auto* collate = dialog->findChild<QCheckBox*>(QStringLiteral("collate")))
                    collate->setChecked(true);
                if (auto* reverse = dialog->findChild<QCheckBox*>(QStringLiteral("reverse")))
                    reverse->setChecked(order.reverse);
                dialog->accept();
            });
            QVERIFY(printer.setup());
            // Nothing but the number of copies and the file's name is typed in.
            QCOMPARE(order.spinBoxes, QStringList{QStringLiteral("copies")});
            QCOMPARE(order.lineEdits, QStringList{QStringLiteral("filename")});
            QCOMPARE(QFileInfo(order.proposed).absolutePath(), QFileInfo(tmp.path()).absoluteFilePath());
            QVERIFY2(
                QRegularExpression(QStringLiteral("^Заказ \\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d( \\(\\d+\\))?\\.pdf$"))
                    .match(QFileInfo(order.proposed).fileName())
                    .hasMatch(),
                qPrintable(order.proposed));
            QVERIFY(!QFile::exists(order.proposed));
            printer.print(lines, QStringLiteral("Итого..."));
            QVERIFY(QFile::exists(order.proposed));
        }
        // Two collated copies of the order; then one copy, last page first.
        const int pages = pdfPages(orders[1].proposed);
        QVERIFY(pages >= 2);
        QVERIFY(pdfText(orders[1].proposed, 1).contains(QStringLiteral("Строка 120 ")));
        QCOMPARE(pdfPages(orders[0].proposed), 2 * pages);
        QVERIFY(pdfText(orders[0].proposed, pages + 1).contains(QStringLiteral("Строка 1 ")));
    }

    void freshOrderFileNames()
    {
        QTemporaryDir tmp;
        const QDateTime when(QDate(2026, 12, 7), QTime(15, 4, 31));
        const QString first = freshOrderFile(tmp.path(), when);
        QCOMPARE(first, QDir(tmp.path()).filePath(QStringLiteral("Заказ 2026-12-07 15-04.pdf")));
        writeBytes(first, "%PDF");
        const QString second = freshOrderFile(tmp.path(), when);
        QCOMPARE(second, QDir(tmp.path()).filePath(QStringLiteral("Заказ 2026-12-07 15-04 (2).pdf")));
        writeBytes(second, "%PDF");
        QCOMPARE(QFileInfo(freshOrderFile(tmp.path(), when)).fileName(),
                 QStringLiteral("Заказ 2026-12-07 15-04 (3).pdf"));
    }

    void failedPrintIsToldAndStillShips()
    {
        Fixture f(true);
        f.qtPrinter.setOutputPdf(f.dir.filePath(QStringLiteral("no such folder/order.pdf")));
        f.choose(Cat::Mon, 1);
        f.form->show();
        f.clickPrint();
        QCOMPARE(f.fakes.messageBox.shown,
                 QStringList({QStringLiteral("Ошибка печати документа! Проверьте принтер!")}));
        QCOMPARE(f.stock(QStringLiteral("Monitor.dat")), QStringLiteral("4"));
        QVERIFY(!f.form->isVisible());
    }

    void failedShipmentKeepsTheWindowOpen()
    {
        Fixture f;
        f.choose(Cat::Case, 1);
        f.choose(Cat::Vint, 1);
        f.choose(Cat::Mon, 1);
        // Another copy's change after the order's lists were checked, while the job prints.
        f.fakes.printer.whilePrinting = [&] {
            QVERIFY(QFile::remove(f.dir.filePath(QStringLiteral("Vint.dat"))));
            QVERIFY(f.dir.mkdir(QStringLiteral("Vint.dat")));
        };
        f.form->show();
        f.clickPrint();
        QCOMPARE(f.fakes.errorReport.reported.size(), 1);
        // The folder in the list's place fails the reading that comes before the write.
        QVERIFY(f.fakes.errorReport.reported.first().startsWith(QStringLiteral("Cannot open file \"")));
        QVERIFY(f.form->isVisible());
        QVERIFY(f.text().endsWith(Status));
        QCOMPARE(f.fakes.printer.printed.size(), 1);
    }
};

QTEST_MAIN(TestSummaryDialog)
#include "tst_summarydialog.moc"
