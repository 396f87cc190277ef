#include "widgets/helpviewer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>

namespace korvanta {

namespace {

const QString TopicPrefix = QStringLiteral("topic-");

// The section of the topic, or a null string when the text has none.
QString findTopic(const QString& text, int context)
{
    const QRegularExpression section(
        QStringLiteral("<section\\s+id\\s*=\\s*\"topic-%1\"\\s*>(.*?)</section>").arg(context),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = section.match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString page(const QString& body)
{
    return QStringLiteral("<html><body>%1</body></html>").arg(body);
}

QString note(const QString& text)
{
    return page(QStringLiteral("<h1>Справка недоступна</h1><p>%1</p>").arg(text.toHtmlEscaped()));
}

} // namespace

QtHelp::QtHelp(QWidget* owner, const QString& fileName)
    : m_owner(owner), m_fileName(fileName.isEmpty() ? helpFilePath() : fileName)
{
}

QtHelp::~QtHelp()
{
    delete m_window.data();
}

QString QtHelp::helpFilePath()
{
#ifdef KORVANTA_INSTALLED_HELP_FILE
    return helpFilePath(QStringLiteral(KORVANTA_HELP_FILE), QStringLiteral(KORVANTA_INSTALLED_HELP_FILE));
#else
    return QStringLiteral(KORVANTA_HELP_FILE);
#endif
}

QString QtHelp::helpFilePath(const QString& built, const QString& installed)
{
    if (!QFileInfo::exists(built) && QFileInfo::exists(installed))
        return installed;
    return built;
}

void QtHelp::showTopic(int context)
{
    ensureWindow();
    display(context);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QtHelp::ensureWindow()
{
    // While a modal dialog is open every other window is blocked, so the help window then belongs
    // to the dialog, where it can still be scrolled and its links followed.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = m_owner;
    if (m_window) {
        if (m_window->parentWidget() != owner) {
            const QRect geometry = m_window->geometry();
            m_window->setParent(owner, Qt::Window);
            m_window->setGeometry(geometry);
        }
        return;
    }
    m_window = new QTextBrowser(owner);
    m_window->setWindowFlags(Qt::Window);
    m_window->setObjectName(QStringLiteral("HelpWindow"));
    m_window->setWindowTitle(QStringLiteral("KORVANTA — справка"));
    m_window->setOpenLinks(false);
    m_window->resize(560, 480);
    QObject::connect(m_window.data(), &QTextBrowser::anchorClicked, m_window.data(),
                     [this](const QUrl& url) { linkClicked(url); });
}

void QtHelp::display(int context)
{
    m_topic = 0;
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_window->setHtml(
            note(QStringLiteral("Файл справки «%1» не найден.").arg(QFileInfo(m_fileName).absoluteFilePath())));
        return;
    }
    const QString section = findTopic(QString::fromUtf8(file.readAll()), context);
    if (section.isNull()) {
        m_window->setHtml(note(QStringLiteral("В файле справки нет раздела с номером %1.").arg(context)));
        return;
    }
    m_window->setHtml(page(section));
    m_topic = context;
}

void QtHelp::linkClicked(const QUrl& url)
{
    const QString fragment = url.fragment();
    if (url.scheme().isEmpty() && url.path().isEmpty() && fragment.startsWith(TopicPrefix)) {
        bool ok = false;
        const int context = fragment.mid(TopicPrefix.size()).toInt(&ok);
        if (ok)
            display(context);
        return;
    }
    if (!url.scheme().isEmpty())
        QDesktopServices::openUrl(url);
}

} // namespace korvanta
