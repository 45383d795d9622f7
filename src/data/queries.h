#pragma once

#include "data/tables.h"

#include <QObject>
#include <QVariantMap>

#include <functional>

namespace cofrel::data {

class Database;

// The statement of a user's ledger over a period, in the engine's order
// (by date, then identity): counted when it opens, then read a page at a
// time by the grid, or walked whole by the copy.
class StatementQuery final : public QObject {
    Q_OBJECT
public:
    explicit StatementQuery(Database &db, QObject *parent = nullptr);

    // The rows of \a finFileName dated \a inicio or later, future ones
    // included; every row when \a inicio is null ("Completo"). When it
    // fails, the statement open before stays.
    void open(const QString &finFileName, const QDate &inicio);
    void close();
    bool isOpen() const { return m_rowCount >= 0; }
    int rowCount() const { return qMax(m_rowCount, 0); }

    // Up to \a count rows from row \a first on.
    std::vector<Lancamento> rows(int first, int count);
    // Every row, in order, once.
    void forEachRow(const std::function<void(const Lancamento &)> &visit);

Q_SIGNALS:
    void changed(); // opened, reopened or closed

private:
    QSqlQuery run(const QString &suffix, const QVariantMap &extra);
    Database &m_db;
    QString m_fileName;
    QString m_text;
    QVariantMap m_binds;
    int m_rowCount = -1;
};

// The sums of a user's ledger: the balance to date and the chart's
// expenses. A sum over no rows is 0.
class SumQuery final {
public:
    explicit SumQuery(Database &db) : m_db(db) {}
    double balance(const QString &finFileName, const QDate &now);
    double categorySum(const QString &finFileName, const QDate &now, const QDate &inicio, int categoria);
    double periodSum(const QString &finFileName, const QDate &now, const QDate &inicio);

private:
    double sum(const QString &finFileName, const std::function<QString(const QString &)> &text,
               const QVariantMap &binds);
    Database &m_db;
    // The balance reads nearly every row, and every refresh asks for it:
    // it is summed again only when the file, its content or the day changed.
    struct Saldo {
        QString key; // file, day and content mark
        double value = 0;
    };
    Saldo m_saldo;
};

// The planned entries of a user's plan that are due by \a now, in the
// plan's order.
class DueQuery final {
public:
    explicit DueQuery(Database &db) : m_db(db) {}
    std::vector<Lancamento> due(const QString &planFileName, const QDate &now);

private:
    Database &m_db;
};

} // namespace cofrel::data
