#pragma once

#include "base/facilities.h"

#include <QPointer>
#include <QString>
#include <QTextBrowser>

class QUrl;
class QWidget;

namespace korvanta {

// The help viewer: a window of its own, beside the program's windows, showing one topic of the
// help file at a time. The file is UTF-8 HTML with one <section id="topic-N"> per context number;
// links "#topic-M" lead to other topics.
class QtHelp : public Help {
public:
    // `owner` is the window the help window belongs to; `fileName` replaces the help file fixed at
    // build time (for tests).
    explicit QtHelp(QWidget* owner = nullptr, const QString& fileName = QString());
    ~QtHelp() override;
    QtHelp(const QtHelp&) = delete;
    QtHelp& operator=(const QtHelp&) = delete;

    // Opens (or raises) the help window on the topic. A missing file or topic is said in the window.
    void showTopic(int context) override;

    // The help window once it has been shown, and the topic it shows (0 when none could be shown).
    QTextBrowser* window() const { return m_window; }
    int currentTopic() const { return m_topic; }
    QString fileName() const { return m_fileName; }
    // The window the help window belongs to, so that closing it ends the program as usual.
    void setOwner(QWidget* owner) { m_owner = owner; }

    // The help file fixed at build time; when it is not there, the installed copy, if that exists.
    static QString helpFilePath();
    static QString helpFilePath(const QString& built, const QString& installed);

private:
    void ensureWindow();
    void display(int context);
    void linkClicked(const QUrl& url);

    QPointer<QWidget> m_owner;
    QString m_fileName;
    QPointer<QTextBrowser> m_window;
    int m_topic = 0;
};

} // namespace korvanta
