#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

namespace korvanta {

// The file dialogs of the spreadsheet export and import; tests answer them from a script.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The file to write, starting at `proposed`; empty when cancelled.
    virtual QString saveFile(const QString& caption, const QString& proposed) = 0;
    // The file to read, starting in `folder`; empty when cancelled.
    virtual QString openFile(const QString& caption, const QString& folder) = 0;
    // A PDF file to write, starting at `proposed`; empty when cancelled.
    virtual QString savePdfFile(const QString& caption, const QString& proposed) { return saveFile(caption, proposed); }
};

// The desktop's file dialogs, offering workbooks (.xlsx) and CSV files.
class QtFileChooser : public FileChooser {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    QString saveFile(const QString& caption, const QString& proposed) override;
    QString openFile(const QString& caption, const QString& folder) override;
    QString savePdfFile(const QString& caption, const QString& proposed) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace korvanta
