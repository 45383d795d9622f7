#include "app/errors.h"

namespace cofrel {

Error::Error(QString message, QString details)
    : m_message(std::move(message))
    , m_details(std::move(details))
    , m_utf8(m_message.toUtf8())
{
}

} // namespace cofrel
