#pragma once

#include "base/error.h"
#include "base/facilities.h"

#include <QStringList>
#include <functional>

// Fakes of the screen and desktop facilities: they record what the logic asked for and answer
// as the test scripts them.
namespace korvanta::testing {

struct FakeMessageBox : MessageBox {
    QStringList shown;
    void showError(const QString& text) override { shown.append(text); }
};

struct FakeErrorReport : ErrorReport {
    QStringList reported;
    void report(const QString& message) override { reported.append(message); }
};

struct FakePrinter : Printer {
    bool confirm = true; // the user's answer in the printer dialog
    QString failWith;    // non-empty: the print job fails
    int setups = 0;
    QList<QStringList> printed;
    QStringList titles;
    // Runs while the job prints: another copy's change after the order's lists were checked.
    std::function<void()> whilePrinting;
    bool setup() override
    {
        ++setups;
        return confirm;
    }
    void print(const QStringList& lines, const QString& title) override
    {
        if (whilePrinting)
            whilePrinting();
        if (!failWith.isEmpty())
            throw Error(failWith);
        printed.append(lines);
        titles.append(title);
    }
};

struct FakeShell : Shell {
    QStringList opened;
    void open(const QString& target) override { opened.append(target); }
};

struct FakeHelp : Help {
    QList<int> topics;
    void showTopic(int context) override { topics.append(context); }
};

// Answers the folder dialog from a script; an exhausted script cancels.
struct FakeFolderDialog : FolderDialog {
    QStringList answers;
    QStringList starts;
    QString chooseFolder(const QString&, const QString& start) override
    {
        starts.append(start);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

struct Fakes {
    FakeMessageBox messageBox;
    FakeErrorReport errorReport;
    FakePrinter printer;
    FakeShell shell;
    FakeHelp help;
    Facilities facilities() { return Facilities{&messageBox, &errorReport, &printer, &shell, &help}; }
};

} // namespace korvanta::testing
