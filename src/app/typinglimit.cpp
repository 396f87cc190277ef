#include "app/typinglimit.h"

#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace korvanta {

namespace {

class TypingLimit : public QValidator {
public:
    TypingLimit(int limit, QLineEdit* edit) : QValidator(edit), m_limit(limit), m_allowed(limit)
    {
        connect(edit, &QLineEdit::textChanged, this, &TypingLimit::allowFor);
    }
    int limit() const { return m_limit; }
    // Called with the text that now stands, before the next edit is validated.
    void allowFor(const QString& text) { m_allowed = std::max(m_limit, int(text.size())); }

    State validate(QString& input, int&) const override { return input.size() <= m_allowed ? Acceptable : Invalid; }

private:
    int m_limit;
    int m_allowed;
};

TypingLimit* limitOf(const QLineEdit* edit)
{
    return edit ? edit->findChild<TypingLimit*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

} // namespace

void setTypingLimit(QLineEdit* edit, int limit)
{
    auto* validator = new TypingLimit(limit, edit);
    validator->allowFor(edit->text());
    edit->setValidator(validator);
}

int typingLimit(const QLineEdit* edit)
{
    const TypingLimit* limit = limitOf(edit);
    return limit ? limit->limit() : 0;
}

void showWhole(QLineEdit* edit, const QString& text)
{
    if (TypingLimit* limit = limitOf(edit))
        limit->allowFor(text);
    edit->setText(text);
    // A value longer than the field shows from its start.
    edit->setCursorPosition(0);
}

} // namespace korvanta
