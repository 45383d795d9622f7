#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace cofrel::data {

// The condition "after this row" for walking rows in the ascending order of
// \a columns (quoted names, the last one unique): "?" marks whose values are
// appended to \a binds in order. SQLite sorts nulls first, so a null in
// \a key means "any value" at that place; without nulls the condition is
// one row-value comparison, which SQLite answers from an index.
QString rowsAfter(const QStringList &columns, const QVariantList &key, QVariantList &binds);

} // namespace cofrel::data
