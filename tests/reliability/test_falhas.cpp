// Faults met while the program runs: a read-only data folder, a table file
// deleted or overwritten with garbage, a file locked by another process, a
// full disk. Each operation that meets one shows a Portuguese message naming
// the file, changes no stored byte, ends within seconds, and works again
// once the fault is gone.
//
// Run as root (as here), permission bits stop nothing, so the read-only
// folder is a read-only bind mount and the full disk a small tmpfs, both in
// a mount namespace of this test alone. Without one, a user who is not
// root gets the folder made read-only with chmod; the rest is skipped.
#include "apoio_confiabilidade.h"

#include "accounts/cofrel_inclui_usuario.h"
#include "accounts/cofrel_login.h"
#include "app/clock.h"
#include "app/cofrel_app.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "data/cofrel_dados.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "support/scripted_interaction.h"
#include "support/tabelas.h"
#include "support/test_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace cofrel;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

bool g_montagensProprias = false; // a mount namespace of our own

constexpr auto VarTranca = "COFREL_FALHAS_TRANCA";

// The child that holds a file locked: an exclusive transaction until its
// standard input closes.
int filhoQueTranca(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"tranca"_s);
        db.setDatabaseName(qEnvironmentVariable(VarTranca));
        if (!db.open())
            return 3;
        QSqlQuery q(db);
        if (!q.exec(u"BEGIN EXCLUSIVE"_s) || !q.exec(u"SELECT count(*) FROM sqlite_master"_s) || !q.next())
            return 4;
        std::cout << "trancado" << std::endl;
        std::string linha;
        std::getline(std::cin, linha);
        q.exec(u"ROLLBACK"_s);
    }
    QSqlDatabase::removeDatabase(u"tranca"_s);
    return 0;
}

// ---- The program --------------------------------------------------------------

const QDate Hoje(2025, 3, 15);

// The program as start-up leaves it after Ana logged in: every window, the
// main window showing her statement, one transaction in her ledger.
class Programa final {
public:
    explicit Programa(TestFolder &pasta) : m_pasta(pasta), m_hoje(Hoje)
    {
        usuario = pasta.addUser(u"Ana"_s, u"segredo"_s);
        createForms();
        pasta.loginAs(u"Ana"_s, usuario);
        insereLancamento();
        // Shown and activated as after the login: the activation's run of
        // the due-entry check is over before anything else happens.
        main().show();
        QApplication::setActiveWindow(&main());
        m_ativa = QTest::qWaitForWindowActive(&main());
        QCoreApplication::processEvents();
    }
    ~Programa() { destroyForms(); }

    TformCofrelMain &main() { return *forms().CofrelMain; }
    QString fin() const { return u"f%1.db"_s.arg(usuario); }
    QString dfin() const { return u"d%1.db"_s.arg(usuario); }
    QString caminho(const QString &nome) const
    {
        const QStringList achados = QDir(m_pasta.dataDir()).entryList({nome}, QDir::Files);
        return m_pasta.dataFile(achados.isEmpty() ? nome : achados.first());
    }

    void insereLancamento()
    {
        QList<Lancamento> linhas{{0, Hoje.addDays(-3), u"Padaria"_s, 1, -7.5}};
        gravaLinhas(fin(), linhas);
    }
    void planejaVencidoHoje()
    {
        QList<Lancamento> linhas{{0, Hoje, u"Aluguel"_s, 4, -800.0, Hoje.day()}};
        gravaLinhas(dfin(), linhas);
    }

    int lancamentos() { return consultaUm(caminho(fin()), u"SELECT count(*) FROM fin"_s).toInt(); }
    QString vencimento() { return consultaUm(caminho(dfin()), u"SELECT Data FROM dfin"_s).toString(); }
    int usuarios() { return consultaUm(caminho(u"users.db"_s), u"SELECT count(*) FROM users"_s).toInt(); }

    bool ativa() const { return m_ativa; }

    ScriptedInteraction interacao;
    int usuario = 0;

private:
    bool m_ativa = false;
    TestFolder &m_pasta;
    clock::FixedNow m_hoje;
};

// Answers every modal window the operation opens, as a person would: the
// entry dialog and the new-user window are filled and confirmed; when
// confirming fails they are cancelled.
class Respondedor final {
public:
    int novos = 0;

private:
    void responde(QWidget *modal)
    {
        if (auto *valor = qobject_cast<TformIncluirValor *>(modal)) {
            if (valor->entryMode() == TformIncluirValor::EntryMode::NovoLancamento) {
                valor->editDescricao()->setText(u"Mercado 'central'"_s);
                valor->editValor()->setText(u"12"_s);
            }
            valor->buttonOKClick();
            if (valor->isVisible())
                valor->buttonSairClick();
        } else if (auto *inclui = qobject_cast<TformCofrelInclui *>(modal)) {
            inclui->editUsuario->setText(u"Novo %1"_s.arg(++novos));
            inclui->editSenha->setText(u"outra"_s);
            inclui->editConfirmaSenha->setText(u"outra"_s);
            guarded([inclui] { inclui->buttonOKClick(); });
            if (inclui->isVisible())
                inclui->buttonSairClick();
        } else {
            modal->close();
        }
    }

    CadaModal m_vigia{[this](QWidget *modal) { responde(modal); }};
};

// ---- The operations ---------------------------------------------------------------

enum class Operacao { IncluirValor, ExcluirValor, NovoUsuario, Vencido, Entrar };

struct Efeito {
    int lancamentos;
    QString vencimento;
    int usuarios;
};

Efeito efeito(Programa &p)
{
    return {p.lancamentos(), p.vencimento(), p.usuarios()};
}

void executa(Programa &p, Operacao op)
{
    Respondedor respondedor;
    TformCofrelMain &main = p.main();
    switch (op) {
    case Operacao::IncluirValor:
        guarded([&] { main.buttonIncluiValorClick(); });
        break;
    case Operacao::ExcluirValor:
        p.interacao.defaultAnswer = true;
        guarded([&] { main.buttonExcluiValorClick(); });
        break;
    case Operacao::NovoUsuario:
        guarded([&] { forms().CofrelLogin->buttonIncluirClick(); });
        break;
    case Operacao::Vencido:
        guarded([&] { main.retoma(); });
        break;
    case Operacao::Entrar: {
        TformCofrelLogin &login = *forms().CofrelLogin;
        guarded([&] { login.FormShow(); });
        login.comboUsuario->clear();
        login.comboUsuario->addItem(u"Ana"_s);
        login.editSenha->setText(u"segredo"_s);
        login.setResult(0);
        guarded([&] { login.buttonIniciarClick(); });
        if (login.result() != mrOk)
            p.interacao.error(u"(não entrou)"_s, {});
        break;
    }
    }
    QVERIFY(!QApplication::activeModalWidget());
}

// What the operation does when it works.
void confereEfeito(Operacao op, const Efeito &antes, const Efeito &depois)
{
    switch (op) {
    case Operacao::IncluirValor:
        QCOMPARE(depois.lancamentos, antes.lancamentos + 1);
        break;
    case Operacao::ExcluirValor:
        QCOMPARE(depois.lancamentos, antes.lancamentos - 1);
        break;
    case Operacao::NovoUsuario:
        QCOMPARE(depois.usuarios, antes.usuarios + 1);
        break;
    case Operacao::Vencido:
        QCOMPARE(depois.lancamentos, antes.lancamentos + 1);
        QCOMPARE(depois.vencimento, u"2025-04-15"_s);
        break;
    case Operacao::Entrar:
        QCOMPARE(depois.lancamentos, antes.lancamentos);
        break;
    }
}

// ---- The faults ---------------------------------------------------------------------

enum class Falha { PastaSomenteLeitura, Apagado, Lixo, Trancado, DiscoCheio };

// Puts a fault in place and takes it away again.
class Defeito {
public:
    virtual ~Defeito() = default;
    virtual void poe() = 0;
    virtual void tira() = 0;
    // Files of the fault itself, left out of the comparison.
    virtual QStringList proprios() const { return {}; }
};

class SomenteLeitura final : public Defeito {
public:
    explicit SomenteLeitura(QString pasta) : m_pasta(std::move(pasta)) {}
    void poe() override
    {
        const QByteArray p = QFile::encodeName(QDir::cleanPath(m_pasta));
        if (g_montagensProprias) {
            QVERIFY(::mount(p.constData(), p.constData(), nullptr, MS_BIND, nullptr) == 0);
            QVERIFY(::mount(nullptr, p.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0);
        } else {
            QVERIFY(QFile::setPermissions(m_pasta, QFile::ReadOwner | QFile::ExeOwner));
        }
        m_posto = true;
    }
    void tira() override
    {
        if (!m_posto)
            return;
        if (g_montagensProprias)
            QVERIFY(::umount2(QFile::encodeName(QDir::cleanPath(m_pasta)).constData(), MNT_DETACH) == 0);
        else
            QFile::setPermissions(m_pasta, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_posto = false;
    }
    ~SomenteLeitura() override { tira(); }

private:
    QString m_pasta;
    bool m_posto = false;
};

// Deleted, or overwritten in place with garbage; the bytes come back after.
class ArquivoEstragado final : public Defeito {
public:
    ArquivoEstragado(QString arquivo, bool apaga) : m_arquivo(std::move(arquivo)), m_apaga(apaga) {}
    void poe() override
    {
        QFile f(m_arquivo);
        QVERIFY(f.open(QIODevice::ReadOnly));
        m_bytes = f.readAll();
        f.close();
        if (m_apaga) {
            QVERIFY(QFile::remove(m_arquivo));
            return;
        }
        QByteArray lixo(m_bytes.size(), '\0');
        for (char &c : lixo)
            c = char(QRandomGenerator::global()->bounded(256));
        QVERIFY(f.open(QIODevice::ReadWrite)); // same file, new bytes
        QCOMPARE(f.write(lixo), lixo.size());
    }
    void tira() override
    {
        QFile f(m_arquivo);
        QVERIFY(f.open(m_apaga ? QIODevice::WriteOnly : QIODevice::ReadWrite));
        QCOMPARE(f.write(m_bytes), m_bytes.size());
    }

private:
    QString m_arquivo;
    bool m_apaga;
    QByteArray m_bytes;
};

class Trancado final : public Defeito {
public:
    explicit Trancado(QString arquivo) : m_arquivo(std::move(arquivo)) {}
    void poe() override
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(VarTranca), m_arquivo);
        m_filho.setProcessEnvironment(env);
        m_filho.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(m_filho.waitForStarted());
        QByteArray saida;
        QDeadlineTimer prazo(20'000);
        while (!saida.contains("trancado") && !prazo.hasExpired() && m_filho.state() == QProcess::Running) {
            m_filho.waitForReadyRead(100);
            saida += m_filho.readAllStandardOutput();
        }
        QVERIFY2(saida.contains("trancado"), m_filho.readAllStandardError().constData());
    }
    void tira() override
    {
        if (m_filho.state() == QProcess::NotRunning)
            return;
        m_filho.closeWriteChannel();
        QVERIFY(m_filho.waitForFinished(20'000));
        QCOMPARE(m_filho.exitCode(), 0);
    }
    ~Trancado() override
    {
        m_filho.closeWriteChannel();
        m_filho.waitForFinished(5'000);
    }

private:
    QString m_arquivo;
    QProcess m_filho;
};

// The data folder sits on a small tmpfs (mounted by the test before the
// program starts); the fault fills it to the last byte.
class DiscoCheio final : public Defeito {
public:
    explicit DiscoCheio(QString pasta) : m_enchimento(QDir(pasta).filePath(u"enchimento"_s)) {}
    void poe() override
    {
        QFile f(m_enchimento);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray bloco(4096, 'x');
        while (f.write(bloco) == bloco.size() && f.flush()) {
        }
        QByteArray byte(1, 'x');
        while (f.write(byte) == 1 && f.flush()) {
        }
    }
    void tira() override { QVERIFY(QFile::remove(m_enchimento)); }
    QStringList proprios() const override { return {QFileInfo(m_enchimento).fileName()}; }

private:
    QString m_enchimento;
};

// A tmpfs of its own under the data folder, holding what it held.
class PastaPequena final {
public:
    explicit PastaPequena(QString pasta) : m_pasta(QDir::cleanPath(pasta))
    {
        copiaPasta(m_pasta, m_copia.path());
        const QByteArray p = QFile::encodeName(m_pasta);
        m_montada = ::mount("cofrel-teste", p.constData(), "tmpfs", 0, "size=1m,mode=0700") == 0;
        if (m_montada)
            copiaPasta(m_copia.path(), m_pasta);
    }
    ~PastaPequena()
    {
        if (m_montada)
            ::umount2(QFile::encodeName(m_pasta).constData(), MNT_DETACH);
    }
    bool montada() const { return m_montada; }

private:
    QString m_pasta;
    QTemporaryDir m_copia;
    bool m_montada = false;
};

bool emPortugues(const QString &texto)
{
    static const QStringList palavras{u"tabela"_s, u"arquivo"_s, u"pasta"_s, u"gravar"_s, u"espaço"_s};
    for (const QString &p : palavras) {
        if (texto.contains(p, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QMap<QString, QByteArray> semOsDoDefeito(QMap<QString, QByteArray> mapa, const QStringList &proprios)
{
    for (const QString &p : proprios)
        mapa.remove(p);
    return mapa;
}

} // namespace

Q_DECLARE_METATYPE(Falha)
Q_DECLARE_METATYPE(Operacao)

class TestFalhas final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void falhaMostraMensagemENaoMudaNada_data()
    {
        QTest::addColumn<Falha>("falha");
        QTest::addColumn<Operacao>("operacao");
        QTest::addColumn<QString>("arquivo"); // the table the fault hits ("" for the folder)
        QTest::addColumn<QStringList>("nomeados"); // a message names one of these

        const QStringList ledger{u"f1.db"_s};
        const QStringList plano{u"d1.db"_s};
        const QStringList registro{u"users.db"_s};
        const QStringList novoUsuario{u"users.db"_s, u"f2.DB"_s, u"d2.DB"_s, u"dados"_s};

        QTest::newRow("pasta somente leitura: incluir valor")
            << Falha::PastaSomenteLeitura << Operacao::IncluirValor << QString() << ledger;
        QTest::newRow("pasta somente leitura: excluir valor")
            << Falha::PastaSomenteLeitura << Operacao::ExcluirValor << QString() << ledger;
        QTest::newRow("pasta somente leitura: novo usuário")
            << Falha::PastaSomenteLeitura << Operacao::NovoUsuario << QString() << novoUsuario;
        QTest::newRow("pasta somente leitura: vencido")
            << Falha::PastaSomenteLeitura << Operacao::Vencido << QString() << QStringList{u"f1.db"_s, u"d1.db"_s};

        QTest::newRow("razão apagada: incluir valor") << Falha::Apagado << Operacao::IncluirValor << u"f1.DB"_s << ledger;
        QTest::newRow("razão apagada: excluir valor") << Falha::Apagado << Operacao::ExcluirValor << u"f1.DB"_s << ledger;
        QTest::newRow("plano apagado: vencido") << Falha::Apagado << Operacao::Vencido << u"d1.DB"_s << plano;
        QTest::newRow("registro apagado: entrar") << Falha::Apagado << Operacao::Entrar << u"users.db"_s << registro;

        QTest::newRow("razão com lixo: incluir valor") << Falha::Lixo << Operacao::IncluirValor << u"f1.DB"_s << ledger;
        QTest::newRow("plano com lixo: vencido") << Falha::Lixo << Operacao::Vencido << u"d1.DB"_s << plano;
        QTest::newRow("registro com lixo: novo usuário") << Falha::Lixo << Operacao::NovoUsuario << u"users.db"_s << registro;
        QTest::newRow("registro com lixo: entrar") << Falha::Lixo << Operacao::Entrar << u"users.db"_s << registro;

        QTest::newRow("razão trancada: incluir valor") << Falha::Trancado << Operacao::IncluirValor << u"f1.DB"_s << ledger;
        QTest::newRow("razão trancada: excluir valor") << Falha::Trancado << Operacao::ExcluirValor << u"f1.DB"_s << ledger;
        QTest::newRow("plano trancado: vencido") << Falha::Trancado << Operacao::Vencido << u"d1.DB"_s << plano;
        QTest::newRow("registro trancado: novo usuário")
            << Falha::Trancado << Operacao::NovoUsuario << u"users.db"_s << registro;
        QTest::newRow("registro trancado: entrar") << Falha::Trancado << Operacao::Entrar << u"users.db"_s << registro;

        QTest::newRow("disco cheio: incluir valor") << Falha::DiscoCheio << Operacao::IncluirValor << QString() << ledger;
        QTest::newRow("disco cheio: excluir valor") << Falha::DiscoCheio << Operacao::ExcluirValor << QString() << ledger;
        QTest::newRow("disco cheio: novo usuário") << Falha::DiscoCheio << Operacao::NovoUsuario << QString() << novoUsuario;
        QTest::newRow("disco cheio: vencido")
            << Falha::DiscoCheio << Operacao::Vencido << QString() << QStringList{u"f1.db"_s, u"d1.db"_s};
    }

    void falhaMostraMensagemENaoMudaNada()
    {
        QFETCH(Falha, falha);
        QFETCH(Operacao, operacao);
        QFETCH(QString, arquivo);
        QFETCH(QStringList, nomeados);

        if (!g_montagensProprias && falha == Falha::DiscoCheio)
            QSKIP("sem um espaço de montagens próprio não há disco pequeno para encher");
        if (!g_montagensProprias && falha == Falha::PastaSomenteLeitura && ::geteuid() == 0)
            QSKIP("como root, sem um espaço de montagens próprio, uma pasta não fica somente leitura");

        TestFolder pasta;
        std::unique_ptr<PastaPequena> pequena;
        if (falha == Falha::DiscoCheio) {
            pequena = std::make_unique<PastaPequena>(pasta.dataDir());
            QVERIFY(pequena->montada());
        }
        {
            Programa programa(pasta);
            QVERIFY(programa.ativa());
            QVERIFY2(programa.interacao.errors.isEmpty(), qPrintable(programa.interacao.errors.join(u" | "_s)));
            if (operacao == Operacao::Vencido)
                programa.planejaVencidoHoje();
            const Efeito inicial = efeito(programa);

            std::unique_ptr<Defeito> defeito;
            switch (falha) {
            case Falha::PastaSomenteLeitura:
                defeito = std::make_unique<SomenteLeitura>(pasta.dataDir());
                break;
            case Falha::Apagado:
            case Falha::Lixo:
                defeito = std::make_unique<ArquivoEstragado>(pasta.dataFile(arquivo), falha == Falha::Apagado);
                break;
            case Falha::Trancado:
                defeito = std::make_unique<Trancado>(pasta.dataFile(arquivo));
                break;
            case Falha::DiscoCheio:
                defeito = std::make_unique<DiscoCheio>(pasta.dataDir());
                break;
            }
            defeito->poe();
            if (QTest::currentTestFailed())
                return;
            const auto antes = semOsDoDefeito(impressoes(pasta.dataDir()), defeito->proprios());

            // The longest stretch the program keeps a person waiting: from the
            // click to the first message, between messages, from the last to
            // the end.
            programa.interacao.errors.clear();
            QElapsedTimer relogio;
            relogio.start();
            qint64 ultimo = 0;
            qint64 demorou = 0;
            programa.interacao.onError = [&](const QString &) {
                demorou = qMax(demorou, relogio.elapsed() - ultimo);
                ultimo = relogio.elapsed();
            };
            executa(programa, operacao);
            demorou = qMax(demorou, relogio.elapsed() - ultimo);
            programa.interacao.onError = nullptr;
            const QStringList mensagens = programa.interacao.errors;
            qInfo("%lld ms no máximo sem resposta, %lld ms ao todo: %s", demorou, relogio.elapsed(),
                  qPrintable(mensagens.join(u" | "_s)));

            QVERIFY2(!mensagens.isEmpty(), "a falha não foi mostrada");
            for (const QString &m : mensagens) {
                if (m == u"(não entrou)"_s)
                    continue;
                bool nomeia = false;
                for (const QString &n : nomeados)
                    nomeia = nomeia || m.contains(n, Qt::CaseInsensitive);
                QVERIFY2(nomeia, qPrintable(u"a mensagem não nomeia o arquivo: "_s + m));
                QVERIFY2(emPortugues(m), qPrintable(m));
                // A file that is gone is not a write-protected one.
                if (falha == Falha::Apagado)
                    QVERIFY2(!m.contains(u"protegida"_s), qPrintable(m));
            }
            QVERIFY2(demorou < 4000, "a operação ficou parada tempo demais");
            if (falha == Falha::Trancado) {
                // Each statement waits a while for the other program, then
                // says the table is locked; a refused write speaks of
                // writing. (The new-user window and the due-entry check meet
                // the lock reading, before they write; Entrar only reads.)
                for (const QString &m : mensagens)
                    QVERIFY2(m == u"(não entrou)"_s || m.contains(u"bloqueada"_s), qPrintable(m));
                if (operacao == Operacao::IncluirValor || operacao == Operacao::ExcluirValor)
                    QVERIFY2(mensagens.first().contains(u"gravar"_s), qPrintable(mensagens.first()));
            }
            QCOMPARE(semOsDoDefeito(impressoes(pasta.dataDir()), defeito->proprios()), antes);

            defeito->tira();
            if (QTest::currentTestFailed())
                return;
            ++m_tentadas;
            const Efeito semFalha = efeito(programa);
            programa.interacao.errors.clear();
            // As a person would, the statement is shown again first (a failed
            // refresh left it empty).
            guarded([&] { programa.main().comboPeriodoChange(); });
            executa(programa, operacao);
            QVERIFY2(programa.interacao.errors.isEmpty(), qPrintable(programa.interacao.errors.join(u" | "_s)));
            confereEfeito(operacao, semFalha, efeito(programa));
            QCOMPARE(semFalha.usuarios, inicial.usuarios);
        }
    }

    void cleanupTestCase()
    {
        qInfo("%d falhas provocadas; nenhuma mudou um byte guardado", m_tentadas);
    }

private:
    int m_tentadas = 0;
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(VarTranca))
        return filhoQueTranca(argc, argv);
    // Mounts made here stay here, and go when the test ends.
    g_montagensProprias = ::unshare(CLONE_NEWNS) == 0
                          && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    TestFalhas tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_falhas.moc"
