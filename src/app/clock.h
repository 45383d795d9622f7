#pragma once

#include <QDate>
#include <QDateTime>

#include <optional>

// The one seam for "now": tests fix the date and time, the program reads
// the machine's clock.
namespace cofrel::clock {

QDateTime now();
// Today as a whole day (the time of day dropped).
QDate today();

void setFixedNow(std::optional<QDateTime> fixed);

// Fixes the clock for the lifetime of the object (tests).
class FixedNow final {
public:
    explicit FixedNow(const QDateTime &when) { setFixedNow(when); }
    explicit FixedNow(QDate day) { setFixedNow(QDateTime(day, QTime(12, 0))); }
    ~FixedNow() { setFixedNow(std::nullopt); }
    FixedNow(const FixedNow &) = delete;
    FixedNow &operator=(const FixedNow &) = delete;
};

} // namespace cofrel::clock
