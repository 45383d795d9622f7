#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// Value conventions shared by every window: dates, amounts, categories and
// the credit/debit type.
namespace cofrel {

inline constexpr auto AppTitle = u"Cofrel 1.0";

// ---- Dates: "dd/mm/yyyy" with the regional date separator -------------

// The regional date separator ("/" unless the locale says otherwise).
QChar separadorData();
// The regional decimal separator ("." or ",").
QChar separadorDecimal();

QString FormatData(const QDate &date);
// Reads "dd/mm/yyyy" (blanks around the parts allowed); nullopt when the
// text is not a date that exists.
std::optional<QDate> LeData(const QString &text);
// The date value 0 of the original program: 30/12/1899.
QDate DataZero();

// Builds the date of day \a day in \a month/\a year, taking the month's
// last day when the month lacks that day (31 in April gives 30 April).
// Throws cofrel::Error when month or year cannot be encoded at all.
QDate EncodeDateSeguro(int day, int month, int year);

// ---- Amounts ---------------------------------------------------------------

// An amount rounded to whole cents, never negative zero.
double ArredondaCentavos(double amount);
// Fixed-point, two decimals, regional decimal separator, no thousands
// separator, leading minus for negatives; rounded to cents first so that a
// sum that is zero in cents never shows as "-0.00". From 10^15 on, where
// two decimals would pass 15 significant digits, 15 significant digits in
// exponent form.
QString FormatValor(double amount);
// The same with the locale's decimal separator looked up once by the
// caller, for texts of many amounts.
QString FormatValor(double amount, QChar sep);
// The bound of an amount a person enters: FormatValor shows up to 15
// significant digits, two of them the cents, so every amount below 10^13
// shows whole, to the cent. A box of 12 characters never reaches it.
inline constexpr double LimiteValor = 1e13;
// Reads an amount box: digits with at most one regional decimal separator
// (what FiltroTeclaValor lets in), blanks around allowed, below
// LimiteValor. An empty box or a lone separator reads 0; anything else
// (letters, a sign, an exponent, a second separator, too large) is no
// amount: nullopt.
std::optional<double> LeValor(const QString &text);
// Key filter of every amount box: returns \a key when it passes, a null
// QChar when it is swallowed.
QChar FiltroTeclaValor(const QString &currentText, QChar key);

// ---- Categories and type ---------------------------------------------------

inline constexpr int NumeroCategorias = 8;
inline constexpr int CategoriaTrabalho = 6; // its entries default to credit
const QStringList &NomesCategorias();

inline constexpr int TipoCredito = 0; // item indexes of comboCredito
inline constexpr int TipoDebito = 1;
const QStringList &NomesTipos();

// The category change rule: "Trabalho" gives "Crédito", any other "Débito".
int TipoParaCategoria(int categoryItemIndex);

// Spaces(n): n blanks, empty when n <= 0.
QString Espacos(int n);

} // namespace cofrel
