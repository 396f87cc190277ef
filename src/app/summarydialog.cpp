#include "app/summarydialog.h"

#include "presentation/mainstate.h"
#include "quotation/shipment.h"
#include "quotation/summary.h"
#include "ui_summarydialog.h"
#include "widgets/contexthelp.h"
#include "widgets/guard.h"
#include "widgets/qtprinter.h"
#include "widgets/windowparts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>

namespace korvanta {

namespace {

const QString WindowFamily = QStringLiteral("MS Sans Serif");

// "MS Sans Serif", 11 pixels where it is installed; elsewhere the application's own font, which
// has Cyrillic letters.
QFont windowFont()
{
    if (QFontDatabase::hasFamily(WindowFamily)) {
        QFont font(WindowFamily);
        font.setPixelSize(11);
        return font;
    }
    return QApplication::font();
}

} // namespace

SummaryDialog::SummaryDialog(MainState& state, const Facilities& facilities, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint),
      m_state(state), m_facilities(facilities)
{
    // The fonts depend on what is installed: they are set here, the window's before the form builds
    // its controls.
    setFont(windowFont());
    Ui::SummaryDialog ui;
    ui.setupUi(this);
    m_printBtn = ui.PrintBtn;
    m_resEdit = ui.ResEdit;
    m_checkBox1 = ui.CheckBox1;
    connect(m_printBtn, &QPushButton::clicked, this, &SummaryDialog::printAndClose);

    m_resEdit->setFont(orderFont());
    // The text stands on the window's colour, not on an edit's.
    QPalette palette = m_resEdit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    m_resEdit->setPalette(palette);

    // Wide enough for its text in whatever font the window got.
    m_checkBox1->resize(std::max(m_checkBox1->width(), m_checkBox1->sizeHint().width()), m_checkBox1->height());

    m_printBtn->setFocus();
}

void SummaryDialog::preparePrinter(QtPrinter& printer)
{
    // The lines go to paper in the view's font.
    printer.setFont(m_resEdit->font());
    printer.setParent(this);
}

void SummaryDialog::showLines()
{
    m_resEdit->setPlainText(m_lines.join(QLatin1Char('\n')));
}

void SummaryDialog::composeOrder()
{
    // The order shows its lists as they are now; what changed in it is told once the window stands
    // on the screen. A list that cannot be read is reported after the order as it stands is shown.
    guarded(m_facilities.errorReport, [&] {
        QStringList told;
        try {
            told = m_state.followOrder();
        } catch (const Error& e) {
            QTimer::singleShot(0, this, [this, failure = e.message()] {
                if (m_facilities.errorReport)
                    m_facilities.errorReport->report(failure);
            });
        }
        const Summary summary = summarize(m_state.order);
        m_lines = summary.lines;
        showLines();
        if (!told.isEmpty()) {
            QTimer::singleShot(0, this, [this, told] {
                if (m_facilities.messageBox)
                    for (const QString& text : told)
                        m_facilities.messageBox->showError(text);
            });
        }
        if (summary.failure) {
            // Told once the window stands on the screen with the lines so far.
            QTimer::singleShot(0, this, [this, failure = *summary.failure] {
                if (m_facilities.errorReport)
                    m_facilities.errorReport->report(failure);
            });
        }
    });
}

void SummaryDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        centreOnScreen(this);
        composeOrder();
        m_printBtn->setFocus();
    }
    QDialog::showEvent(event);
}

void SummaryDialog::printAndClose()
{
    bool close = false;
    guarded(m_facilities.errorReport, [&] {
        appendStatusLines(m_lines);
        showLines();
        try {
            printAndShip(m_state, m_lines, m_facilities.printer, m_facilities.messageBox);
        } catch (const OrderChangedError&) {
            // Nothing was printed: the window shows the order as the lists now make it.
            m_lines = summarize(m_state.order).lines;
            showLines();
            throw;
        }
        close = true;
    });
    if (close)
        accept();
}

} // namespace korvanta
