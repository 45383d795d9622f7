#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QSqlQuery;
class QSqlRecord;

namespace cofrel::data {

class Database;

// A row of a user's ledger (fin) or, with its day of the month, of a
// user's plan (dfin).
struct Lancamento {
    qint64 transacao = 0;
    QDate data;
    QString descricao;
    int categoria = 0;
    double valor = 0;
    int dia = 0; // planned entries only
    bool operator==(const Lancamento &) const = default;
};

// Where a result's columns are, found once by name.
class RowReader final {
public:
    explicit RowReader(const QSqlRecord &record);
    Lancamento read(const QSqlQuery &query) const;

private:
    int m_transacao, m_data, m_descricao, m_categoria, m_valor, m_dia;
};

// The user registry, users.db: names found without regard to letter case.
class UserTable final {
public:
    static constexpr QLatin1StringView FileName{"users.db"};
    struct Usuario {
        int numero = 0;
        QString nome;
        QByteArray senha; // scrambled
    };

    explicit UserTable(Database &db) : m_db(db) {}

    QStringList names(); // in name order
    std::optional<Usuario> find(const QString &name);
    bool contains(int numero);
    // Registers \a name and returns the number the engine gave it.
    int insert(const QString &name, const QByteArray &senha);
    void remove(int numero);

private:
    Database &m_db;
};

// A user's ledger or plan file, its rows read and written one at a time
// by identity. Each write is one statement, so it stands whole or not at
// all (or joins an open Transaction).
class Table final {
public:
    enum class Kind { Ledger, Plan };
    Table(Database &db, Kind kind, QString fileName);

    QString tableName() const { return m_fileName; }
    void setTableName(const QString &fileName) { m_fileName = fileName; }

    std::optional<Lancamento> find(qint64 transacao);
    // Every row in the table's own order (the plan by day, then date).
    std::vector<Lancamento> rows();
    qint64 insert(const Lancamento &row); // the identity the engine gave it
    bool update(const Lancamento &row);   // false when the row is gone
    bool remove(qint64 transacao);        // false when the row is gone

    // What an import of the bank's statement into a ledger needs: the
    // identities the bank gave the rows imported before, the rows of a
    // span of days, and the category the person chose most often for each
    // description (letter case ignored) among the last UsualWindow rows
    // booked: a household's whole history, and a bounded read in a larger book.
    QSet<QString> importedIdentities();
    std::vector<Lancamento> rowsBetween(const QDate &first, const QDate &last);
    QHash<QString, int> usualCategories();
    static constexpr int UsualWindow = 100000;
    // Books \a rows, each under the identity the bank gave it, inside the
    // caller's Transaction, and returns their numbers. The identities live
    // in a table of their own in the ledger file, made at the first import.
    struct Importado {
        Lancamento row;
        QString identidade;
    };
    std::vector<qint64> insertImported(const std::vector<Importado> &rows);
    // Copies the file beside itself ("f7.20261209-101500.bak", owner-only)
    // and keeps the last five copies; returns the copy's path.
    QString backUp(const QDateTime &when);

private:
    QString columns() const;
    Database &m_db;
    Kind m_kind;
    QString m_fileName;
};

} // namespace cofrel::data
