#include "owner/filechooser.h"

#include <QFileDialog>

namespace korvanta {

namespace {

// The workbook first: a spreadsheet opens and saves it without converting anything.
QString sheetFilter()
{
    return QStringLiteral("Книги Excel (*.xlsx);;Таблицы CSV (*.csv);;Все файлы (*)");
}

} // namespace

QString QtFileChooser::saveFile(const QString& caption, const QString& proposed)
{
    return QFileDialog::getSaveFileName(m_parent, caption, proposed, sheetFilter());
}

QString QtFileChooser::openFile(const QString& caption, const QString& folder)
{
    return QFileDialog::getOpenFileName(m_parent, caption, folder,
                                        QStringLiteral("Таблицы (*.xlsx *.csv);;") + sheetFilter());
}

QString QtFileChooser::savePdfFile(const QString& caption, const QString& proposed)
{
    return QFileDialog::getSaveFileName(m_parent, caption, proposed, QStringLiteral("Документы PDF (*.pdf)"));
}

} // namespace korvanta
