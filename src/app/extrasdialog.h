#pragma once

#include "base/facilities.h"

#include <QDialog>

class QLineEdit;

namespace korvanta {

class MainState;

// The extras dialog "Дополнительно...": the shop's markup.
class ExtrasDialog : public QDialog {
    Q_OBJECT
public:
    // Creation shows the markup read at start-up.
    ExtrasDialog(MainState& state, const Facilities& facilities, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setMarkupPercentText(const QString& text);
    void refresh();

    MainState& m_state;
    Facilities m_facilities;
    QLineEdit* m_addEdit = nullptr;
};

} // namespace korvanta
