#include "addunit.h"

#include "contexthelp.h"
#include "guard.h"
#include "mainstate.h"
#include "typinglimit.h"
#include "windowparts.h"

#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvanta {

TAddBox::TAddBox(MainState& state, const Facilities& facilities, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_state(state), m_facilities(facilities)
{
    setObjectName(QStringLiteral("TAddBox"));
    setWindowTitle(QStringLiteral("Дополнительно..."));
    setHelpContext(this, 14);
    setFixedSize(400, 150);

    auto* label27 = new QLabel(QStringLiteral("Комплектов:"), this);
    label27->setObjectName(QStringLiteral("Label27"));
    label27->setGeometry(16, 16, 100, 22);
    auto* kompl = new QLineEdit(QStringLiteral("1"), this);
    kompl->setObjectName(QStringLiteral("KomplEdit"));
    kompl->setGeometry(120, 16, 60, 22);
    kompl->setEnabled(false);

    auto* label1 = new QLabel(QStringLiteral("Наценка:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(16, 48, 100, 22);
    m_addEdit = new QLineEdit(this);
    m_addEdit->setObjectName(QStringLiteral("AddEdit"));
    setTypingLimit(m_addEdit, 5);
    m_addEdit->setToolTip(QStringLiteral("Внутренняя дополнительная наценка компьютерной фирмы (в процентах)"));
    m_addEdit->setGeometry(120, 48, 60, 22);
    auto* label29 = new QLabel(QStringLiteral("%"), this);
    label29->setObjectName(QStringLiteral("Label29"));
    label29->setGeometry(186, 48, 20, 22);
    connect(m_addEdit, &QLineEdit::textEdited, this, &TAddBox::AddEditChange);

    auto* delBox = new QCheckBox(QStringLiteral("Не показывать цены покомпонентно в счете"), this);
    delBox->setObjectName(QStringLiteral("DelBox"));
    delBox->setToolTip(QStringLiteral("В распечатанном счете цены на отдельные комплектующие не указываются"));
    delBox->setGeometry(16, 80, 370, 22);
    delBox->setEnabled(false);

    auto* ok =
        makeButton(this, QStringLiteral("OKBtn"), QStringLiteral("OK"), QStringLiteral("ok"), QRect(150, 112, 100, 26));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // FormCreate: the markup read at start-up.
    guarded(m_facilities.errorReport, [&] { m_state.addBoxCreate(); });
    refresh();
}

void TAddBox::AddEditChange(const QString& text)
{
    guarded(m_facilities.errorReport, [&] { m_state.addEditChange(text); });
    refresh();
}

void TAddBox::showEvent(QShowEvent* event)
{
    refresh();
    QDialog::showEvent(event);
}

void TAddBox::refresh()
{
    if (m_addEdit->text() != m_state.addEdit)
        showWhole(m_addEdit, m_state.addEdit);
}

} // namespace korvanta
