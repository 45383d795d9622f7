#include "crashwriter_operacoes.h"

#include "crashwriter_protocolo.h"
#include "crashwriter_vfs.h"

#include "accounts/cofrel_inclui_usuario.h"
#include "accounts/cofrel_login.h"
#include "accounts/senha.h"
#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/interaction.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/schema.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/extrato_banco.h"
#include "ledger/importacao.h"
#include "planning/lancamentos_vencidos.h"
#include "planning/plano_mensal.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <optional>

#include <unistd.h>

namespace cofrel::crashwriter {

using namespace Qt::StringLiterals;

// Answers Yes to every question and keeps what the program said: any
// message or error during an operation means it did not do its work.
class InteracaoDoEscritor final : public Interaction {
public:
    void message(const QString &text) override { ditos << text; }
    bool question(const QString &, const QString &, QuestionIcon) override { return true; }
    void error(const QString &text, const QString &details) override { ditos << text + u' ' + details; }
    void beep() override {}
    void showHelp(const QString &, int) override {}

    QStringList ditos;
};

void emite(char tipo, const QJsonObject &objeto)
{
    const QByteArray texto = linha(tipo, objeto);
    qsizetype feito = 0;
    while (feito < texto.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, texto.constData() + feito, size_t(texto.size() - feito));
        if (n <= 0)
            std::_Exit(4);
        feito += n;
    }
}

void emiteTexto(const QString &texto)
{
    const QByteArray bytes = texto.toUtf8() + '\n';
    if (::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())) != ssize_t(bytes.size()))
        std::_Exit(4);
}

namespace {

TDados &dados()
{
    return *forms().Dados;
}

qint64 centavosDe(double valor)
{
    return std::llround(valor * 100.0);
}

// The highest number in the user's ledger (0 for none): a booking's new row
// has it, as the engine never gives a number twice.
qint64 ultimoLancamento()
{
    data::Database &db = dados().database();
    const QString fin = dados().TableFin.tableName();
    const QString leitura = u"ler a tabela"_s;
    QSqlQuery q = db.run(u"SELECT max(Transacao) FROM %1"_s.arg(db.attach(fin)), {}, leitura, fin);
    return data::nextRow(q, leitura, fin) ? q.value(0).toLongLong() : 0;
}

QJsonObject comoJson(const QDate &data, int categoria, const QString &descricao, qint64 centavos)
{
    return {{u"data"_s, data::isoDate(data)},
            {u"cat"_s, categoria},
            {u"desc"_s, descricao},
            {u"centavos"_s, centavos}};
}

// Runs \a acao when the entry dialog has been shown by a modal loop.
class AoMostrar final : public QObject {
public:
    AoMostrar(QWidget *janela, std::function<void()> acao) : m_janela(janela), m_acao(std::move(acao))
    {
        m_janela->installEventFilter(this);
    }
    ~AoMostrar() override { m_janela->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_janela && event->type() == QEvent::Show)
            QMetaObject::invokeMethod(this, [this] { m_acao(); }, Qt::QueuedConnection);
        return false;
    }

private:
    QWidget *m_janela;
    std::function<void()> m_acao;
};

// Pieces of names and descriptions a careless program would splice into
// its SQL, or mangle on the way through.
const QStringList &pedacos()
{
    static const QStringList lista{
        u"Zé"_s, u"O'Brien"_s, u"Ana\"; DROP TABLE users;--"_s, u"Łukasz"_s, u"山田"_s, u"Ærø"_s,
        u"conta 50% _x_"_s, u"emoji 😀"_s, u"' OR '1'='1"_s, u"São João"_s, u"ΣΩ"_s, u"mercado"_s,
        u"aluguel"_s, u"\\ barra"_s, u"x'); DELETE FROM fin; --"_s,
    };
    return lista;
}

} // namespace

Escritor::Escritor(const QString &pastaPrograma, quint64 semente)
    : m_interacao(std::make_unique<InteracaoDoEscritor>()), m_sorte(semente)
{
    LoginContext &contexto = loginContext();
    contexto.AppDir = pastaPrograma.endsWith(u'/') ? pastaPrograma : pastaPrograma + u'/';
    setInteraction(m_interacao.get());
    Forms &f = forms();
    f.Dados = new TDados(contexto.dataDir());
    f.CofrelInclui = new TformCofrelInclui();
    f.IncluirValor = new TformIncluirValor();
    f.CofrelLogin = new TformCofrelLogin();
    m_interacao->ditos.clear();
}

Escritor::~Escritor()
{
    Forms &f = forms();
    delete f.CofrelLogin;
    delete f.IncluirValor;
    delete f.CofrelInclui;
    delete f.Dados;
    f = Forms{};
    setInteraction(nullptr);
}

// ---- Reading what there is ---------------------------------------------------

std::vector<Escritor::Usuario> Escritor::leUsuarios()
{
    std::vector<Usuario> usuarios;
    data::UserTable &tabela = dados().TableUser;
    for (const QString &nome : tabela.names()) {
        const std::optional<data::UserTable::Usuario> usuario = tabela.find(nome);
        if (!usuario)
            throw Error(u"O usuário %1 está na lista mas não no registro."_s.arg(nome));
        bool legivel = false;
        const QByteArray senha = DecodificaSenha(usuario->senha, &legivel);
        if (!legivel)
            throw Error(u"A senha guardada de um usuário não se lê."_s);
        usuarios.push_back({usuario->nome, senha, usuario->numero});
    }
    return usuarios;
}

void Escritor::entraComo(const Usuario &usuario)
{
    loginContext().setUser(usuario.nome, usuario.numero);
    dados().setUserTables(loginContext().FinTableName, loginContext().DFinTableName);
}

std::vector<Escritor::Linha> Escritor::leLancamentos()
{
    std::vector<Linha> resultado;
    for (const data::Lancamento &l : dados().TableFin.rows())
        resultado.push_back({l.transacao, 0, {}, 0, {}, 0});
    return resultado;
}

std::vector<Escritor::Linha> Escritor::lePlano()
{
    std::vector<Linha> resultado;
    for (const data::Lancamento &l : dados().TableDFin.rows())
        resultado.push_back({l.transacao, l.dia, l.data, 0, {}, 0});
    return resultado;
}

// The due rows in the order the due-entry check offers them: the same
// statement over the same table.
std::vector<Escritor::Linha> Escritor::leVencidos(const QDate &hoje)
{
    std::vector<Linha> vencidos;
    for (const data::Lancamento &l : dados().QueryD.due(loginContext().DFinTableName, hoje))
        vencidos.push_back({l.transacao, l.dia, l.data, l.categoria, l.descricao, centavosDe(l.valor)});
    return vencidos;
}

// ---- Choosing ------------------------------------------------------------------

void Escritor::umaOperacaoAoAcaso()
{
    const std::vector<Usuario> usuarios = leUsuarios();
    if (usuarios.empty()) {
        incluiUsuario();
        return;
    }
    const Usuario &usuario = usuarios[size_t(sorteia(0, int(usuarios.size()) - 1))];
    entraComo(usuario);
    const std::vector<Linha> lancamentos = leLancamentos();
    const std::vector<Linha> plano = lePlano();

    // Weights: users now and then, the ledger and the plan most of the time.
    const int incluiUsu = usuarios.size() < 5 ? 5 : 0;
    const int apagaUsu = usuarios.size() >= 3 ? 2 : 0;
    const int inclui = 28;
    const int altera = lancamentos.empty() ? 0 : 14;
    const int apaga = lancamentos.empty() ? 0 : 9;
    const int planeja = plano.size() < 6 ? 10 : 0;
    const int vence = plano.empty() ? 0 : 22;
    int escolha = sorteia(1, incluiUsu + apagaUsu + inclui + altera + apaga + planeja + vence);
    const auto cai = [&](int peso) { return (escolha -= peso) <= 0; };
    if (cai(incluiUsu))
        incluiUsuario();
    else if (cai(apagaUsu))
        apagaUsuario(usuario);
    else if (cai(inclui))
        incluiLancamento(usuario);
    else if (cai(altera))
        alteraLancamento(usuario, lancamentos[size_t(sorteia(0, int(lancamentos.size()) - 1))]);
    else if (cai(apaga))
        apagaLancamento(usuario, lancamentos[size_t(sorteia(0, int(lancamentos.size()) - 1))]);
    else if (cai(planeja))
        incluiPlanejado(usuario);
    else
        reservaVencidos(usuario, plano);
}

// ---- The operations ----------------------------------------------------------

void Escritor::confirmaSemErros(const QString &operacao)
{
    if (!m_interacao->ditos.isEmpty())
        throw Error(operacao + u": "_s + m_interacao->ditos.join(u" | "_s));
}

void Escritor::incluiUsuario()
{
    const QString nome = nomeAoAcaso();
    const QByteArray senha = senhaAoAcaso();
    TformCofrelInclui &janela = *forms().CofrelInclui;
    janela.editUsuario->setText(nome);
    janela.editSenha->setText(QString::fromLatin1(senha));
    janela.editConfirmaSenha->setText(QString::fromLatin1(senha));
    emite('B', {{u"op"_s, u"usuario"_s}, {u"nome"_s, nome}, {u"senha"_s, QString::fromLatin1(senha)}});
    m_interacao->ditos.clear();
    janela.setResult(0);
    janela.buttonOKClick();
    confirmaSemErros(u"inclusão de usuário"_s);
    if (janela.result() != mrOk)
        throw Error(u"A janela de novo usuário não terminou com OK."_s);

    const std::optional<data::UserTable::Usuario> incluido = dados().TableUser.find(nome);
    if (!incluido)
        throw Error(u"O usuário incluído não está no registro."_s);
    emite('A', {{u"op"_s, u"usuario"_s}, {u"numero"_s, incluido->numero}});
}

void Escritor::apagaUsuario(const Usuario &usuario)
{
    TformCofrelLogin &janela = *forms().CofrelLogin;
    janela.comboUsuario->clear();
    janela.comboUsuario->addItem(usuario.nome);
    janela.comboUsuario->setCurrentIndex(0);
    janela.editSenha->setText(QString::fromLatin1(usuario.senha));
    emite('B', {{u"op"_s, u"apaga_usuario"_s}, {u"numero"_s, usuario.numero}});
    m_interacao->ditos.clear();
    janela.buttonExcluirClick();
    confirmaSemErros(u"exclusão de usuário"_s);
    emite('A', {{u"op"_s, u"apaga_usuario"_s}});
}

void Escritor::preencheDialogoValor(const QDate &data, int categoria, const QString &descricao, qint64 centavos)
{
    TformIncluirValor &dialogo = *forms().IncluirValor;
    dialogo.editData()->setText(FormatData(data));
    dialogo.comboCategoria()->setCurrentIndex(categoria - 1);
    dialogo.editDescricao()->setText(descricao);
    dialogo.editValor()->setText(FormatValor(double(std::llabs(centavos)) / 100.0));
    dialogo.comboCredito()->setCurrentIndex(centavos < 0 ? TipoDebito : TipoCredito);
}

void Escritor::incluiLancamento(const Usuario &usuario)
{
    const QDate data = dataAoAcaso();
    const int categoria = sorteia(1, NumeroCategorias);
    const QString descricao = descricaoAoAcaso();
    const qint64 centavos = centavosAoAcaso();
    TformIncluirValor &dialogo = *forms().IncluirValor;
    dialogo.setEntryMode(TformIncluirValor::EntryMode::NovoLancamento);
    preencheDialogoValor(data, categoria, descricao, centavos);

    const qint64 anterior = ultimoLancamento();
    QJsonObject b = comoJson(data, categoria, descricao, centavos);
    b.insert(u"op"_s, u"lancamento"_s);
    b.insert(u"u"_s, usuario.numero);
    emite('B', b);
    m_interacao->ditos.clear();
    dialogo.setResult(0);
    dialogo.buttonOKClick();
    confirmaSemErros(u"inclusão de lançamento"_s);
    const qint64 novo = ultimoLancamento();
    if (dialogo.result() != mrOk || novo <= anterior)
        throw Error(u"O lançamento não foi gravado."_s);
    emite('A', {{u"op"_s, u"lancamento"_s}, {u"id"_s, novo}});
}

void Escritor::alteraLancamento(const Usuario &usuario, const Linha &linha)
{
    const QDate data = dataAoAcaso();
    const int categoria = sorteia(1, NumeroCategorias);
    const QString descricao = descricaoAoAcaso();
    const qint64 centavos = centavosAoAcaso();
    TformIncluirValor &dialogo = *forms().IncluirValor;
    dialogo.setEntryMode(TformIncluirValor::EntryMode::Edicao(linha.id));
    preencheDialogoValor(data, categoria, descricao, centavos);
    QJsonObject b = comoJson(data, categoria, descricao, centavos);
    b.insert(u"op"_s, u"altera"_s);
    b.insert(u"u"_s, usuario.numero);
    b.insert(u"id"_s, linha.id);
    emite('B', b);
    m_interacao->ditos.clear();
    dialogo.setResult(0);
    dialogo.buttonOKClick();
    confirmaSemErros(u"alteração de lançamento"_s);
    if (dialogo.result() != mrOk)
        throw Error(u"A alteração não foi gravada."_s);
    emite('A', {{u"op"_s, u"altera"_s}});
}

void Escritor::apagaLancamento(const Usuario &usuario, const Linha &linha)
{
    emite('B', {{u"op"_s, u"apaga"_s}, {u"u"_s, usuario.numero}, {u"id"_s, linha.id}});
    if (!dados().TableFin.remove(linha.id))
        throw Error(u"O lançamento a apagar não foi encontrado."_s);
    emite('A', {{u"op"_s, u"apaga"_s}});
}

void Escritor::incluiPlanejado(const Usuario &usuario)
{
    const int dia = sorteia(1, 31);
    const QDate hoje = QDate(2025, 1, 1).addDays(sorteia(0, 200));
    const QDate vencimento = PrimeiroVencimento(dia, hoje);
    const int categoria = sorteia(1, NumeroCategorias);
    const QString descricao = descricaoAoAcaso();
    const qint64 centavos = centavosAoAcaso();
    QJsonObject b = comoJson(vencimento, categoria, descricao, centavos);
    b.insert(u"op"_s, u"plano"_s);
    b.insert(u"u"_s, usuario.numero);
    b.insert(u"dia"_s, dia);
    emite('B', b);

    // As the planning window writes a new entry.
    const qint64 id =
        dados().TableDFin.insert({0, vencimento, descricao, categoria, double(centavos) / 100.0, dia});
    emite('A', {{u"op"_s, u"plano"_s}, {u"id"_s, id}});
}

// One run of the due-entry check, each offer answered OK or Cancel. An
// occurrence is done when the next offer shows or the run returns.
void Escritor::reservaVencidos(const Usuario &usuario, const std::vector<Linha> &plano)
{
    QDate primeira = plano.front().data;
    for (const Linha &l : plano)
        primeira = qMin(primeira, l.data);
    const QDate hoje = primeira.addDays(sorteia(0, 45));
    clock::FixedNow relogio(hoje);
    const std::vector<Linha> vencidos = leVencidos(hoje);

    TformIncluirValor &dialogo = *forms().IncluirValor;
    std::vector<Linha> pendentes = vencidos;
    int oferta = -1;
    qint64 reservado = 0;
    bool falhou = false;
    const auto confirmaAnterior = [&] {
        if (oferta >= 0)
            emite('A', {{u"op"_s, u"vencido"_s}, {u"id"_s, reservado}});
    };
    AoMostrar responde(&dialogo, [&] {
        confirmaAnterior();
        ++oferta;
        reservado = 0;
        // The row on offer: the next in the statement's order when the
        // dialog shows it, otherwise the one it shows.
        const auto mostra = [&](const Linha &l) {
            return dialogo.editData()->displayText() == FormatData(l.data)
                   && dialogo.editDescricao()->text() == l.descricao
                   && dialogo.comboCategoria()->currentIndex() == l.categoria - 1
                   && dialogo.editValor()->text() == FormatValor(double(std::llabs(l.centavos)) / 100.0);
        };
        const auto oferecida = !pendentes.empty() && mostra(pendentes.front())
                                   ? pendentes.begin()
                                   : std::find_if(pendentes.begin(), pendentes.end(), mostra);
        if (oferecida == pendentes.end()) {
            falhou = true;
            dialogo.buttonSairClick();
            return;
        }
        const Linha l = *oferecida;
        pendentes.erase(oferecida);
        const bool ok = sorteia(0, 9) < 7;
        QJsonObject b{{u"op"_s, u"vencido"_s},
                      {u"u"_s, usuario.numero},
                      {u"plano"_s, l.id},
                      {u"nova_data"_s, data::isoDate(ProximoVencimento(l.data, l.dia))},
                      {u"ok"_s, ok}};
        if (ok) {
            const QJsonObject r = comoJson(l.data, l.categoria, l.descricao, l.centavos);
            for (auto it = r.begin(); it != r.end(); ++it)
                b.insert(it.key(), it.value());
        }
        emite('B', b);
        m_interacao->ditos.clear();
        if (ok) {
            const qint64 anterior = ultimoLancamento();
            dialogo.buttonOKClick();
            if (dialogo.isVisible()) {
                falhou = true;
                dialogo.buttonSairClick();
            } else if (const qint64 novo = ultimoLancamento(); novo > anterior) {
                reservado = novo;
            }
        } else {
            dialogo.buttonSairClick();
        }
    });
    m_interacao->ditos.clear();
    ofereceLancamentosVencidos(dados(), dialogo);
    confirmaSemErros(u"lançamento vencido"_s);
    if (falhou || size_t(oferta + 1) != vencidos.size())
        throw Error(u"A verificação de vencidos não ofereceu o que se esperava."_s);
    confirmaAnterior();
}

int Escritor::reservaVencidoContando(int morreNoPasso)
{
    const std::vector<Usuario> usuarios = leUsuarios();
    if (usuarios.empty())
        throw Error(u"Não há usuário."_s);
    entraComo(usuarios.front());
    const std::vector<Linha> plano = lePlano();
    if (plano.empty())
        throw Error(u"Não há entrada planejada."_s);
    clock::FixedNow relogio(plano.front().data);

    TformIncluirValor &dialogo = *forms().IncluirValor;
    int passos = -1;
    AoMostrar responde(&dialogo, [&] {
        if (passos >= 0) {
            dialogo.buttonSairClick(); // one offer only
            return;
        }
        armaContador(morreNoPasso);
        dialogo.buttonOKClick();
        passos = desarmaContador();
    });
    m_interacao->ditos.clear();
    ofereceLancamentosVencidos(dados(), dialogo);
    confirmaSemErros(u"lançamento vencido"_s);
    return passos;
}

int Escritor::importaExtratoContando(const QString &arquivo, int morreNoPasso)
{
    const std::vector<Usuario> usuarios = leUsuarios();
    if (usuarios.empty())
        throw Error(u"Não há usuário."_s);
    entraComo(usuarios.front());
    ImportacaoExtrato importacao(dados().database(), dados().TableFin, dados().TableDFin);
    importacao.monta(leExtratoBanco(arquivo).linhas);
    armaContador(morreNoPasso);
    importacao.grava(clock::now());
    return desarmaContador();
}

// ---- Chance ----------------------------------------------------------------------

int Escritor::sorteia(int de, int ate)
{
    return std::uniform_int_distribution<int>(de, ate)(m_sorte);
}

QDate Escritor::dataAoAcaso()
{
    return QDate(2024, 1, 1).addDays(sorteia(0, 3 * 365));
}

qint64 Escritor::centavosAoAcaso()
{
    if (sorteia(0, 19) == 0)
        return 0;
    const qint64 valor = sorteia(1, 5'000'000);
    return sorteia(0, 3) == 0 ? valor : -valor;
}

QString Escritor::descricaoAoAcaso()
{
    if (sorteia(0, 15) == 0)
        return {};
    // Whole pieces only, within the box's 100 characters: a cut through a
    // surrogate pair would not be a text at all.
    QString texto;
    const int partes = sorteia(1, 4);
    for (int i = 0; i < partes; ++i) {
        const QString pedaco = pedacos().at(sorteia(0, int(pedacos().size()) - 1));
        if (texto.size() + 1 + pedaco.size() > 100)
            break;
        texto += (i > 0 ? u" "_s : QString()) + pedaco;
    }
    return texto;
}

QString Escritor::nomeAoAcaso()
{
    return pedacos().at(sorteia(0, int(pedacos().size()) - 1)) + u' '
           + QString::number(quint64(m_sorte()), 36);
}

QByteArray Escritor::senhaAoAcaso()
{
    QByteArray senha;
    const int tamanho = sorteia(1, TamanhoMaximoSenha);
    for (int i = 0; i < tamanho; ++i) {
        const int codigo = sorteia(0, 1) == 0 ? sorteia(33, 126) : sorteia(161, 255);
        senha.append(char(codigo));
    }
    return senha;
}

} // namespace cofrel::crashwriter
