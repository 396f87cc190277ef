#pragma once

#include "base/facilities.h"

#include <QPointer>
#include <QWidget>

namespace korvanta {

// The program's own message: caption "Error", error icon, one OK button.
class QtMessageBox : public MessageBox {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    void showError(const QString& text) override;

private:
    QPointer<QWidget> m_parent;
};

// The default error report: caption "KORVANTA", error icon, one OK button.
class QtErrorReport : public ErrorReport {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    void report(const QString& message) override;

private:
    QPointer<QWidget> m_parent;
};

// The desktop's "open": a file name relative to the working folder, or an address.
class QtShell : public Shell {
public:
    void open(const QString& target) override;
};

} // namespace korvanta
