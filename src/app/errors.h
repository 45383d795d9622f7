#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace cofrel {

// Every failure of the program travels as one of these, carrying the
// message a person reads (in Portuguese where it is ours, the engine's
// own text where it comes from SQLite or the system).
class Error : public std::exception {
public:
    explicit Error(QString message);

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace cofrel
