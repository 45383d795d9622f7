// A book of any size, for trying the program and for measuring it: a new
// user registered as the new-user window does it, a ledger of N realistic
// transactions over 25 years (into next month) and P planned entries, all
// written through the program's own table components. The same seed and
// the same day give the same book.
//
//   cofrel_ledgergen <pasta dados> <usuário> <senha> <N> <P>
//                    [--seed S] [--hoje dd/mm/aaaa] [--vencidos K]
//
// --vencidos K makes the first K planned entries due (dated today or
// earlier); by default nothing is due.

#include "accounts/arquivos_usuario.h"
#include "accounts/senha.h"
#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "data/database.h"
#include "data/tables.h"
#include "data/templates.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <exception>
#include <optional>
#include <random>
#include <vector>

using namespace Qt::StringLiterals;
using cofrel::data::Database;
using cofrel::data::Lancamento;
using cofrel::data::Table;
using cofrel::data::Transaction;

namespace {

constexpr int LinhasPorTransacao = 10000;

// The standard engine is fixed by the standard; the library's
// distributions are not, so the draws are made here.
class Sorteio final {
public:
    explicit Sorteio(std::uint64_t seed) : m_engine(seed) {}

    double unidade() { return double(m_engine() >> 11) * 0x1.0p-53; }
    int entre(int menor, int maior) // both included
    {
        return menor + int(unidade() * double(maior - menor + 1));
    }
    bool chance(double p) { return unidade() < p; }
    template <size_t N>
    const char16_t *um(const std::array<const char16_t *, N> &lista)
    {
        return lista[size_t(entre(0, int(N) - 1))];
    }
    // Amounts spread evenly on a log scale, in whole cents.
    double valor(double menor, double maior)
    {
        const double v = std::exp(std::log(menor) + unidade() * (std::log(maior) - std::log(menor)));
        return std::round(v * 100.0) / 100.0;
    }

private:
    std::mt19937_64 m_engine;
};

struct Categoria {
    int peso;
    double menor, maior; // amounts in reais
    double credito;      // share of credits
    std::array<const char16_t *, 10> textos;
};

// Category numbers 1..8 in the program's order.
const std::array<Categoria, 8> Categorias = {{
    {28, 4, 450, 0.03,
     {u"Supermercado", u"Padaria", u"Açougue", u"Feira livre", u"Hortifrúti", u"Restaurante", u"Lanchonete",
      u"Almoço no centro", u"Pizzaria", u"Café e pão de queijo"}},
    {6, 40, 2500, 0.02,
     {u"Mensalidade escolar", u"Material escolar", u"Livros", u"Curso de inglês", u"Faculdade", u"Matrícula",
      u"Apostilas", u"Uniforme", u"Curso de violão", u"Excursão da escola"}},
    {12, 10, 1800, 0.04,
     {u"Cinema", u"Teatro", u"Viagem", u"Hotel", u"Show", u"Clube", u"Assinatura de vídeo", u"Passeio",
      u"Presente de aniversário", u"Bar com os amigos"}},
    {12, 60, 4000, 0.02,
     {u"Aluguel", u"Condomínio", u"Conta de luz", u"Conta de água", u"Gás", u"Internet", u"IPTU",
      u"Reforma da cozinha", u"Eletricista", u"Móveis"}},
    {7, 15, 1500, 0.05,
     {u"Farmácia", u"Consulta médica", u"Dentista", u"Exames de laboratório", u"Plano de saúde", u"Óculos",
      u"Fisioterapia", u"Academia", u"Vacina", u"Psicóloga"}},
    {10, 300, 15000, 0.95,
     {u"Salário", u"13º salário", u"Férias", u"Honorários", u"Consultoria", u"Reembolso de despesas",
      u"Bônus anual", u"Hora extra", u"Aula particular", u"Tradução"}},
    {17, 3, 900, 0.02,
     {u"Combustível", u"Ônibus", u"Metrô", u"Táxi", u"Estacionamento", u"Pedágio", u"Oficina mecânica", u"IPVA",
      u"Seguro do carro", u"Troca de óleo"}},
    {10, 2, 2000, 0.08,
     {u"Presente", u"Doação", u"Tarifa bancária", u"Saque", u"Correios", u"Cartório", u"Conserto do relógio",
      u"Pet shop", u"Lavanderia", u"Chaveiro"}},
}};

const std::array<const char16_t *, 10> Lugares = {
    u"São João", u"Pão de Açúcar", u"Conceição", u"Três Irmãos", u"Bom Preço", u"da Estação", u"da Esquina",
    u"Coração de Maria", u"Ipê Amarelo", u"Joaquim & Filhos"};

const std::array<const char16_t *, 10> Notas = {
    u"pago no cartão", u"à vista", u"dividido com a família", u"promoção de fim de mês", u"compra do mês",
    u"conferir na fatura", u"orçamento aprovado pela Inês", u"com desconto de pontualidade",
    u"combinado com o síndico", u"nota fiscal guardada na gaveta"};

const std::array<const char16_t *, 12> Meses = {u"janeiro", u"fevereiro", u"março", u"abril", u"maio", u"junho",
                                                u"julho", u"agosto", u"setembro", u"outubro", u"novembro",
                                                u"dezembro"};

const std::array<const char16_t *, 3> Estornos = {u"Estorno", u"Devolução", u"Reembolso"};

int sorteiaCategoria(Sorteio &s)
{
    int total = 0;
    for (const Categoria &c : Categorias)
        total += c.peso;
    int r = s.entre(0, total - 1);
    for (size_t i = 0; i < Categorias.size(); ++i) {
        if (r < Categorias[i].peso)
            return int(i) + 1;
        r -= Categorias[i].peso;
    }
    return int(Categorias.size());
}

// Mostly short texts, some with a place or a note, a few long ones up to
// the field's 100 characters, an odd empty one.
QString descricao(Sorteio &s, const Categoria &c, bool estorno, const QDate &data)
{
    if (s.chance(0.02))
        return {};
    QString texto = QString::fromUtf16(s.um(c.textos));
    if (estorno)
        texto = QString::fromUtf16(s.um(Estornos)) + u" - " + texto;
    const double r = s.unidade();
    if (r < 0.35)
        texto += u' ' + QString::fromUtf16(s.um(Lugares));
    if (r > 0.55)
        texto += u", " + QString::fromUtf16(s.um(Notas));
    if (r > 0.75)
        texto += u" (parcela %1/%2)"_s.arg(s.entre(1, 3)).arg(s.entre(3, 12));
    if (r > 0.90) {
        texto += u" - referente a " + QString::fromUtf16(Meses[size_t(data.month() - 1)]) + u" de "
                 + QString::number(data.year());
        while (texto.size() < 100)
            texto += u"; " + QString::fromUtf16(s.um(Notas));
    }
    return texto.left(100).trimmed();
}

struct Opcoes {
    QString dados;
    QString usuario;
    QString senha;
    qint64 lancamentos = 0;
    int planejados = 0;
    int vencidos = 0;
    std::uint64_t seed = 1;
    QDate hoje;
};

[[noreturn]] void uso(const QString &motivo)
{
    QTextStream(stderr) << "cofrel_ledgergen: " << motivo << "\n"
                        << "uso: cofrel_ledgergen <pasta dados> <usuário> <senha> <N lançamentos> "
                           "<P planejados> [--seed S] [--hoje dd/mm/aaaa] [--vencidos K]\n";
    std::exit(2);
}

Opcoes leOpcoes(const QStringList &args)
{
    Opcoes o;
    QStringList posicionais;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--seed"_s || a == u"--hoje"_s || a == u"--vencidos"_s) {
            if (i + 1 >= args.size())
                uso(u"falta o valor de "_s + a);
            const QString v = args[++i];
            bool ok = true;
            if (a == u"--seed"_s) {
                o.seed = v.toULongLong(&ok);
            } else if (a == u"--vencidos"_s) {
                o.vencidos = v.toInt(&ok);
                ok = ok && o.vencidos >= 0;
            } else {
                const std::optional<QDate> d = cofrel::LeData(v);
                ok = d.has_value();
                o.hoje = d.value_or(QDate());
            }
            if (!ok)
                uso(u"valor inválido para "_s + a + u": "_s + v);
        } else {
            posicionais << a;
        }
    }
    if (posicionais.size() != 5)
        uso(u"são cinco argumentos"_s);
    bool okN = false;
    bool okP = false;
    o.dados = posicionais[0];
    o.usuario = posicionais[1].trimmed();
    o.senha = posicionais[2];
    o.lancamentos = posicionais[3].toLongLong(&okN);
    o.planejados = posicionais[4].toInt(&okP);
    if (!okN || o.lancamentos < 0 || !okP || o.planejados < 0)
        uso(u"N e P são números inteiros, 0 ou mais"_s);
    if (o.usuario.isEmpty())
        uso(u"o nome do usuário está vazio"_s);
    if (o.senha.trimmed().isEmpty() || o.senha.size() > cofrel::TamanhoMaximoSenha
        || QString::fromLatin1(o.senha.toLatin1()) != o.senha)
        uso(u"a senha tem de 1 a 20 caracteres Latin-1"_s);
    if (o.vencidos > o.planejados)
        uso(u"--vencidos maior que P"_s);
    if (!o.hoje.isValid())
        o.hoje = cofrel::clock::today();
    return o;
}

// As the new-user window does it: the row with the scrambled password and
// the copies of the templates stand or fall together.
int registraUsuario(Database &db, const QString &pasta, const QString &nome, const QString &senha)
{
    cofrel::data::UserTable usuarios(db);
    if (usuarios.find(QLocale().toUpper(nome)) || usuarios.find(nome))
        throw cofrel::Error(u"O usuário %1 já existe em %2."_s.arg(nome, pasta));
    Transaction transacao(db, {QString(cofrel::data::UserTable::FileName)});
    const int numero = usuarios.insert(nome, cofrel::CodificaSenha(senha.toLatin1()));
    if (!usuarios.find(nome))
        throw cofrel::Error(u"O usuário %1 não foi encontrado em users.db depois de gravado."_s.arg(nome));
    cofrel::TabelasDoUsuario tabelas(pasta, numero);
    tabelas.copiaModelos();
    transacao.commit();
    tabelas.confirma();
    return numero;
}

// Dates spread evenly from 25 years back to a month ahead, entered mostly
// in date order, some a few rows late, as a person keeps a book.
std::vector<qint64> datasDoRazao(Sorteio &s, qint64 n, const QDate &hoje)
{
    const qint64 inicio = hoje.addYears(-25).toJulianDay();
    const qint64 fim = hoje.addMonths(1).toJulianDay();
    std::vector<qint64> dias(static_cast<size_t>(n));
    for (qint64 &d : dias)
        d = inicio + qint64(s.unidade() * double(fim - inicio + 1));
    std::sort(dias.begin(), dias.end());
    for (size_t i = 1; i < dias.size(); ++i) {
        if (s.chance(0.1)) {
            const size_t j = i - std::min<size_t>(i, size_t(s.entre(1, 20)));
            std::swap(dias[i], dias[j]);
        }
    }
    return dias;
}

void escreveRazao(Database &db, const QString &arquivo, const Opcoes &o, Sorteio &s)
{
    const std::vector<qint64> dias = datasDoRazao(s, o.lancamentos, o.hoje);
    Table fin(db, Table::Kind::Ledger, arquivo);
    QElapsedTimer relogio;
    relogio.start();
    size_t i = 0;
    while (i < dias.size()) {
        Transaction lote(db, {arquivo});
        for (const size_t fimLote = std::min(dias.size(), i + LinhasPorTransacao); i < fimLote; ++i) {
            const QDate data = QDate::fromJulianDay(dias[i]);
            const int categoria = sorteiaCategoria(s);
            const Categoria &c = Categorias[size_t(categoria - 1)];
            const bool credito = s.chance(c.credito);
            const bool estorno = credito && categoria != cofrel::CategoriaTrabalho;
            const double valor = s.valor(c.menor, estorno ? c.maior / 4 : c.maior);
            const QString texto = descricao(s, c, estorno, data); // drawn after the amount
            fin.insert(Lancamento{0, data, texto, categoria, credito ? valor : -valor});
        }
        lote.commit();
        if (i % 100000 == 0 || i == dias.size())
            QTextStream(stderr) << "  " << i << " lançamentos (" << relogio.elapsed() / 1000.0 << " s)\n";
    }
}

// Each planned entry falls due on its day of the month; its next date is
// the first such day after today (or, for the due ones, the last one up to
// today).
void escrevePlano(Database &db, const QString &arquivo, const Opcoes &o, Sorteio &s)
{
    Table dfin(db, Table::Kind::Plan, arquivo);
    Transaction lote(db, {arquivo});
    for (int i = 0; i < o.planejados; ++i) {
        const int dia = s.chance(0.9) ? s.entre(1, 28) : s.entre(29, 31);
        const bool vencido = i < o.vencidos;
        QDate data = cofrel::EncodeDateSeguro(dia, o.hoje.month(), o.hoje.year());
        if (vencido && data > o.hoje)
            data = cofrel::EncodeDateSeguro(dia, o.hoje.addMonths(-1).month(), o.hoje.addMonths(-1).year());
        if (!vencido && data <= o.hoje)
            data = cofrel::EncodeDateSeguro(dia, o.hoje.addMonths(1).month(), o.hoje.addMonths(1).year());
        const int categoria = sorteiaCategoria(s);
        const Categoria &c = Categorias[size_t(categoria - 1)];
        const bool credito = s.chance(c.credito);
        const double valor = s.valor(c.menor, c.maior);
        const QString texto = QString::fromUtf16(s.um(c.textos)) + u" (mensal)"; // drawn after the amount
        dfin.insert(Lancamento{0, data, texto, categoria, credito ? valor : -valor, dia});
    }
    lote.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const Opcoes o = leOpcoes(QCoreApplication::arguments());
    try {
        const QString pasta = QDir(o.dados).absolutePath() + u'/';
        if (!QFileInfo::exists(pasta + u"fin.DB"_s) || !QFileInfo::exists(pasta + u"dfin.DB"_s))
            cofrel::data::createTemplates(pasta);
        Database db(pasta);

        QElapsedTimer relogio;
        relogio.start();
        const int numero = registraUsuario(db, pasta, o.usuario, o.senha);
        Sorteio s(o.seed);
        escreveRazao(db, u"f%1.db"_s.arg(numero), o, s);
        escrevePlano(db, u"d%1.db"_s.arg(numero), o, s);
        QTextStream(stdout) << "Usuário " << o.usuario << " (número " << numero << "): " << o.lancamentos
                            << " lançamentos e " << o.planejados << " planejados em " << pasta << ", "
                            << relogio.elapsed() / 1000.0 << " s\n";
    } catch (const std::exception &e) {
        QTextStream(stderr) << "cofrel_ledgergen: " << QString::fromUtf8(e.what()) << '\n';
        return 1;
    }
    return 0;
}
