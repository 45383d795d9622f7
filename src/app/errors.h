#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace cofrel {

// Every failure of the program travels as one of these, carrying the
// message a person reads, in Portuguese, and, apart, the engine's or the
// system's own text where there is one: it is shown only on request, for
// diagnosis.
class Error : public std::exception {
public:
    explicit Error(QString message, QString details = {});

    const QString &message() const noexcept { return m_message; }
    const QString &details() const noexcept { return m_details; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QString m_details;
    QByteArray m_utf8;
};

} // namespace cofrel
