#pragma once

#include <QSvgRenderer>
#include <QWidget>

namespace korvanta {

// A picture stretched into its frame. Pictures are named ("Image31") and drawn from the
// program's resources.
class PictureBox : public QWidget {
    Q_OBJECT
    // Settable from a form.
    Q_PROPERTY(QString picture READ picture WRITE setPicture)
public:
    explicit PictureBox(QWidget* parent = nullptr);
    PictureBox(const QString& objectName, QWidget* parent);

    void setPicture(const QString& name);
    QString picture() const { return m_picture; }
    // Whether the named picture exists among the resources.
    static bool hasPicture(const QString& name);
    static QString resourcePath(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_picture;
    QSvgRenderer m_renderer;
};

} // namespace korvanta
