#include "widgets/qtfacilities.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace korvanta {

namespace {

void errorBox(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    // Messages quote texts from files as they stand.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void QtMessageBox::showError(const QString& text)
{
    errorBox(m_parent, QStringLiteral("Error"), text);
}

void QtErrorReport::report(const QString& message)
{
    errorBox(m_parent, QStringLiteral("KORVANTA"), errorReportText(message));
}

void QtShell::open(const QString& target)
{
    const QUrl url(target);
    if (!url.scheme().isEmpty() && url.scheme().size() > 1) {
        QDesktopServices::openUrl(url);
        return;
    }
    // A bare file name resolves against the working folder; nothing happens when it is missing.
    const QFileInfo file(QDir::current().filePath(target));
    if (file.exists())
        QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

} // namespace korvanta
