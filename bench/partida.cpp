#include "partida.h"

#include "interacao_bench.h"
#include "janelas.h"

#include "accounts/cofrel_login.h"
#include "app/cofrel_app.h"
#include "app/cofrel_uteis.h"
#include "app/forms.h"
#include "app/login_context.h"
#include "app/single_instance.h"
#include "app/montagem_janela.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTextStream>

#include <cstdio>

#ifdef __linux__
#include <sched.h>
#endif

namespace cofrel::bench {

using namespace Qt::StringLiterals;

namespace {

// Tells the parent the window is on the screen, at once (the parent times
// the start-up up to this line), with the CPU time the whole process has
// used so far, loading of the libraries included.
int informa(bool pintada)
{
    if (!pintada) {
        QTextStream(stderr) << "cofrel_bench: a janela não foi desenhada a tempo\n";
        return 1;
    }
    std::printf("pronta %.3f\n", Cronometro::tempoDeCpuMs());
    std::fflush(stdout);
    return 0;
}

struct Tempo {
    double ms = -1.0;
    double cpu = -1.0;
};

// From the moment the child is started (exec, loading of the libraries and
// everything up to the first line of main() included, as a person starting
// the program waits for them) to the moment it says its window is drawn.
Tempo rodaFilho(const QString &modo, const QString &pasta)
{
    QProcess filho;
    filho.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList argumentos{modo};
    if (!pasta.isEmpty())
        argumentos << pasta;
    Cronometro relogio;
    relogio.start();
    filho.start(QCoreApplication::applicationFilePath(), argumentos);
    Tempo tempo;
    QByteArray saida;
    while (tempo.ms < 0 && filho.waitForReadyRead(60000)) {
        saida += filho.readAllStandardOutput();
        const qsizetype fim = saida.indexOf('\n');
        if (fim >= 0 && saida.startsWith("pronta ")) {
            tempo.ms = relogio.ms();
            tempo.cpu = saida.mid(7, fim - 7).trimmed().toDouble();
        }
    }
    if (!filho.waitForFinished(60000) || filho.exitStatus() != QProcess::NormalExit || filho.exitCode() != 0)
        return {};
    return tempo;
}

// Keeps the children on the processor the benchmark runs on while it
// lives: a virtual machine's processors can differ in speed by 40 % (a
// neighbour's load on one), and the program and the dialog it is compared
// with must be timed on the same one.
class MesmoProcessador final {
public:
    MesmoProcessador()
    {
#ifdef __linux__
        const int atual = sched_getcpu();
        m_fixado = atual >= 0 && sched_getaffinity(0, sizeof m_antes, &m_antes) == 0;
        if (m_fixado) {
            cpu_set_t um;
            CPU_ZERO(&um);
            CPU_SET(atual, &um);
            m_fixado = sched_setaffinity(0, sizeof um, &um) == 0;
        }
#endif
    }
    ~MesmoProcessador()
    {
#ifdef __linux__
        if (m_fixado)
            sched_setaffinity(0, sizeof m_antes, &m_antes);
#endif
    }
    MesmoProcessador(const MesmoProcessador &) = delete;
    MesmoProcessador &operator=(const MesmoProcessador &) = delete;

private:
#ifdef __linux__
    cpu_set_t m_antes;
#endif
    bool m_fixado = false;
};

} // namespace

int executaPartida(int argc, char *argv[], const QString &pastaDoPrograma)
{
    QApplication app(argc, argv);
    InteracaoBench interacao;
    ContaPinturas pinturas;
    // What runCofrel() does up to the login, with AppDir pointed at the
    // ledger's program folder instead of the executable's and a guard of
    // the benchmark's own, so a program running meanwhile is not in the way.
    LoginContext &contexto = loginContext();
    contexto.AppDir = QDir(pastaDoPrograma).absolutePath() + u'/';
    contexto.CategoryNames.clear();
    SingleInstance instancia(u"CofrelBench%1"_s.arg(QCoreApplication::applicationPid()));
    QApplication::setApplicationName(QString::fromUtf16(AppTitle));
    registraFontes();
    QApplication::setFont(fonteJanela());
    createForms();
    const bool pintada = mostraEPinta(forms().CofrelLogin, pinturas);
    const int resultado = interacao.erros.isEmpty() ? informa(pintada) : 1;
    destroyForms();
    return resultado;
}

int executaBase(int argc, char *argv[], bool comTexto)
{
    QApplication app(argc, argv);
    ContaPinturas pinturas;
    QDialog dialogo;
    dialogo.resize(384, 182);
    if (comTexto)
        (new QLabel(u"Cofrel 1.0 - Finanças pessoais"_s, &dialogo))->move(10, 167);
    return informa(mostraEPinta(&dialogo, pinturas));
}

void medePartida(const QString &pastaDoPrograma, int vezes, Amostras &partida, Amostras &base,
                 Amostras &baseComTexto)
{
    const auto guarda = [](const Tempo &t, Amostras &a) {
        if (t.ms >= 0) {
            a.valores.push_back(t.ms);
            a.cpu.push_back(t.cpu);
        }
    };
    const MesmoProcessador mesmoProcessador;
    rodaFilho(u"--base"_s, {});
    rodaFilho(u"--base-texto"_s, {});
    rodaFilho(u"--partida"_s, pastaDoPrograma);
    for (int i = 0; i < vezes; ++i) {
        guarda(rodaFilho(u"--base"_s, {}), base);
        guarda(rodaFilho(u"--base-texto"_s, {}), baseComTexto);
        guarda(rodaFilho(u"--partida"_s, pastaDoPrograma), partida);
    }
}

} // namespace cofrel::bench
