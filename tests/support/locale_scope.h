#pragma once

#include <QLocale>
#include <QString>

namespace cofrel::test {

// The default locale for the lifetime of the object.
class LocaleScope final {
public:
    explicit LocaleScope(const QString &name) : m_previous(QLocale()) { QLocale::setDefault(QLocale(name)); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

} // namespace cofrel::test
