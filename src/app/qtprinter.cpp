#include "qtprinter.h"

#include "error.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>

namespace korvanta {

namespace {

[[noreturn]] void fail(const QString& reason)
{
    throw Error(QStringLiteral("Printing failed: %1").arg(reason));
}

// A font sized in screen pixels keeps its size on paper: it is given to the printer in points.
QFont paperFont(QFont font)
{
    if (font.pixelSize() > 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
        font.setPointSizeF(font.pixelSize() * 72.0 / (dpi > 0 ? dpi : 96.0));
    }
    return font;
}

} // namespace

QtPrinter::QtPrinter() = default;
QtPrinter::~QtPrinter() = default;

QPrinter& QtPrinter::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

bool QtPrinter::setup()
{
    QPrinter& p = printer();
    if (!m_outputPdf.isEmpty()) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(m_outputPdf);
        return true;
    }
    QPrintDialog dialog(&p, m_parent);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog"));
    return dialog.exec() == QDialog::Accepted;
}

void QtPrinter::print(const QStringList& lines, const QString& jobTitle)
{
    QPrinter& p = printer();
    if (!p.isValid())
        fail(QStringLiteral("the printer is not valid"));
    p.setDocName(jobTitle);
    p.setFullPage(false);

    // Laid out on the printer itself, without margins of our own: the printable area is the page.
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&p);
    document.setDocumentMargin(0);
    document.setDefaultFont(paperFont(m_font));
    document.setPlainText(lines.join(QLatin1Char('\n')));

    QPainter painter;
    if (!painter.begin(&p))
        fail(QStringLiteral("the print job could not be started"));
    const QSizeF page = p.pageLayout().paintRectPixels(p.resolution()).size();
    if (page.isEmpty()) {
        painter.end();
        fail(QStringLiteral("the page has no printable area"));
    }
    document.setPageSize(page);
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !p.newPage()) {
            painter.end();
            fail(QStringLiteral("a new page could not be started"));
        }
        painter.save();
        painter.translate(0, -i * page.height());
        document.drawContents(&painter, QRectF(QPointF(0, i * page.height()), page));
        painter.restore();
    }
    if (!painter.end() || p.printerState() == QPrinter::Error)
        fail(QStringLiteral("the print job could not be completed"));
}

} // namespace korvanta
