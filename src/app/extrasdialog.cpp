#include "app/extrasdialog.h"

#include "app/typinglimit.h"
#include "presentation/mainstate.h"
#include "ui_extrasdialog.h"
#include "widgets/guard.h"

namespace korvanta {

ExtrasDialog::ExtrasDialog(MainState& state, const Facilities& facilities, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint),
      m_state(state), m_facilities(facilities)
{
    Ui::ExtrasDialog ui;
    ui.setupUi(this);
    m_addEdit = ui.AddEdit;
    setTypingLimit(m_addEdit, 5);
    connect(m_addEdit, &QLineEdit::textEdited, this, &ExtrasDialog::setMarkupPercentText);
    connect(ui.OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    // Creation: the markup read at start-up.
    guarded(m_facilities.errorReport, [&] { m_state.showMarkup(); });
    refresh();
}

void ExtrasDialog::setMarkupPercentText(const QString& text)
{
    guarded(m_facilities.errorReport, [&] { m_state.setMarkupPercentText(text); });
    refresh();
}

void ExtrasDialog::showEvent(QShowEvent* event)
{
    refresh();
    QDialog::showEvent(event);
}

void ExtrasDialog::refresh()
{
    if (m_addEdit->text() != m_state.markupText)
        showWhole(m_addEdit, m_state.markupText);
}

} // namespace korvanta
