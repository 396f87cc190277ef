#include "app/aboutdialog.h"

#include "ui_aboutdialog.h"
#include "widgets/contexthelp.h"
#include "widgets/guard.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace korvanta {

ShadowLabel::ShadowLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

ShadowLabel::ShadowLabel(const QString& text, QWidget* parent) : ShadowLabel(parent)
{
    setText(text);
}

void ShadowLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    int flags = int(QStyle::visualAlignment(layoutDirection(), alignment()));
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    const QRect area = contentsRect();
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(area.translated(1, 1), flags, text());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, flags, text());
}

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    setPalette(p);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

AboutDialog::AboutDialog(const Facilities& facilities, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_facilities(facilities)
{
    // Pixel sizes are beyond a form: the box's font is set before the form builds the labels in it.
    QFont boxFont = font();
    boxFont.setPixelSize(11);
    setFont(boxFont);
    Ui::AboutDialog ui;
    ui.setupUi(this);

    // Rendered at the label's size rather than scaled from the picture's own.
    ui.Image1->setPixmap(QIcon(QStringLiteral(":/pictures/Image1.svg")).pixmap(QSize(105, 97)));

    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(16);
    titleFont.setBold(true);
    ui.RxLabel5->setFont(titleFont);
    QPalette titlePalette = ui.RxLabel5->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::blue);
    ui.RxLabel5->setPalette(titlePalette);

    m_label4 = ui.Label4;
    m_label5 = ui.Label5;
    connect(m_label4, &LinkLabel::clicked, this, &AboutDialog::writeToAuthor);
    connect(m_label5, &LinkLabel::clicked, this, &AboutDialog::openWebsite);
    connect(ui.BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    installContextHelp(this, m_facilities.help);
}

void AboutDialog::writeToAuthor()
{
    guarded(m_facilities.errorReport, [&] {
        if (m_facilities.shell)
            m_facilities.shell->open(QStringLiteral("mailto:") + m_label4->text());
    });
}

void AboutDialog::openWebsite()
{
    guarded(m_facilities.errorReport, [&] {
        if (m_facilities.shell)
            m_facilities.shell->open(m_label5->text());
    });
}

} // namespace korvanta
