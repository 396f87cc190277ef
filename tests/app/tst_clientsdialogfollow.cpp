// The client base window while another copy saves clients.dat: the salesperson is asked, and the
// window shows the saved base only when told to.
#include "app/clientsdialog.h"
#include "common/fakes.h"
#include "common/shopfiles.h"
#include "files/shopwatcher.h"

#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

class TestClientsDialogFollow : public QObject {
    Q_OBJECT

private slots:
    void asksBeforeShowingAnotherCopysSave_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("rows");
        QTest::newRow("shown") << true << 3;
        QTest::newRow("declined") << false << 2;
    }
    void asksBeforeShowingAnotherCopysSave()
    {
        QFETCH(bool, answer);
        QFETCH(int, rows);
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("clients.dat"));
        writeBytes(path, crlf({"Иванов", "1", "", "", "Петрова", "2", "", ""}));
        Fakes fakes;
        ClientsDialog box(fakes.facilities(), nullptr, dir.path());
        QStringList asked;
        box.setQuestion([&](const QString& question) {
            asked << question;
            return answer;
        });
        box.show();
        auto* grid = box.findChild<QTableWidget*>(QStringLiteral("ClGrid"));
        QCOMPARE(grid->rowCount(), 2);
        writeBytes(path, crlf({"Иванов", "1", "", "", "Петрова", "2", "", "", "Сидоров", "3", "", ""}));
        QTRY_COMPARE(asked.size(), 1);
        QCOMPARE(asked.first(), ClientBase::savedElsewhereQuestion());
        QCOMPARE(grid->rowCount(), rows);
        QCOMPARE(box.clientBase().customerCount(), rows);
        QCOMPARE(fakes.errorReport.reported, QStringList());
        // Nothing new, nothing asked; a base saved again while declined is asked about again.
        box.watcher().check();
        QCOMPARE(asked.size(), 1);
        if (!answer) {
            writeBytes(path, crlf({"Иванов", "1", "", ""}));
            QTRY_COMPARE(asked.size(), 2);
        }
    }
};

QTEST_MAIN(TestClientsDialogFollow)
#include "tst_clientsdialogfollow.moc"
