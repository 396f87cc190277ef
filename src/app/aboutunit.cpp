#include "aboutunit.h"

#include "contexthelp.h"
#include "guard.h"
#include "windowparts.h"

#include <QFrame>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace korvanta {

ShadowLabel::ShadowLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
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

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
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

namespace {

ShadowLabel* shadowLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* label = new ShadowLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

LinkLabel* linkLabel(QWidget* parent, const QString& name, const QString& text, const QString& hint,
                     const QRect& geometry)
{
    auto* label = new LinkLabel(text, parent);
    label->setObjectName(name);
    label->setToolTip(hint);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TAboutBox::TAboutBox(const Facilities& facilities, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_facilities(facilities)
{
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("О программе..."));
    setFixedSize(300, 204);
    setHelpContext(this, 1);
    QFont boxFont = font();
    boxFont.setPixelSize(11);
    setFont(boxFont);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(8, 8, 105, 97);
    image->setScaledContents(true);
    image->setPixmap(QIcon(QStringLiteral(":/pictures/Image1.svg")).pixmap(QSize(105, 97)));

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Bevel1"));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(117, 8, 179, 152);

    auto* title = shadowLabel(frame, QStringLiteral("RxLabel5"), QStringLiteral("KORVANTA "), QRect(8, 6, 165, 22));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(16);
    titleFont.setBold(true);
    title->setFont(titleFont);
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::blue);
    title->setPalette(titlePalette);

    shadowLabel(frame, QStringLiteral("RxLabel1"), QStringLiteral("Version 4.51"), QRect(8, 30, 165, 15));
    auto* rights = shadowLabel(frame, QStringLiteral("RxLabel2"),
                               QStringLiteral("© 2004–2026 KORVANTA. Все права защищены."), QRect(8, 47, 165, 28));
    rights->setWordWrap(true);
    shadowLabel(frame, QStringLiteral("RxLabel3"), QStringLiteral("E-mail:"), QRect(8, 79, 165, 15));
    m_label4 = linkLabel(frame, QStringLiteral("Label4"), QStringLiteral("support@korvanta.example"),
                         QStringLiteral("Написать письмо разработчику..."), QRect(8, 95, 165, 15));
    shadowLabel(frame, QStringLiteral("RxLabel4"), QStringLiteral("Web:"), QRect(8, 115, 165, 15));
    m_label5 = linkLabel(frame, QStringLiteral("Label5"), QStringLiteral("http://www.korvanta.example"),
                         QStringLiteral("Официальный сайт программы..."), QRect(8, 131, 165, 15));

    auto* ok = makeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("OK"), QStringLiteral("ok"),
                          QRect(112, 168, 77, 27));
    ok->setDefault(true);

    connect(m_label4, &LinkLabel::clicked, this, &TAboutBox::Label4Click);
    connect(m_label5, &LinkLabel::clicked, this, &TAboutBox::Label5Click);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    installContextHelp(this, m_facilities.help);
}

void TAboutBox::Label4Click()
{
    guarded(m_facilities.errorReport, [&] {
        if (m_facilities.shell)
            m_facilities.shell->open(QStringLiteral("mailto:") + m_label4->text());
    });
}

void TAboutBox::Label5Click()
{
    guarded(m_facilities.errorReport, [&] {
        if (m_facilities.shell)
            m_facilities.shell->open(m_label5->text());
    });
}

} // namespace korvanta
