#include "cenarios.h"

#include "amostras.h"
#include "interacao_bench.h"
#include "janelas.h"
#include "partida.h"

#include "accounts/cofrel_login.h"
#include "app/clock.h"
#include "app/cofrel_app.h"
#include "app/cofrel_uteis.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "app/montagem_janela.h"
#include "data/cofrel_dados.h"
#include "data/queries.h"
#include "extratos_exemplo.h"
#include "ledger/cofrel_importa_extrato.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "ledger/cofrel_main_abas.h"
#include "ledger/painel_grafico.h"

#include "controls/data_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QCryptographicHash>
#include <QKeyEvent>
#include <QScrollBar>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <optional>

namespace cofrel::bench {

using namespace Qt::StringLiterals;

namespace {

// Every period in turn, starting away from "01 mês" (the one shown after
// the login), so each pick is a real change.
constexpr int Periodos[] = {4, 5, 6, 7, 8, 0, 1, 2, 3};

void progresso(const QString &texto)
{
    QTextStream(stderr) << "  " << texto << '\n';
}

// A modal dialog nobody expected (a due entry, an error box) would wait
// forever: it is cancelled and counted as an error of the figure.
class VigiaDialogos final : public QObject {
public:
    explicit VigiaDialogos(InteracaoBench &interacao) : m_interacao(interacao)
    {
        m_timer.setInterval(200);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && !esperado) {
                m_interacao.erros << u"diálogo inesperado: "_s + modal->windowTitle();
                if (auto *dialogo = qobject_cast<QDialog *>(modal))
                    dialogo->reject();
            }
        });
        m_timer.start();
    }
    bool esperado = false;

private:
    InteracaoBench &m_interacao;
    QTimer m_timer;
};

struct Figura {
    Amostras amostras;
    int pinturas = 0;
    QStringList erros;

    QJsonObject paraJson(int repeticoes) const
    {
        QJsonObject o = amostras.paraJson();
        o.insert(u"pinturasPorVez"_s, repeticoes > 0 ? double(pinturas) / repeticoes : 0.0);
        if (!erros.isEmpty())
            o.insert(u"erros"_s, QJsonArray::fromStringList(erros));
        return o;
    }
};

class Medicao final {
public:
    explicit Medicao(const OpcoesLivro &opcoes) : m_opcoes(opcoes), m_vigia(m_interacao) {}

    QJsonObject executa();
    QJsonObject executaColagem();

private:
    TformCofrelMain &principal() { return *forms().CofrelMain; }
    // Runs \a passo \a vezes, timing each run from its start to the end of
    // the repaints it caused; \a prepara runs before each, untimed.
    void mede(Figura &figura, int vezes, const std::function<void(int)> &prepara,
              const std::function<void(int, Cronometro &)> &passo);
    void criaJanelas();
    void entra(Figura &b);
    void incluiValor(int vez, Cronometro &relogio);
    void medeSaltos(QJsonObject &figuras);
    void medeImportacao(QJsonObject &figuras);

    const OpcoesLivro &m_opcoes;
    InteracaoBench m_interacao;
    ContaPinturas m_pinturas;
    VigiaDialogos m_vigia;
};

void Medicao::mede(Figura &figura, int vezes, const std::function<void(int)> &prepara,
                   const std::function<void(int, Cronometro &)> &passo)
{
    for (int vez = 0; vez < vezes; ++vez) {
        if (prepara)
            prepara(vez);
        esvazia();
        const QStringList errosAntes = m_interacao.erros;
        const int pinturasAntes = m_pinturas.total();
        Cronometro relogio;
        relogio.start();
        passo(vez, relogio);
        esvazia();
        figura.amostras.valores.push_back(relogio.ms());
        figura.amostras.cpu.push_back(relogio.cpuMs());
        figura.pinturas += m_pinturas.total() - pinturasAntes;
        for (qsizetype i = errosAntes.size(); i < m_interacao.erros.size(); ++i)
            figura.erros << m_interacao.erros[i];
    }
}

void Medicao::criaJanelas()
{
    createForms();
    mostraEPinta(forms().CofrelLogin, m_pinturas);
    TformCofrelLogin &login = *forms().CofrelLogin;
    login.comboUsuario->setCurrentIndex(login.comboUsuario->findText(m_opcoes.usuario));
    login.editSenha->setText(m_opcoes.senha);
}

// (b): from the click on "Entrar" to the main window shown and drawn with
// the statement, the balance, the chart and the first due-entry check.
void Medicao::entra(Figura &b)
{
    bool concluida = false;
    int pinturasNaConclusao = 0;
    const QMetaObject::Connection conexao =
        QObject::connect(&principal(), &TformCofrelMain::verificacaoConcluida, [&] {
            concluida = true;
            pinturasNaConclusao = m_pinturas.daJanela(&principal());
        });
    mede(b, 1, {}, [&](int, Cronometro &) {
        TformCofrelLogin &login = *forms().CofrelLogin;
        guarded([&] { login.buttonIniciarClick(); });
        if (login.result() != mrOk) {
            m_interacao.erros << u"o login não foi aceito"_s;
            return;
        }
        principal().show();
        if (!esperaAte([&] { return concluida && m_pinturas.daJanela(&principal()) > pinturasNaConclusao; }))
            m_interacao.erros << u"a janela principal não concluiu a verificação nem foi desenhada"_s;
    });
    QObject::disconnect(conexao);
}

// (e): the person has typed the entry and presses OK; timed from OK to the
// end of the handler of "&Incluir Valor" (post, statement, check, chart)
// and the repaints.
void Medicao::incluiValor(int vez, Cronometro &relogio)
{
    TformIncluirValor &dialogo = *forms().IncluirValor;
    m_vigia.esperado = true;
    QTimer::singleShot(0, &dialogo, [&, vez] {
        dialogo.editDescricao()->setText(u"Conferência nº %1 do desempenho"_s.arg(vez + 1));
        dialogo.editValor()->setText(u"12"_s + separadorDecimal() + u"34"_s);
        esvazia();
        relogio.start();
        guarded([&] { dialogo.buttonOKClick(); });
    });
    principal().buttonIncluiValorClick();
    m_vigia.esperado = false;
}

// (l) and (m): a bank statement of 10,000 lines imported through the
// grid's menu. (l) from the choice of the file to the review shown and
// drawn; (m) from OK, every line ticked, to the lines booked and the
// statement, the balance and the chart refreshed and drawn. Each run
// imports a statement of its own, so none of its lines is a duplicate.
void Medicao::medeImportacao(QJsonObject &figuras)
{
    constexpr int LinhasDoExtrato = 10000;
    const int vezes = qMax(1, m_opcoes.repeticoesCopia);
    progresso(u"(l), (m) importação de um extrato de %1 linhas, %2 vezes"_s.arg(LinhasDoExtrato).arg(vezes));
    QTemporaryDir pasta;
    TformCofrelMain &janela = principal();
    Figura l;
    Figura m;
    for (int vez = 0; vez < vezes; ++vez) {
        QFile arquivo(pasta.filePath(u"extrato-%1.ofx"_s.arg(vez)));
        if (!arquivo.open(QIODevice::WriteOnly)
            || arquivo.write(exemplo::ofxSgml(std::uint64_t(1000 + vez), LinhasDoExtrato).bytes) < 0) {
            l.erros << u"o extrato de exemplo não foi gravado"_s;
            break;
        }
        arquivo.close();
        m_interacao.arquivo = arquivo.fileName();
        m_vigia.esperado = true;
        Cronometro relogio;
        int marcadas = -1;
        QTimer::singleShot(0, &janela, [&] {
            // The review is up: drawn, then OK on the lines it ticked (all
            // but the few an earlier run happened to book already).
            esvazia();
            l.amostras.valores.push_back(relogio.ms());
            l.amostras.cpu.push_back(relogio.cpuMs());
            auto *revisao = qobject_cast<TformImportaExtrato *>(QApplication::activeModalWidget());
            if (!revisao || !revisao->revisao()) {
                m.erros << u"a revisão não apareceu"_s;
                return;
            }
            marcadas = revisao->revisao()->totais().marcadas;
            relogio.start();
            guarded([&] { revisao->buttonOKClick(); });
        });
        relogio.start();
        janela.actionImportaExtratoClick();
        esvazia();
        m_vigia.esperado = false;
        m.amostras.valores.push_back(relogio.ms());
        m.amostras.cpu.push_back(relogio.cpuMs());
        const int gravadas = janela.formImportaExtrato()->gravacao().lancamentos;
        if (gravadas != marcadas || marcadas < LinhasDoExtrato * 9 / 10)
            m.erros << u"a importação gravou %1 linhas, de %2 marcadas"_s.arg(gravadas).arg(marcadas);
    }
    m_interacao.arquivo.clear();
    figuras.insert(u"l"_s, l.paraJson(vezes));
    figuras.insert(u"m"_s, m.paraJson(vezes));
}

// The rows the grid draws, first and last (-1 when none).
std::pair<int, int> linhasDesenhadas(DataGrid &grade)
{
    const int primeira = grade.rowAt(0);
    int ultima = grade.rowAt(grade.viewport()->height() - 1);
    if (ultima < 0 && grade.model())
        ultima = grade.model()->rowCount() - 1;
    return {primeira, ultima};
}

// (j) and (k) on "Completo", each from its first screen: Ctrl+End to the
// last row drawn with the cursor on it, and the scrollbar dragged to the
// middle (pressed, moved, released) to the rows there drawn.
void Medicao::medeSaltos(QJsonObject &figuras)
{
    TformCofrelMain &janela = principal();
    DataGrid &grade = *janela.DBGrid;
    QScrollBar &barra = *grade.verticalScrollBar();
    const auto completo = [&](int) {
        janela.comboPeriodo->setCurrentIndex(8);
        guarded([&] { janela.comboPeriodoChange(); });
        grade.setFocus();
    };
    const auto confere = [&](Figura &figura, bool (*certo)(int linhas, int primeira, int ultima, int cursor)) {
        const auto [primeira, ultima] = linhasDesenhadas(grade);
        const int linhas = grade.model() ? grade.model()->rowCount() : 0;
        const int cursor = grade.currentIndex().row();
        if (!certo(linhas, primeira, ultima, cursor))
            figura.erros << u"linhas %1 a %2 desenhadas, cursor em %3, de %4"_s.arg(primeira).arg(ultima).arg(cursor).arg(linhas);
    };

    progresso(u"(j) Ctrl+End no extrato \"Completo\""_s);
    Figura fim;
    mede(fim, m_opcoes.repeticoes, completo, [&](int, Cronometro &) {
        QKeyEvent tecla(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QApplication::sendEvent(&grade, &tecla);
        QKeyEvent solta(QEvent::KeyRelease, Qt::Key_End, Qt::ControlModifier);
        QApplication::sendEvent(&grade, &solta);
        esvazia();
        confere(fim, [](int linhas, int, int ultima, int cursor) { return ultima == linhas - 1 && cursor == linhas - 1; });
    });
    figuras.insert(u"j"_s, fim.paraJson(m_opcoes.repeticoes));

    progresso(u"(k) barra de rolagem arrastada ao meio do \"Completo\""_s);
    Figura meio;
    mede(meio, m_opcoes.repeticoes, completo, [&](int, Cronometro &) {
        barra.setSliderDown(true);
        barra.setSliderPosition(barra.maximum() / 2);
        barra.setSliderDown(false);
        esvazia();
        confere(meio, [](int linhas, int primeira, int ultima, int) {
            return primeira >= 0 && primeira <= linhas / 2 && ultima >= linhas / 2 - 1;
        });
    });
    figuras.insert(u"k"_s, meio.paraJson(m_opcoes.repeticoes));
}

QJsonObject Medicao::executa()
{
    const OpcoesLivro &o = m_opcoes;
    QJsonObject figuras;
    const double cargaInicial = cargaDoSistema();

    progresso(u"(a) partida, %1 vezes"_s.arg(o.repeticoesPartida));
    Figura a;
    Figura aBase;
    Figura aBaseTexto;
    medePartida(o.pastaDoPrograma, o.repeticoesPartida, a.amostras, aBase.amostras, aBaseTexto.amostras);
    if (a.amostras.vazia())
        a.erros << u"a partida falhou"_s;
    figuras.insert(u"a"_s, a.paraJson(0));
    figuras.insert(u"a_base"_s, aBase.paraJson(0));
    figuras.insert(u"a_base_texto"_s, aBaseTexto.paraJson(0));

    progresso(u"(b) login, %1 vezes"_s.arg(o.repeticoes));
    Figura b;
    double memoria = 0.0;
    for (int vez = 0; vez < o.repeticoes; ++vez) {
        if (vez > 0)
            destroyForms(); // each log-in starts from a fresh start-up
        criaJanelas();
        entra(b);
        if (vez == 0)
            memoria = picoMemoriaMb();
    }
    figuras.insert(u"b"_s, b.paraJson(o.repeticoes));
    figuras.insert(u"h"_s, QJsonObject{{u"mediana"_s, memoria}, {u"minimo"_s, memoria}, {u"maximo"_s, memoria},
                                       {u"amostras"_s, QJsonArray{memoria}}});
    TformCofrelMain &janela = principal();
    TDados &dados = *forms().Dados;
    const QString saldo = janela.editSaldo->text();
    const int linhasDoExtrato = dados.Query.rowCount();

    progresso(u"(c) troca de período"_s);
    Figura c;
    mede(c, o.repeticoes, {}, [&](int vez, Cronometro &) {
        janela.comboPeriodo->setCurrentIndex(Periodos[vez % 9]);
        guarded([&] { janela.comboPeriodoChange(); });
    });
    figuras.insert(u"c"_s, c.paraJson(o.repeticoes));

    progresso(u"(d) atualização do gráfico"_s);
    janela.TabControl->setTabIndex(1);
    esvazia();
    Figura d;
    mede(d, o.repeticoes, {}, [&](int vez, Cronometro &) {
        janela.panelGrafico->comboPeriodoGrafico->setCurrentIndex(Periodos[vez % 9]);
        guarded([&] { janela.comboPeriodoGraficoChange(); });
    });
    figuras.insert(u"d"_s, d.paraJson(o.repeticoes));
    // Back to what the login leaves: both periods "01 mês", the statement tab.
    janela.panelGrafico->comboPeriodoGrafico->setCurrentIndex(3);
    guarded([&] { janela.comboPeriodoGraficoChange(); });
    janela.TabControl->setTabIndex(0);
    janela.comboPeriodo->setCurrentIndex(3);
    guarded([&] { janela.comboPeriodoChange(); });

    progresso(u"(e) inclusão de um lançamento"_s);
    Figura e;
    mede(e, o.repeticoes, {}, [&](int vez, Cronometro &relogio) { incluiValor(vez, relogio); });
    figuras.insert(u"e"_s, e.paraJson(o.repeticoes));

    progresso(u"(f) verificação dos planejados"_s);
    Figura f;
    const int bipesAntes = m_interacao.bipes;
    mede(f, o.repeticoes, {}, [&](int, Cronometro &) { guarded([&] { janela.timerDFinTimer(); }); });
    if (m_interacao.bipes != bipesAntes)
        f.erros << u"havia lançamentos planejados vencidos"_s;
    figuras.insert(u"f"_s, f.paraJson(o.repeticoes));

    medeSaltos(figuras);

    progresso(u"(g) cópia do extrato \"Completo\", %1 vezes"_s.arg(o.repeticoesCopia));
    Figura g;
    // The pointer when the report reaches the clipboard, still inside the
    // handler: the hourglass, if the window shows one while it copies.
    int comAmpulheta = 0;
    int copias = 0;
    const QMetaObject::Connection ampulheta =
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, [&] {
            const QCursor *cursor = QGuiApplication::overrideCursor();
            ++copias;
            if (cursor && cursor->shape() == Qt::WaitCursor)
                ++comAmpulheta;
        });
    mede(
        g, o.repeticoesCopia,
        [&](int) {
            janela.comboPeriodo->setCurrentIndex(8);
            guarded([&] { janela.comboPeriodoChange(); });
        },
        [&](int, Cronometro &) { guarded([&] { janela.buttonClipboardClick(); }); });
    QObject::disconnect(ampulheta);
    if (copias != o.repeticoesCopia)
        g.erros << u"%1 cópias chegaram à área de transferência, de %2"_s.arg(copias).arg(o.repeticoesCopia);
    if (QGuiApplication::overrideCursor())
        g.erros << u"o cursor não voltou ao normal depois da cópia"_s;
    QJsonObject copia = g.paraJson(o.repeticoesCopia);
    copia.insert(u"ampulheta"_s, copias > 0 && comAmpulheta == copias);
    figuras.insert(u"g"_s, copia);
    const double memoriaAposCopia = picoMemoriaMb();
    // Last: each import adds its lines to the book.
    medeImportacao(figuras);

    destroyForms();
    return {{u"transacoes"_s, double(o.transacoes)},
            {u"figuras"_s, figuras},
            {u"saldo"_s, saldo},
            {u"linhasDoExtratoAposLogin"_s, linhasDoExtrato},
            {u"picoMemoriaAposCopiaMb"_s, memoriaAposCopia},
            {u"cargaInicial"_s, cargaInicial},
            {u"cargaFinal"_s, cargaDoSistema()},
            {u"mensagens"_s, QJsonArray::fromStringList(m_interacao.mensagens)}};
}

// (i): the copy of "Completo" pasted by another program while this one
// serves it, as a person pastes the report into an editor.
QJsonObject Medicao::executaColagem()
{
    const OpcoesLivro &o = m_opcoes;
    QJsonObject figuras;
    const QString xclip = QStandardPaths::findExecutable(u"xclip"_s);
    if (QGuiApplication::platformName() != u"xcb"_s || xclip.isEmpty()) {
        progresso(u"(i) sem X ou sem xclip: não medida"_s);
        return {{u"transacoes"_s, double(o.transacoes)}, {u"figuras"_s, figuras}};
    }
    const double cargaInicial = cargaDoSistema();
    criaJanelas();
    Figura b;
    entra(b);
    TformCofrelMain &janela = principal();
    progresso(u"(i) cópia do extrato \"Completo\" colada por outro programa, %1 vezes"_s.arg(o.repeticoesCopia));
    Figura copia;
    Figura pico;
    QJsonArray tamanhos;
    QJsonArray resumos;
    for (int vez = 0; vez < o.repeticoesCopia; ++vez) {
        janela.comboPeriodo->setCurrentIndex(8);
        guarded([&] { janela.comboPeriodoChange(); });
        esvazia();
        const double antes = memoriaResidenteMb();
        if (!zeraPicoMemoria())
            pico.erros << u"o pico de memória não pôde ser zerado"_s;
        Cronometro relogio;
        relogio.start();
        guarded([&] { janela.buttonClipboardClick(); });
        esvazia();
        copia.amostras.valores.push_back(relogio.ms());
        copia.amostras.cpu.push_back(relogio.cpuMs());

        QTemporaryFile colado;
        colado.open();
        QProcess colador;
        colador.setStandardOutputFile(colado.fileName());
        colador.start(xclip, {u"-o"_s, u"-selection"_s, u"clipboard"_s});
        if (!esperaAte([&] { return colador.state() == QProcess::NotRunning; }, 120000)
            || colador.exitCode() != 0) {
            pico.erros << u"o xclip não colou o relatório"_s;
            colador.kill();
            colador.waitForFinished();
        }
        pico.amostras.valores.push_back(picoMemoriaMb() - antes);
        const QMimeData *conteudo = QGuiApplication::clipboard()->mimeData();
        const qint64 relatorio = conteudo ? conteudo->data(u"text/plain"_s).size() : -1;
        if (QFileInfo(colado.fileName()).size() != relatorio)
            pico.erros << u"o texto colado não tem o tamanho do relatório"_s;
        tamanhos.append(double(relatorio) / (1024.0 * 1024.0));
        QCryptographicHash resumo(QCryptographicHash::Sha256); // to compare the text between versions
        if (colado.seek(0) && resumo.addData(&colado))
            resumos.append(QString::fromLatin1(resumo.result().toHex()));
    }
    figuras.insert(u"i"_s, pico.paraJson(o.repeticoesCopia));
    figuras.insert(u"i_copia"_s, copia.paraJson(o.repeticoesCopia));
    figuras.insert(u"i_relatorio"_s, QJsonObject{{u"amostras"_s, tamanhos}, {u"sha256"_s, resumos}});
    destroyForms();
    return {{u"transacoes"_s, double(o.transacoes)},
            {u"figuras"_s, figuras},
            {u"cargaInicial"_s, cargaInicial},
            {u"cargaFinal"_s, cargaDoSistema()}};
}

} // namespace

QJsonObject medeLivro(const OpcoesLivro &opcoes)
{
    LoginContext &contexto = loginContext();
    contexto.AppDir = QDir(opcoes.pastaDoPrograma).absolutePath() + u'/';
    contexto.CategoryNames.clear();
    // A ledger made on another day keeps its "today": nothing falls due
    // and the periods hold the same rows whenever it is measured.
    std::optional<clock::FixedNow> hoje;
    if (opcoes.hoje.isValid())
        hoje.emplace(opcoes.hoje);
    QApplication::setApplicationName(QString::fromUtf16(AppTitle));
    registraFontes();
    QApplication::setFont(fonteJanela());
    Medicao medicao(opcoes);
    return opcoes.colagem ? medicao.executaColagem() : medicao.executa();
}

} // namespace cofrel::bench
