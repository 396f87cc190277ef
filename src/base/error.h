#pragma once

#include <QString>
#include <exception>

namespace korvanta {

// A failure that ends the handler it happens in; the message is shown to the user as it stands.
class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace korvanta
