#pragma once

#include "base/facilities.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QPushButton;
class QTextEdit;

namespace korvanta {

class MainState;
class QtPrinter;

// The summary window "Итого...": the order text, composed afresh at every showing, and the button
// that prints it and ships the order.
class SummaryDialog : public QDialog {
    Q_OBJECT
public:
    SummaryDialog(MainState& state, const Facilities& facilities, QWidget* parent = nullptr);

    // The lines the view holds.
    const QStringList& lines() const { return m_lines; }

    // Readies the Qt printer for this window's jobs: its dialog's owner, the font of the paper.
    void preparePrinter(QtPrinter& printer);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void composeOrder();
    void printAndClose();
    void showLines();

    MainState& m_state;
    Facilities m_facilities;
    QStringList m_lines;
    QTextEdit* m_resEdit = nullptr;
    QPushButton* m_printBtn = nullptr;
    QCheckBox* m_checkBox1 = nullptr;
};

} // namespace korvanta
