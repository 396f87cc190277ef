#include "app/picturebox.h"

#include <QFile>
#include <QPainter>

namespace korvanta {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

PictureBox::PictureBox(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
}

QString PictureBox::resourcePath(const QString& name)
{
    return QStringLiteral(":/pictures/%1.svg").arg(name);
}

bool PictureBox::hasPicture(const QString& name)
{
    return QFile::exists(resourcePath(name));
}

void PictureBox::setPicture(const QString& name)
{
    if (name == m_picture)
        return;
    m_picture = name;
    if (name.isEmpty())
        m_renderer.load(QByteArray());
    else
        m_renderer.load(resourcePath(name));
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (!m_renderer.isValid())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_renderer.render(&painter, QRectF(rect()));
}

} // namespace korvanta
