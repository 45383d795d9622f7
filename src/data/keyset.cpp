#include "data/keyset.h"

namespace cofrel::data {

using namespace Qt::StringLiterals;

QString rowsAfter(const QStringList &columns, const QVariantList &key, QVariantList &binds)
{
    bool anyNull = false;
    for (const QVariant &v : key)
        anyNull = anyNull || v.isNull();
    if (!anyNull) {
        QStringList marks;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            marks << u"?"_s;
            binds << key.value(i);
        }
        if (columns.size() == 1)
            return columns[0] % u" > ?"_s;
        return u"("_s % columns.join(u", "_s) % u") > ("_s % marks.join(u", "_s) % u")"_s;
    }
    QStringList alternatives;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        QStringList terms;
        for (qsizetype j = 0; j < i; ++j) {
            if (key.value(j).isNull()) {
                terms << columns[j] % u" IS NULL"_s;
            } else {
                terms << columns[j] % u" = ?"_s;
                binds << key.value(j);
            }
        }
        if (key.value(i).isNull()) {
            terms << columns[i] % u" IS NOT NULL"_s;
        } else {
            terms << columns[i] % u" > ?"_s;
            binds << key.value(i);
        }
        alternatives << u"("_s % terms.join(u" AND "_s) % u")"_s;
    }
    return alternatives.join(u" OR "_s);
}

} // namespace cofrel::data
