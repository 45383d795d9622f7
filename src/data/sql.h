#pragma once

#include <QString>
#include <QStringList>

namespace cofrel::data {

// One of the statements the program runs, built from its text as the
// system writes it ("select * from f7 where Data>=:inicio"). What the
// engine needs to know about it comes with it rather than from reading the
// text back: the table it reads, whether it is a single sum, the
// parameters it takes and the key its rows come in.
class Sql final {
public:
    enum class Kind { Statement, Balance, BalanceAfter, CategorySum, PeriodSum, DueEntries };

    // \a table is the name the texts use, the file name without ".db" ("f7").
    static Sql statement(const QString &table);     // "Completo": every row
    static Sql statementFrom(const QString &table); // the rows from :inicio on
    static Sql balance(const QString &table);
    // The amounts after :depois up to :now, added to a balance kept up to :depois.
    static Sql balanceAfter(const QString &table);
    static Sql categorySum(const QString &table);
    static Sql periodSum(const QString &table);
    static Sql dueEntries(const QString &planTable);

    Kind kind() const { return m_kind; }
    QString table() const { return m_table; }
    QString text() const; // as the system writes it
    // The text with \a source read in place of the table's name.
    QString textOver(const QString &source) const;
    // How many rows the statement gives, read from \a source.
    QString countOver(const QString &source) const;
    // One row holding one SUM: it reads the stored table itself, so SQLite
    // answers it from a covering index without producing ordered rows.
    bool isSingleSum() const { return m_kind != Kind::Statement && m_kind != Kind::DueEntries; }
    // The parameters the text uses, without their colon.
    const QStringList &parameters() const { return m_parameters; }
    // The columns whose ascending order is the order of the rows (the last
    // unique); empty for a sum.
    const QStringList &keyOrder() const { return m_keyOrder; }

    bool operator==(const Sql &) const = default;

private:
    Sql(Kind kind, QString select, QString table, QString condition, QStringList parameters);

    Kind m_kind = Kind::Statement;
    QString m_select;    // "select * from "
    QString m_table;     // "f7"
    QString m_condition; // " where ..." or empty
    QStringList m_parameters;
    QStringList m_keyOrder;
};

} // namespace cofrel::data
