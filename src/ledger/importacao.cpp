#include "ledger/importacao.h"

#include "app/cofrel_uteis.h"
#include "data/database.h"
#include "data/tables.h"
#include "ledger/extrato_comum.h"
#include "planning/plano_mensal.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace cofrel {

namespace {

constexpr int CategoriaOutros = 8;

qint64 centavosDe(double valor)
{
    return std::llround(valor * 100.0);
}

// A description as the comparison of duplicates sees it: blanks and
// letter case aside.
QString chaveDescricao(const QString &descricao)
{
    return descricao.simplified().toCaseFolded();
}

struct ChaveLancamento {
    qint64 dia;
    qint64 centavos;
    QString descricao;
    bool operator==(const ChaveLancamento &) const = default;
};

size_t qHash(const ChaveLancamento &chave, size_t seed = 0)
{
    return qHashMulti(seed, chave.dia, chave.centavos, chave.descricao);
}

ChaveLancamento chaveDe(const QDate &data, qint64 centavos, const QString &descricao)
{
    return {data.toJulianDay(), centavos, chaveDescricao(descricao)};
}

int categoriaPadrao(qint64 centavos)
{
    return centavos > 0 ? CategoriaTrabalho : CategoriaOutros;
}

bool categoriaValida(int categoria)
{
    return categoria >= 1 && categoria <= NumeroCategorias;
}

// An identity not yet in \a usadas: the line's own, or, for a line the
// person books again although it was imported before, the same with "#2",
// "#3"...
QString identidadeLivre(const QString &identidade, QSet<QString> &usadas)
{
    QString livre = identidade;
    for (int n = 2; usadas.contains(livre); ++n)
        livre = identidade + u'#' + QString::number(n);
    usadas.insert(livre);
    return livre;
}

} // namespace

QString LinhaRevisao::motivo() const
{
    switch (duplicata) {
    case Duplicata::Identidade:
        return u"Já importado: este lançamento do banco entrou no extrato numa importação anterior."_s;
    case Duplicata::Livro:
        return u"Já está no extrato: há um lançamento de %1 com o mesmo valor e a mesma descrição."_s.arg(
            FormatData(dataNoLivro));
    case Duplicata::Nao:
        break;
    }
    if (planejado != 0) {
        return u"Confere com o planejamento mensal \"%1\", com vencimento em %2.\n"
               "Ao importar, o vencimento passa para %3."_s.arg(descricaoPlanejado, FormatData(vencimento),
                                                               FormatData(ProximoVencimento(vencimento, diaPlanejado)));
    }
    return {};
}

ImportacaoExtrato::ImportacaoExtrato(data::Database &db, data::Table &fin, data::Table &plano)
    : m_db(db)
    , m_fin(fin)
    , m_plano(plano)
{
}

void ImportacaoExtrato::monta(const QList<LinhaExtrato> &linhas)
{
    m_linhas.clear();
    m_totais = {};
    m_importadas.clear();
    if (linhas.isEmpty())
        return;

    // What the book holds, read once for all the lines.
    const auto [primeira, ultima] = std::minmax_element(
        linhas.cbegin(), linhas.cend(), [](const LinhaExtrato &a, const LinhaExtrato &b) { return a.data < b.data; });
    // Rows of the ledger by day, cents and description; a description is
    // looked at only for a row whose day and cents some line has.
    QSet<std::pair<qint64, qint64>> diasEValores;
    diasEValores.reserve(linhas.size());
    for (const LinhaExtrato &l : linhas)
        diasEValores.insert({l.data.toJulianDay(), l.centavos});
    QHash<ChaveLancamento, int> noLivro;
    for (const data::Lancamento &row : m_fin.rowsBetween(primeira->data, ultima->data)) {
        const qint64 centavos = centavosDe(row.valor);
        if (diasEValores.contains({row.data.toJulianDay(), centavos}))
            ++noLivro[chaveDe(row.data, centavos, row.descricao)];
    }
    m_importadas = m_fin.importedIdentities();
    const QHash<QString, int> usuais = m_fin.usualCategories();
    const std::vector<data::Lancamento> plano = m_plano.rows();

    m_linhas.reserve(size_t(linhas.size()));
    for (const LinhaExtrato &l : linhas) {
        LinhaRevisao &linha = m_linhas.emplace_back();
        linha.extrato = l;
    }

    // A line imported before stands for its row in the ledger first, so
    // that a new line just like it (a second coffee on the same day) is
    // not taken for that row's repetition.
    const auto consome = [&noLivro](const LinhaExtrato &l) {
        const auto it = noLivro.find(chaveDe(l.data, l.centavos, l.descricao));
        if (it == noLivro.end() || *it == 0)
            return false;
        --*it;
        return true;
    };
    for (LinhaRevisao &linha : m_linhas) {
        if (m_importadas.contains(linha.extrato.identidade)) {
            linha.duplicata = Duplicata::Identidade;
            consome(linha.extrato);
        }
    }
    for (LinhaRevisao &linha : m_linhas) {
        if (linha.duplicata == Duplicata::Nao && consome(linha.extrato)) {
            linha.duplicata = Duplicata::Livro;
            linha.dataNoLivro = linha.extrato.data;
        }
    }

    // Each planned entry is paid by the nearest new line of its amount.
    QHash<qint64, QList<int>> porCentavos; // new lines by amount
    for (int i = 0; i < tamanho(); ++i) {
        if (!m_linhas[size_t(i)].repetida())
            porCentavos[m_linhas[size_t(i)].extrato.centavos].append(i);
    }
    for (const data::Lancamento &entrada : plano) {
        const auto candidatas = porCentavos.constFind(centavosDe(entrada.valor));
        if (candidatas == porCentavos.cend() || !entrada.data.isValid())
            continue;
        int melhor = -1;
        qint64 menorDistancia = std::numeric_limits<qint64>::max();
        for (const int i : *candidatas) {
            const LinhaRevisao &linha = m_linhas[size_t(i)];
            const qint64 distancia = std::abs(linha.extrato.data.daysTo(entrada.data));
            if (linha.planejado == 0 && distancia <= ToleranciaPlanejado && distancia < menorDistancia) {
                melhor = i;
                menorDistancia = distancia;
            }
        }
        if (melhor < 0)
            continue;
        LinhaRevisao &linha = m_linhas[size_t(melhor)];
        linha.planejado = entrada.transacao;
        linha.diaPlanejado = entrada.dia;
        linha.vencimento = entrada.data;
        linha.descricaoPlanejado = entrada.descricao;
        if (categoriaValida(entrada.categoria))
            linha.categoria = entrada.categoria;
    }

    for (LinhaRevisao &linha : m_linhas) {
        const auto usual = usuais.constFind(linha.extrato.descricao.toCaseFolded());
        if (usual != usuais.cend() && categoriaValida(*usual))
            linha.categoria = *usual;
        else if (linha.categoria == 0)
            linha.categoria = categoriaPadrao(linha.extrato.centavos);
        linha.marcada = !linha.repetida();
        if (linha.marcada)
            conta(linha, +1);
    }
}

void ImportacaoExtrato::conta(const LinhaRevisao &linha, int sinal)
{
    m_totais.marcadas += sinal;
    const qint64 centavos = linha.extrato.centavos;
    if (centavos >= 0) {
        m_totais.creditos += sinal;
        m_totais.centavosCreditos += sinal * centavos;
    } else {
        m_totais.debitos += sinal;
        m_totais.centavosDebitos += sinal * centavos;
    }
}

void ImportacaoExtrato::marca(int i, bool marcada)
{
    LinhaRevisao &linha = m_linhas.at(size_t(i));
    if (linha.marcada == marcada)
        return;
    linha.marcada = marcada;
    conta(linha, marcada ? +1 : -1);
}

void ImportacaoExtrato::escolheCategoria(int i, int categoria)
{
    if (categoriaValida(categoria))
        m_linhas.at(size_t(i)).categoria = categoria;
}

ImportacaoExtrato::Gravacao ImportacaoExtrato::grava(const QDateTime &agora)
{
    Gravacao feito;
    std::vector<data::Table::Importado> lancamentos;
    lancamentos.reserve(size_t(m_totais.marcadas));
    QSet<QString> usadas = m_importadas;
    for (const LinhaRevisao &linha : m_linhas) {
        if (!linha.marcada)
            continue;
        const LinhaExtrato &l = linha.extrato;
        data::Lancamento row{0, l.data, l.descricao, linha.categoria, double(l.centavos) / 100.0};
        lancamentos.push_back({std::move(row), identidadeLivre(l.identidade, usadas)});
    }
    if (lancamentos.empty())
        return feito;

    feito.copia = m_fin.backUp(agora);
    data::Transaction transacao(m_db, {m_fin.tableName(), m_plano.tableName()});
    m_fin.insertImported(lancamentos);
    for (const LinhaRevisao &linha : m_linhas) {
        if (linha.marcada && linha.planejado != 0) {
            // As the due-entry check advances an entry it offered.
            avancaUmMes(m_plano, linha.planejado, linha.diaPlanejado);
            ++feito.planejadosAvancados;
        }
    }
    transacao.commit();
    feito.lancamentos = int(lancamentos.size());
    m_importadas = usadas;
    return feito;
}

// ---- Columns of a CSV without a header ----------------------------------------------

namespace {

constexpr int LinhasParaSugerir = 5;

bool ehData(const QString &celula)
{
    const QString texto = celula.trimmed();
    return QDate::fromString(texto, u"dd/MM/yyyy"_s).isValid() || QDate::fromString(texto, u"d/M/yyyy"_s).isValid();
}

bool ehValor(const QString &celula)
{
    return extrato::leCentavos(celula, u',', u'.').has_value() || extrato::leCentavos(celula, u'.', u',').has_value();
}

} // namespace

ColunasCsv sugereColunas(const TabelaCsv &tabela)
{
    ColunasCsv colunas;
    const int amostra = int(std::min<qsizetype>(tabela.linhas.size(), LinhasParaSugerir));
    if (amostra == 0)
        return colunas;
    int largura = 0;
    for (int r = 0; r < amostra; ++r)
        largura = std::max(largura, int(tabela.linhas[r].size()));
    const auto todas = [&](int coluna, bool (*teste)(const QString &)) {
        for (int r = 0; r < amostra; ++r) {
            const QStringList &linha = tabela.linhas[r];
            if (coluna >= linha.size() || !teste(linha[coluna]))
                return false;
        }
        return true;
    };
    for (int c = 0; c < largura && colunas.data < 0; ++c) {
        if (todas(c, ehData))
            colunas.data = c;
    }
    for (int c = largura - 1; c >= 0 && colunas.valor < 0; --c) {
        if (c != colunas.data && todas(c, ehValor))
            colunas.valor = c;
    }
    qsizetype maisLonga = -1;
    for (int c = 0; c < largura; ++c) {
        if (c == colunas.data || c == colunas.valor)
            continue;
        qsizetype comprimento = 0;
        for (int r = 0; r < amostra; ++r)
            comprimento += c < tabela.linhas[r].size() ? tabela.linhas[r][c].trimmed().size() : 0;
        if (comprimento > maisLonga) {
            maisLonga = comprimento;
            colunas.descricao = c;
        }
    }
    return colunas;
}

} // namespace cofrel
