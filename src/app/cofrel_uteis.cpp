#include "app/cofrel_uteis.h"

#include "app/errors.h"

#include <QLocale>

#include <cmath>

namespace cofrel {

QChar separadorData()
{
    // The short date format of the locale ("dd/MM/yyyy", "dd.MM.yy", ...)
    // holds the separator as its first character that is not a letter.
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    for (const QChar c : format) {
        if (!c.isLetter() && !c.isSpace())
            return c;
    }
    return u'/';
}

QChar separadorDecimal()
{
    const QString sep = QLocale().decimalPoint();
    return sep.isEmpty() ? QChar(u'.') : sep.at(0);
}

QString FormatData(const QDate &date)
{
    if (!date.isValid())
        return {};
    const QChar sep = separadorData();
    return QStringLiteral("%1%2%3%4%5")
        .arg(date.day(), 2, 10, QChar(u'0'))
        .arg(sep)
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(sep)
        .arg(date.year(), 4, 10, QChar(u'0'));
}

std::optional<QDate> LeData(const QString &text)
{
    const QStringList parts = text.split(separadorData());
    if (parts.size() != 3)
        return std::nullopt;
    int values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const QString part = parts.at(i).trimmed();
        if (part.isEmpty() || part.size() > (i == 2 ? 4 : 2))
            return std::nullopt;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
        }
        values[i] = part.toInt();
    }
    const QDate date(values[2], values[1], values[0]);
    if (!date.isValid() || values[2] < 1)
        return std::nullopt;
    return date;
}

QDate DataZero()
{
    return QDate(1899, 12, 30);
}

QDate EncodeDateSeguro(int day, int month, int year)
{
    if (day <= 27) {
        const QDate date(year, month, day);
        if (!date.isValid())
            throw Error(QStringLiteral("Data inválida: %1/%2/%3").arg(day).arg(month).arg(year));
        return date;
    }
    for (int d = day; d > 27; --d) {
        const QDate date(year, month, d);
        if (date.isValid())
            return date;
    }
    // Only a month outside 1..12 (or year 0) gets here; no caller passes one.
    throw Error(QStringLiteral("Data inválida: %1/%2/%3").arg(day).arg(month).arg(year));
}

double ArredondaCentavos(double amount)
{
    if (!std::isfinite(amount))
        return 0.0;
    // From 2^52 cents on a double holds no fraction of a cent; scaling it
    // could only overflow.
    if (std::fabs(amount) >= 0x1p52 / 100.0)
        return amount;
    const double rounded = std::round(amount * 100.0) / 100.0;
    return rounded == 0.0 ? 0.0 : rounded; // no negative zero
}

QString FormatValor(double amount)
{
    return FormatValor(amount, separadorDecimal());
}

QString FormatValor(double amount, QChar sep)
{
    const double value = ArredondaCentavos(amount);
    QString text;
    if (std::fabs(value) < 1e15)
        text = QString::number(value, 'f', 2);
    else
        text = QString::number(value, 'g', 15); // beyond 15 significant digits
    if (sep != u'.')
        text.replace(u'.', sep);
    return text;
}

std::optional<double> LeValor(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QChar sep = separadorDecimal();
    // FiltroTeclaValor's rule over the whole text: digits and one separator.
    bool separador = false;
    for (const QChar c : trimmed) {
        if (c >= u'0' && c <= u'9')
            continue;
        if (c != sep || separador)
            return std::nullopt;
        separador = true;
    }
    if (trimmed.isEmpty() || trimmed == sep)
        return 0.0;
    bool ok = false;
    const double value = QLocale::c().toDouble(QString(trimmed).replace(sep, u'.'), &ok);
    if (!ok || !(value < LimiteValor))
        return std::nullopt;
    return value;
}

QChar FiltroTeclaValor(const QString &currentText, QChar key)
{
    if (key.unicode() < 32)
        return key;
    if (key >= u'0' && key <= u'9')
        return key;
    const QChar sep = separadorDecimal();
    if (key == sep && !currentText.contains(sep))
        return key;
    return QChar();
}

const QStringList &NomesCategorias()
{
    static const QStringList names = {
        QStringLiteral("Alimentação"), QStringLiteral("Educação"), QStringLiteral("Lazer"),
        QStringLiteral("Moradia"),     QStringLiteral("Saúde"),    QStringLiteral("Trabalho"),
        QStringLiteral("Transporte"),  QStringLiteral("Outros"),
    };
    return names;
}

const QStringList &NomesTipos()
{
    static const QStringList names = {QStringLiteral("Crédito"), QStringLiteral("Débito")};
    return names;
}

int TipoParaCategoria(int categoryItemIndex)
{
    return categoryItemIndex == CategoriaTrabalho - 1 ? TipoCredito : TipoDebito;
}

QString Espacos(int n)
{
    return n > 0 ? QString(n, u' ') : QString();
}

} // namespace cofrel
