#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// The bank's statement as read from its file, OFX or CSV, before the person
// reviews it: the lines, and for a CSV the table behind them. Nothing here
// writes anything; a bad file throws cofrel::Error with a Portuguese message
// and yields nothing.
namespace cofrel {

// One transaction of the statement.
struct LinhaExtrato {
    QDate data;
    qint64 centavos = 0; // exact; a credit positive, a debit negative
    QString descricao;   // trimmed, blanks collapsed, at most TamanhoDescricaoExtrato
    // The bank's FITID, or, when it gives none, repeats it or gives one of
    // over 255 characters (and for every CSV line),
    // "auto:<yyyymmdd>:<centavos>:<descrição>:<n>", n counting the file's
    // lines with the same date, amount and description from 1: the same
    // file, or a later one covering the same days, gives the same keys.
    QString identidade;
    bool operator==(const LinhaExtrato &) const = default;
};

// The columns of a CSV statement, as indexes into its rows; -1 is none.
// The amount is one signed column, or a credit and a debit column, the
// debit's amounts taken as negative whatever their sign.
struct ColunasCsv {
    int data = -1;
    int descricao = -1;
    int valor = -1;
    int credito = -1;
    int debito = -1;
    bool valida() const { return data >= 0 && descricao >= 0 && (valor >= 0 || (credito >= 0 && debito >= 0)); }
    bool operator==(const ColunasCsv &) const = default;
};

// A CSV statement as a table, for the review to let the person choose the
// columns when the header names none we know.
struct TabelaCsv {
    QChar separador;            // ';' or ','
    QStringList cabecalho;      // the header row, when one was found
    QList<QStringList> linhas;  // the rows after it; every row when none was
    QList<int> linhasArquivo;   // each row's line number in the file, from 1
    ColunasCsv colunas;         // what the header named; invalid when it named too little
};

enum class FormatoExtrato { Ofx, Csv };

struct ExtratoBanco {
    FormatoExtrato formato = FormatoExtrato::Ofx;
    QList<LinhaExtrato> linhas; // never empty, unless the CSV's columns are to be chosen
    TabelaCsv tabela;           // CSV only
    bool precisaEscolherColunas() const { return formato == FormatoExtrato::Csv && !tabela.colunas.valida(); }
};

// A file of this size or more is refused before it is read: 100 MiB, what
// both `ls -lh` and Windows' Explorer show as 100 MB. A real statement is a
// few hundred kilobytes.
inline constexpr qint64 TamanhoMaximoExtrato = qint64(100) * 1024 * 1024;
// The ledger's description field.
inline constexpr int TamanhoDescricaoExtrato = 100;
// More lines than any person's statement; keeps a forged file's memory bounded.
inline constexpr int MaximoLinhasExtrato = 1'000'000;

// Reads the statement at \a caminho: the size is checked before reading.
ExtratoBanco leExtratoBanco(const QString &caminho);
// The same on the file's bytes (tests, fuzzing): the format is told by the
// content, not by the file's name.
ExtratoBanco leExtratoBancoBytes(QByteArrayView bytes);

// The text of a statement's bytes: strict UTF-8 (a BOM skipped), else
// Windows-1252, whatever the file's header claims.
QString decodificaExtrato(QByteArrayView bytes);

// The lines of a CSV table by a column choice, the detected one or the
// person's. Throws on a line whose date or amount cannot be read, and when
// no line is left.
QList<LinhaExtrato> linhasCsv(const TabelaCsv &tabela, const ColunasCsv &colunas);

} // namespace cofrel
