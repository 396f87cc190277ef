#pragma once

#include <QString>
#include <QStringList>

// What the logic needs from the screen and the desktop. The application implements these with
// Qt widgets; tests use fakes that record the calls and give scripted answers.
namespace korvanta {

// The program's own modal message: caption "Error", error icon, one OK button.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void showError(const QString& text) = 0;
};

// The report of a failure that a handler did not catch: caption "KORVANTA", error icon, one OK.
class ErrorReport {
public:
    virtual ~ErrorReport() = default;
    virtual void report(const QString& message) = 0;
};

// The text the error report shows: a "." is appended when the last character sorts after ".".
QString errorReportText(const QString& message);

// The printer set-up dialog and one titled print job.
class Printer {
public:
    virtual ~Printer() = default;
    // True when the user confirmed the dialog.
    virtual bool setup() = 0;
    // Prints the lines as one job; throws Error on any failure.
    virtual void print(const QStringList& lines, const QString& jobTitle) = 0;
};

// The desktop's "open" for a file name or an address; the result is ignored.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open(const QString& target) = 0;
};

// The help viewer, by context number.
class Help {
public:
    virtual ~Help() = default;
    virtual void showTopic(int context) = 0;
};

// The folder dialog: asks the user for a folder, starting in `start`. Empty when cancelled.
class FolderDialog {
public:
    virtual ~FolderDialog() = default;
    virtual QString chooseFolder(const QString& caption, const QString& start) = 0;
};

// The facilities a window model is given; a null pointer is a facility that is not there.
struct Facilities {
    MessageBox* messageBox = nullptr;
    ErrorReport* errorReport = nullptr;
    Printer* printer = nullptr;
    Shell* shell = nullptr;
    Help* help = nullptr;
};

} // namespace korvanta
