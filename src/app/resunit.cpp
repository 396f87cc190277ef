#include "resunit.h"

#include "contexthelp.h"
#include "guard.h"
#include "mainstate.h"
#include "qtprinter.h"
#include "shipment.h"
#include "summary.h"
#include "windowparts.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFrame>
#include <QIcon>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>

namespace korvanta {

namespace {

constexpr int ClientWidth = 466;
constexpr int ClientHeight = 375;

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

// The order's own font, 13 pixels high, in which it is also printed.
QFont orderFont()
{
    QFont font = QFontDatabase::hasFamily(WindowFamily) ? QFont(WindowFamily) : QApplication::font();
    font.setPixelSize(13);
    return font;
}

} // namespace

TResForm::TResForm(MainState& state, const Facilities& facilities, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint),
      m_state(state), m_facilities(facilities)
{
    setObjectName(QStringLiteral("TResForm"));
    setWindowTitle(QStringLiteral("Итого..."));
    setHelpContext(this, 17);
    setFont(windowFont());
    setFixedSize(ClientWidth, ClientHeight);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bevel->setGeometry(8, 8, 449, 265);

    m_printBtn = makeButton(this, QStringLiteral("PrintBtn"), QStringLiteral("Печатать"), QStringLiteral("print"),
                            QRect(160, 344, 137, 25));
    // Printing ships the order: only the button itself starts it, never Return or Enter.
    m_printBtn->setAutoDefault(false);
    m_printBtn->setDefault(false);
    connect(m_printBtn, &QPushButton::clicked, this, &TResForm::PrintBtnClick);

    m_resEdit = new QTextEdit(this);
    m_resEdit->setObjectName(QStringLiteral("ResEdit"));
    m_resEdit->setGeometry(8, 8, 449, 329);
    m_resEdit->setReadOnly(true);
    m_resEdit->setFont(orderFont());
    m_resEdit->setAcceptRichText(false);
    m_resEdit->setFrameShape(QFrame::NoFrame);
    m_resEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = m_resEdit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    m_resEdit->setPalette(palette);

    m_checkBox1 = new QCheckBox(QStringLiteral("Отгрузка"), this);
    m_checkBox1->setObjectName(QStringLiteral("CheckBox1"));
    m_checkBox1->setChecked(true);
    m_checkBox1->setEnabled(false);
    m_checkBox1->setGeometry(24, 352, std::max(73, m_checkBox1->sizeHint().width()), 17);

    QWidget::setTabOrder(m_printBtn, m_resEdit);
    m_printBtn->setFocus();
}

void TResForm::preparePrinter(QtPrinter& printer)
{
    // The lines go to paper in the view's font.
    printer.setFont(m_resEdit->font());
    printer.setParent(this);
}

void TResForm::showLines()
{
    m_resEdit->setPlainText(m_lines.join(QLatin1Char('\n')));
}

void TResForm::FormShow()
{
    guarded(m_facilities.errorReport, [&] {
        const Summary summary = summarize(m_state.order);
        m_lines = summary.lines;
        showLines();
        if (summary.failure) {
            // Told once the window stands on the screen with the lines so far.
            QTimer::singleShot(0, this, [this, failure = *summary.failure] {
                if (m_facilities.errorReport)
                    m_facilities.errorReport->report(failure);
            });
        }
    });
}

void TResForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        centreOnScreen(this);
        FormShow();
        m_printBtn->setFocus();
    }
    QDialog::showEvent(event);
}

void TResForm::PrintBtnClick()
{
    bool close = false;
    guarded(m_facilities.errorReport, [&] {
        appendStatusLines(m_lines);
        showLines();
        printAndShip(m_state, m_lines, m_facilities.printer, m_facilities.messageBox);
        close = true;
    });
    if (close)
        accept();
}

} // namespace korvanta
