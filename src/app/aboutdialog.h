#pragma once

#include "base/facilities.h"

#include <QDialog>
#include <QLabel>

namespace korvanta {

// A label drawn with a one-pixel shadow to the lower right in the palette's light colour.
class ShadowLabel : public QLabel {
    Q_OBJECT
public:
    explicit ShadowLabel(QWidget* parent = nullptr);
    explicit ShadowLabel(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label that acts as a link: blue, underlined, hand pointer, and a signal when clicked.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The About box "О программе...": product, version, rights line and the two links to the developer.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(const Facilities& facilities, QWidget* parent);

private:
    // The links hand the shell the address shown in the label.
    void writeToAuthor();
    void openWebsite();

    Facilities m_facilities;
    LinkLabel* m_label4 = nullptr;
    LinkLabel* m_label5 = nullptr;
};

} // namespace korvanta
