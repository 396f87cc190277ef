#pragma once

#include "base/facilities.h"

#include <QDateTime>
#include <QFont>
#include <QPointer>
#include <QWidget>
#include <memory>

class QPrinter;

namespace korvanta {

// The printer dialog and the print job on Qt's printing. The printer chosen in the dialog stays
// the current printer for the next job.
class QtPrinter : public Printer {
public:
    QtPrinter();
    ~QtPrinter() override;

    // Owner of the printer dialog.
    void setParent(QWidget* parent) { m_parent = parent; }
    // The font the lines are printed in: the summary view's.
    void setFont(const QFont& font) { m_font = font; }
    const QFont& font() const { return m_font; }
    // Prints into this PDF file, confirming the dialog without showing it; empty: ask the user.
    void setOutputPdf(const QString& path) { m_outputPdf = path; }
    // The folder in which the dialog proposes a PDF file of the order; empty: the user's documents.
    void setPdfFolder(const QString& folder) { m_pdfFolder = folder; }
    // The name the proposed PDF file starts with; empty: "Заказ" and the date and time.
    void setPdfName(const QString& stem) { m_pdfName = stem; }

    bool setup() override;
    // The lines, laid out over the printable area of as many pages as they need, as one job.
    void print(const QStringList& lines, const QString& jobTitle) override;

private:
    QPrinter& printer();

    std::unique_ptr<QPrinter> m_printer;
    QPointer<QWidget> m_parent;
    QFont m_font;
    QString m_outputPdf;
    QString m_pdfFolder;
    QString m_pdfName;
};

// The order's own font, 13 pixels high, in which it is shown and printed.
QFont orderFont();

// A PDF file name for the order printed at `when` that no file in `folder` has yet:
// "Заказ 2026-12-07 15-04.pdf", then "Заказ 2026-12-07 15-04 (2).pdf" and so on.
QString freshOrderFile(const QString& folder, const QDateTime& when);
// The same for a name of its own: "<stem>.pdf", then "<stem> (2).pdf" and so on.
QString freshPdfFile(const QString& folder, const QString& stem);

} // namespace korvanta
