#include "ledger/leitor_csv.h"

#include "ledger/extrato_comum.h"

#include <optional>
#include <variant>

using namespace Qt::StringLiterals;

namespace cofrel {

namespace {

// Rows looked at for the separator and for the header (banks put a few
// lines about the account before it).
constexpr int RegistrosParaDetectar = 20;
// A million lines of eight columns; keeps a forged file's memory bounded.
constexpr qsizetype MaximoCelulas = 8'000'000;

// ';' when as many of the first rows hold one (outside quotes) as hold a
// ',': with decimal commas every row holds both, and the header only ';'.
QChar detectaSeparador(QStringView texto)
{
    int comPontoEVirgula = 0;
    int comVirgula = 0;
    int registros = 0;
    bool pontoEVirgula = false;
    bool virgula = false;
    bool aspas = false;
    for (qsizetype i = 0; i <= texto.size() && registros < RegistrosParaDetectar; ++i) {
        const QChar c = i < texto.size() ? texto[i] : QChar(u'\n');
        if (c == u'"') {
            aspas = !aspas;
        } else if (!aspas && c == u';') {
            pontoEVirgula = true;
        } else if (!aspas && c == u',') {
            virgula = true;
        } else if (!aspas && c == u'\n') {
            comPontoEVirgula += pontoEVirgula;
            comVirgula += virgula;
            registros += pontoEVirgula || virgula;
            pontoEVirgula = virgula = false;
        }
    }
    if (comPontoEVirgula > 0 && comPontoEVirgula >= comVirgula)
        return u';';
    return comVirgula > 0 ? QChar(u',') : QChar();
}

// Splits the text into rows of cells, blank rows left out, each row with
// the line it starts on.
void separaCelulas(QStringView texto, QChar separador, TabelaCsv &tabela)
{
    QStringList registro;
    QString celula;
    bool soBrancos = true; // in the cell so far: quotes open a cell only there
    qsizetype celulas = 0;
    int linha = 1;
    int inicio = 1;
    bool aspas = false;
    const auto fechaCelula = [&] {
        if (++celulas > MaximoCelulas)
            extrato::recusa(u"O arquivo tem células demais para um extrato do banco."_s);
        registro.append(std::move(celula).trimmed());
        celula = QString();
        soBrancos = true;
    };
    const auto fechaRegistro = [&] {
        fechaCelula();
        const bool vazio =
            std::all_of(registro.cbegin(), registro.cend(), [](const QString &c) { return c.isEmpty(); });
        if (!vazio) {
            if (tabela.linhas.size() >= MaximoLinhasExtrato)
                extrato::recusa(u"O extrato tem mais de %1 linhas: não é o extrato de uma pessoa."_s.arg(
                    MaximoLinhasExtrato));
            tabela.linhas.append(std::move(registro));
            tabela.linhasArquivo.append(inicio);
        }
        registro = QStringList();
        inicio = linha;
    };
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (aspas) {
            if (c == u'"' && i + 1 < texto.size() && texto[i + 1] == u'"') {
                celula += u'"';
                ++i;
            } else if (c == u'"') {
                aspas = false;
            } else {
                linha += c == u'\n';
                celula += c;
            }
        } else if (c == u'"' && soBrancos) {
            aspas = true;
            soBrancos = false;
            celula.clear();
        } else if (c == separador) {
            fechaCelula();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < texto.size() && texto[i + 1] == u'\n')
                ++i;
            ++linha;
            fechaRegistro();
        } else {
            soBrancos = soBrancos && c.isSpace();
            celula += c;
        }
    }
    if (aspas)
        extrato::recusaCortado(inicio);
    fechaRegistro();
}

QString normalizaNome(QStringView celula)
{
    QString nome = celula.toString().normalized(QString::NormalizationForm_D);
    nome.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return std::move(nome).toCaseFolded().simplified();
}

// "valor", "valor (r$)", "data do lancamento"; not "valores" nor "datas".
bool comecaCom(QStringView nome, std::initializer_list<QStringView> palavras)
{
    for (const QStringView p : palavras) {
        if (nome.startsWith(p) && (nome.size() == p.size() || !nome[p.size()].isLetterOrNumber()))
            return true;
    }
    return false;
}

ColunasCsv colunasPeloNome(const QStringList &celulas)
{
    ColunasCsv colunas;
    const auto marca = [](int &coluna, int i) {
        if (coluna < 0)
            coluna = i;
    };
    for (int i = 0; i < int(celulas.size()); ++i) {
        const QString nome = normalizaNome(celulas[i]);
        if (comecaCom(nome, {u"data"}))
            marca(colunas.data, i);
        else if (comecaCom(nome, {u"descricao", u"historico", u"lancamento", u"memo"}))
            marca(colunas.descricao, i);
        else if (comecaCom(nome, {u"valor"}))
            marca(colunas.valor, i);
        else if (comecaCom(nome, {u"credito", u"creditos"}))
            marca(colunas.credito, i);
        else if (comecaCom(nome, {u"debito", u"debitos"}))
            marca(colunas.debito, i);
    }
    return colunas;
}

bool ehCabecalho(const ColunasCsv &c)
{
    return c.data >= 0 && (c.valor >= 0 || c.credito >= 0 || c.debito >= 0);
}

// A cell that is no date at all (a title, a total) leaves its row out; one
// that tries to be a date and is none refuses the file.
struct NaoData {};
struct DataInvalida {};
using DataCsv = std::variant<QDate, NaoData, DataInvalida>;

DataCsv dataCsv(QStringView texto)
{
    texto = texto.trimmed();
    if (texto.isEmpty() || !texto.front().isDigit() || !texto.contains(u'/'))
        return NaoData{};
    const qsizetype espaco = texto.indexOf(u' '); // a time after the date
    if (espaco > 0)
        texto = texto.first(espaco);
    int partes[3] = {};
    int n = 0;
    for (const QStringView parte : texto.tokenize(u'/')) {
        bool ok = n < 3 && !parte.isEmpty() && parte.size() <= (n == 2 ? 4 : 2)
                  && std::all_of(parte.begin(), parte.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!ok || (n == 2 && parte.size() != 2 && parte.size() != 4))
            return DataInvalida{};
        partes[n] = parte.toInt();
        if (n == 2 && parte.size() == 2)
            partes[n] += 2000;
        ++n;
    }
    if (n != 3)
        return DataInvalida{};
    const std::optional<QDate> data = extrato::dataValida(partes[2], partes[1], partes[0]);
    if (!data)
        return DataInvalida{};
    return *data;
}

bool temData(const TabelaCsv &tabela)
{
    const auto ehData = [](const QString &c) { return std::holds_alternative<QDate>(dataCsv(c)); };
    for (const QStringList &linha : tabela.linhas) {
        if (linha.size() >= 2 && std::any_of(linha.cbegin(), linha.cend(), ehData))
            return true;
    }
    return false;
}

// "1.234,56", "-12,50", "(12,50)", "R$ 12,50", "12,50 D" (a debit) or "C".
std::optional<qint64> valorCsv(QStringView texto, QChar decimal)
{
    QString t = texto.toString();
    t.remove(u"R$"_s);
    t.removeIf([](QChar c) { return c.isSpace(); });
    int sinal = 0; // a marker's: -1 debit, 1 credit
    if (t.size() > 1 && t.back().isLetter()) {
        const QChar marcador = t.back().toUpper();
        if (marcador != u'D' && marcador != u'C')
            return std::nullopt;
        sinal = marcador == u'D' ? -1 : 1;
        t.chop(1);
    }
    if (t.size() > 2 && t.front() == u'(' && t.back() == u')') {
        sinal = -1;
        t = t.sliced(1, t.size() - 2);
    }
    const QChar milhar = decimal == u',' ? u'.' : u',';
    const std::optional<qint64> valor = extrato::leCentavos(t, decimal, milhar);
    if (!valor || sinal == 0)
        return valor;
    return sinal * (*valor < 0 ? -*valor : *valor);
}

// The decimal separator of the amount columns: where a cell shows it
// (the last of '.' and ',', or a lone one not followed by three digits),
// the most shown; a comma when none does.
QChar detectaDecimal(const TabelaCsv &tabela, const ColunasCsv &colunas)
{
    int virgula = 0;
    int ponto = 0;
    for (const QStringList &linha : tabela.linhas) {
        for (const int coluna : {colunas.valor, colunas.credito, colunas.debito}) {
            if (coluna < 0 || coluna >= linha.size())
                continue;
            const QString &c = linha[coluna];
            const qsizetype v = c.lastIndexOf(u',');
            const qsizetype p = c.lastIndexOf(u'.');
            if (v >= 0 && p >= 0) {
                ++(v > p ? virgula : ponto);
            } else if (v >= 0 || p >= 0) {
                const qsizetype s = std::max(v, p);
                qsizetype digitos = 0;
                while (s + 1 + digitos < c.size() && c[s + 1 + digitos].isDigit())
                    ++digitos;
                if (digitos != 3 && c.count(c[s]) == 1)
                    ++(v >= 0 ? virgula : ponto);
            }
        }
    }
    return ponto > virgula ? u'.' : u',';
}

[[noreturn]] void recusaLinha(int linha, const QString &motivo, const QString &celula = {})
{
    QString mensagem = u"A linha %1 do arquivo "_s.arg(linha) + motivo;
    mensagem += celula.isEmpty() ? u"."_s : u": «" + extrato::trecho(celula) + u"».";
    extrato::recusa(mensagem);
}

} // namespace

TabelaCsv leTabelaCsv(const QString &texto)
{
    TabelaCsv tabela;
    tabela.separador = detectaSeparador(texto);
    if (tabela.separador.isNull())
        extrato::recusaNaoExtrato();
    separaCelulas(texto, tabela.separador, tabela);
    const qsizetype procura = std::min<qsizetype>(tabela.linhas.size(), RegistrosParaDetectar);
    for (qsizetype i = 0; i < procura; ++i) {
        const ColunasCsv colunas = colunasPeloNome(tabela.linhas[i]);
        if (ehCabecalho(colunas)) {
            tabela.colunas = colunas;
            tabela.cabecalho = tabela.linhas[i];
            tabela.linhas.remove(0, i + 1);
            tabela.linhasArquivo.remove(0, i + 1);
            return tabela;
        }
    }
    if (!temData(tabela))
        extrato::recusaNaoExtrato();
    return tabela;
}

QList<LinhaExtrato> linhasCsv(const TabelaCsv &tabela, const ColunasCsv &colunas)
{
    if (!colunas.valida())
        extrato::recusa(u"Escolha as colunas da data, da descrição e do valor (ou do crédito e do débito)."_s);
    const QChar decimal = detectaDecimal(tabela, colunas);
    QList<LinhaExtrato> linhas;
    for (qsizetype r = 0; r < tabela.linhas.size(); ++r) {
        const QStringList &registro = tabela.linhas[r];
        const int linha = tabela.linhasArquivo.value(r);
        const auto celula = [&](int coluna) { return coluna < registro.size() ? registro[coluna] : QString(); };
        const DataCsv data = dataCsv(celula(colunas.data));
        if (std::holds_alternative<NaoData>(data))
            continue;
        if (std::holds_alternative<DataInvalida>(data))
            recusaLinha(linha, u"tem uma data inválida"_s, celula(colunas.data));
        QString descricao = extrato::limpaDescricao(celula(colunas.descricao));
        if (extrato::ehLinhaDeSaldo(descricao))
            continue;
        qint64 centavos = 0;
        if (colunas.valor >= 0) {
            const QString v = celula(colunas.valor);
            if (v.isEmpty())
                recusaLinha(linha, u"não tem valor"_s);
            const std::optional<qint64> lido = valorCsv(v, decimal);
            if (!lido)
                recusaLinha(linha, u"tem um valor inválido"_s, v);
            centavos = *lido;
        } else {
            // A dash or nothing in the other column of the pair.
            const QString c = celula(colunas.credito) == u"-" ? QString() : celula(colunas.credito);
            const QString d = celula(colunas.debito) == u"-" ? QString() : celula(colunas.debito);
            if (c.isEmpty() && d.isEmpty())
                recusaLinha(linha, u"não tem valor"_s);
            const std::optional<qint64> credito = c.isEmpty() ? 0 : valorCsv(c, decimal);
            const std::optional<qint64> debito = d.isEmpty() ? 0 : valorCsv(d, decimal);
            if (!credito || !debito)
                recusaLinha(linha, u"tem um valor inválido"_s, !credito ? c : d);
            centavos = *credito - (*debito < 0 ? -*debito : *debito);
            if (centavos <= -extrato::LimiteCentavos || centavos >= extrato::LimiteCentavos)
                recusaLinha(linha, u"tem um valor grande demais"_s);
        }
        linhas.append({std::get<QDate>(data), centavos, std::move(descricao), {}});
    }
    if (linhas.isEmpty())
        extrato::recusaSemTransacao();
    extrato::completaIdentidades(linhas);
    return linhas;
}

} // namespace cofrel
