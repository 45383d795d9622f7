#include "app/clock.h"

namespace cofrel::clock {

namespace {
std::optional<QDateTime> &fixedNow()
{
    static std::optional<QDateTime> value;
    return value;
}
} // namespace

QDateTime now()
{
    return fixedNow() ? *fixedNow() : QDateTime::currentDateTime();
}

QDate today()
{
    return now().date();
}

void setFixedNow(std::optional<QDateTime> fixed)
{
    fixedNow() = std::move(fixed);
}

} // namespace cofrel::clock
