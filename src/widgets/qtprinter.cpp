#include "widgets/qtprinter.h"

#include "base/error.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStandardPaths>
#include <QTextDocument>
#include <algorithm>
#include <numeric>

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

// The printer dialog with only what the job honours: the whole order is always printed, so there
// is no choice of pages. Qt's own dialog shows its page range group whenever the print system
// could filter pages; it is hidden here each time the dialog is shown.
class OrderPrintDialog : public QPrintDialog {
public:
    OrderPrintDialog(QPrinter* printer, QWidget* parent, const QString& proposedFile) : QPrintDialog(printer, parent)
    {
        setObjectName(QStringLiteral("PrinterSetupDialog"));
        setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                   QAbstractPrintDialog::PrintCollateCopies);
        // Printing to a file proposes a file of this order's own, never the previous order's.
        if (auto* file = findChild<QLineEdit*>(QStringLiteral("filename")))
            file->setText(proposedFile);
    }

    void setVisible(bool visible) override
    {
        QPrintDialog::setVisible(visible);
        if (visible)
            if (auto* range = findChild<QGroupBox*>(QStringLiteral("gbPrintRange")))
                range->hide();
    }
};

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

} // namespace

QString freshOrderFile(const QString& folder, const QDateTime& when)
{
    return freshPdfFile(folder, QStringLiteral("Заказ ") + when.toString(QStringLiteral("yyyy-MM-dd HH-mm")));
}

QFont orderFont()
{
    const QString family = QStringLiteral("MS Sans Serif");
    QFont font = QFontDatabase::hasFamily(family) ? QFont(family) : QApplication::font();
    font.setPixelSize(13);
    return font;
}

QString freshPdfFile(const QString& folder, const QString& stem)
{
    const QDir dir(folder);
    QString name = stem + QStringLiteral(".pdf");
    for (int n = 2; dir.exists(name); ++n)
        name = QStringLiteral("%1 (%2).pdf").arg(stem).arg(n);
    return dir.filePath(name);
}

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
    p.setPrintRange(QPrinter::AllPages);
    p.setFromTo(0, 0);
    const QString folder = m_pdfFolder.isEmpty() ? documentsFolder() : m_pdfFolder;
    const QString proposed =
        m_pdfName.isEmpty() ? freshOrderFile(folder, QDateTime::currentDateTime()) : freshPdfFile(folder, m_pdfName);
    OrderPrintDialog dialog(&p, m_parent, proposed);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // The whole order, whatever the print system was told before.
    p.setPrintRange(QPrinter::AllPages);
    p.setFromTo(0, 0);
    return true;
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

    // The pages in the order and the number of copies the dialog asked for; a print system that
    // makes copies itself gets each page once.
    std::vector<int> order(size_t(document.pageCount()));
    std::iota(order.begin(), order.end(), 0);
    if (p.pageOrder() == QPrinter::LastPageFirst)
        std::reverse(order.begin(), order.end());
    const int copies = p.supportsMultipleCopies() ? 1 : std::max(1, p.copyCount());
    std::vector<int> sheets;
    if (p.collateCopies()) {
        for (int c = 0; c < copies; ++c)
            sheets.insert(sheets.end(), order.begin(), order.end());
    } else {
        for (int i : order)
            sheets.insert(sheets.end(), size_t(copies), i);
    }

    for (size_t sheet = 0; sheet < sheets.size(); ++sheet) {
        const int i = sheets[sheet];
        if (sheet > 0 && !p.newPage()) {
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
