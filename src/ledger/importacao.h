#pragma once

#include "ledger/extrato_banco.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

#include <vector>

namespace cofrel::data {
class Database;
class Table;
} // namespace cofrel::data

// The import of a bank's statement into the logged-in person's ledger,
// without widgets: the lines the review shows, built from the statement
// and what the book already holds, the person's ticks and categories, the
// totals, and the writing of the ticked lines.
namespace cofrel {

// A planned entry is taken as paid by a line of the statement with its
// amount dated this many days around its due date, or fewer.
inline constexpr int ToleranciaPlanejado = 4;

// Why a line is believed to be in the book already.
enum class Duplicata {
    Nao,
    Identidade, // the bank's identity of the line was imported before
    Livro,      // the ledger holds a row of the same day, amount and description
};

// One line of the review.
struct LinhaRevisao {
    LinhaExtrato extrato;
    int categoria = 0; // 1..NumeroCategorias
    bool marcada = false;
    Duplicata duplicata = Duplicata::Nao;
    QDate dataNoLivro; // Livro: the day of the row it repeats (the line's own)
    // The planned entry the line pays, when it matches one (0: none): it is
    // advanced by one month when the line is booked.
    qint64 planejado = 0;
    int diaPlanejado = 0;
    QDate vencimento;
    QString descricaoPlanejado;

    bool repetida() const { return duplicata != Duplicata::Nao; }
    // What the review says about the line (a duplicate's reason, the plan
    // it pays), a line or two; empty for a plain line.
    QString motivo() const;
};

// The ticked lines: how many, and their sums, credits and debits apart.
struct TotaisRevisao {
    int marcadas = 0;
    int creditos = 0;
    int debitos = 0;
    qint64 centavosCreditos = 0; // 0 or more
    qint64 centavosDebitos = 0;  // 0 or less
    qint64 centavos() const { return centavosCreditos + centavosDebitos; }
    bool operator==(const TotaisRevisao &) const = default;
};

class ImportacaoExtrato final {
public:
    // The ledger \a fin and the plan \a plano of the logged-in person, both
    // in \a db.
    ImportacaoExtrato(data::Database &db, data::Table &fin, data::Table &plano);

    // Makes the review's lines from the statement's \a linhas, reading the
    // book once for all of them (the ledger over the lines' days, the
    // identities imported before, the usual categories, the plan):
    // - the category is the one the person chose most often for the same
    //   description, else the planned entry's when the line pays one, else
    //   "Trabalho" for a credit and "Outros" for a debit;
    // - a duplicate comes unticked: its identity was imported before, or
    //   the ledger holds a row of the same day, cents and description
    //   (blanks and letter case aside), each row standing for one line;
    // - every other line comes ticked, and pays the planned entry of the
    //   same cents due within ToleranciaPlanejado days of it, each entry
    //   paid by one line at most (the nearest).
    // Throws cofrel::Error when the book cannot be read.
    void monta(const QList<LinhaExtrato> &linhas);

    int tamanho() const { return int(m_linhas.size()); }
    const LinhaRevisao &linha(int i) const { return m_linhas[size_t(i)]; }
    void marca(int i, bool marcada);
    void escolheCategoria(int i, int categoria);
    const TotaisRevisao &totais() const { return m_totais; }

    struct Gravacao {
        int lancamentos = 0;        // rows booked
        int planejadosAvancados = 0;
        QString copia;              // the backup copy of the ledger file
    };
    // Books the ticked lines, each under the bank's identity, and advances
    // the planned entries they pay, all in one transaction over the ledger
    // and the plan, after a copy of the ledger file made at \a agora. With
    // nothing ticked nothing is written and no copy made. Throws
    // cofrel::Error, with the files as they were, when it fails.
    Gravacao grava(const QDateTime &agora);

private:
    void conta(const LinhaRevisao &linha, int sinal);

    data::Database &m_db;
    data::Table &m_fin;
    data::Table &m_plano;
    std::vector<LinhaRevisao> m_linhas;
    QSet<QString> m_importadas; // identities imported before, as read by monta
    TotaisRevisao m_totais;
};

// The columns a CSV without a header most likely holds, from its first
// rows: the first column of dates, the last of amounts and, among the
// others, the one with the longest texts. A guess for the person to
// confirm; invalid when the rows show none.
ColunasCsv sugereColunas(const TabelaCsv &tabela);

} // namespace cofrel
