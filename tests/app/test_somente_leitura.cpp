// Books their owner keeps read-only stay read-only: a ledger made 0400 is
// not opened up again by the start-up upkeep, and a read-only portable
// dados/ stays the data folder. Either way reading works and a write is
// refused with the read-only message, changing nothing.
//
// Run as root, permission bits stop nothing: once the upkeep has run, what
// the owner made read-only is bind-mounted read-only in a mount namespace
// of this test alone, which is what the bits do to everyone else. Without
// one, root skips the write.
#include "accounts/cofrel_login.h"
#include "app/cofrel_app.h"
#include "app/forms.h"
#include "app/modal_result.h"
#include "app/program_folders.h"
#include "controls/GradBtn.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "support/modal.h"
#include "support/pessoa.h"
#include "support/scripted_interaction.h"
#include "support/test_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace cofrel;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

bool g_montagensProprias = false; // a mount namespace of our own

int modo(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

bool mudaModo(const QString &path, int mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

QByteArray conteudo(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the permission bits do to anyone but root: for root, the path
// bind-mounted read-only while this lives.
class ProtecaoParaRoot final {
public:
    explicit ProtecaoParaRoot(const QString &path) : m_path(QFile::encodeName(QDir::cleanPath(path)))
    {
        if (::geteuid() != 0)
            return;
        m_montado = ::mount(m_path.constData(), m_path.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (m_montado)
            ::mount(nullptr, m_path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
    }
    ~ProtecaoParaRoot()
    {
        if (m_montado)
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    ProtecaoParaRoot(const ProtecaoParaRoot &) = delete;
    ProtecaoParaRoot &operator=(const ProtecaoParaRoot &) = delete;

private:
    QByteArray m_path;
    bool m_montado = false;
};

// The folder left writable by its owner again when the test ends, so that
// it can be removed.
struct DevolveEscrita {
    QString pasta;
    ~DevolveEscrita() { mudaModo(pasta, 0700); }
};

} // namespace

class TestSomenteLeitura final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        destroyForms();
        m_pasta.reset();
        m_interacao.errors.clear();
    }

    // The upkeep only takes rights away: group and other bits go, the
    // owner's stay as the owner set them.
    void razaoSomenteLeituraContinua_data()
    {
        QTest::addColumn<int>("modoRazao");
        QTest::addColumn<int>("modoPasta");
        QTest::addColumn<int>("razaoDepois");
        QTest::addColumn<int>("pastaDepois");
        QTest::addColumn<QString>("nomeado"); // what the refusal names
        QTest::newRow("ledger 0400") << 0400 << 0700 << 0400 << 0700 << u"f1.db"_s;
        QTest::newRow("ledger 0444 in a folder 0755") << 0444 << 0755 << 0400 << 0700 << u"f1.db"_s;
        QTest::newRow("folder 0550") << 0600 << 0550 << 0600 << 0500 << u"dados"_s;
    }

    void razaoSomenteLeituraContinua()
    {
        QFETCH(int, modoRazao);
        QFETCH(int, modoPasta);
        QFETCH(int, razaoDepois);
        QFETCH(int, pastaDepois);
        QFETCH(QString, nomeado);
        m_pasta = std::make_unique<TestFolder>();
        QCOMPARE(m_pasta->addUser(u"Ana"_s, u"segredo"_s), 1);
        const QString razao = m_pasta->dataFile(u"f1.DB"_s);
        const QString pasta = QDir::cleanPath(m_pasta->dataDir());
        DevolveEscrita devolve{pasta};
        QVERIFY(mudaModo(razao, modoRazao) && mudaModo(pasta, modoPasta));

        // Start-up: the windows, the login window listing the registry.
        createForms();
        TformCofrelLogin &login = *forms().CofrelLogin;
        login.show();
        QVERIFY(QTest::qWaitForWindowActive(&login));
        QCOMPARE(login.comboUsuario->currentText(), u"Ana"_s);
        QCOMPARE(modo(razao), razaoDepois);
        QCOMPARE(modo(pasta), pastaDepois);

        if (::geteuid() == 0 && !g_montagensProprias)
            QSKIP("como root, sem um espaço de montagens próprio, nada fica somente leitura");
        ProtecaoParaRoot protegido((razaoDepois & 0200) ? pasta : razao);
        tentaIncluir(login, nomeado);
        QCOMPARE(modo(razao), razaoDepois);
    }

    // A dados/ beside the executable is the data folder, writable or not.
    void pastaPortatilSomenteLeitura()
    {
        QTemporaryDir programa;
        QVERIFY(programa.isValid());
        const QString dados = programa.filePath(u"dados"_s);
        QVERIFY(QDir().mkdir(dados));
        DevolveEscrita devolveDados{dados};
        QVERIFY(mudaModo(dados, 0500));
        {
            ProtecaoParaRoot protegido(dados);
            const ProgramFolders pastas = locateProgramFolders(programa.path());
            QCOMPARE(pastas.dataDir, dados + u'/');
            QCOMPARE(pastas.appDir, programa.path() + u'/');
            QVERIFY(pastas.templatesDir.isEmpty());
        }

        // Such a folder reads, and refuses a write naming itself.
        m_pasta = std::make_unique<TestFolder>();
        QCOMPARE(m_pasta->addUser(u"Ana"_s, u"segredo"_s), 1);
        const QString pasta = QDir::cleanPath(m_pasta->dataDir());
        DevolveEscrita devolve{pasta};
        QVERIFY(mudaModo(pasta, 0500));
        if (::geteuid() == 0 && !g_montagensProprias)
            QSKIP("como root, sem um espaço de montagens próprio, nada fica somente leitura");
        ProtecaoParaRoot protegido(pasta);
        createForms();
        TformCofrelLogin &login = *forms().CofrelLogin;
        login.show();
        QVERIFY(QTest::qWaitForWindowActive(&login));
        QCOMPARE(login.comboUsuario->currentText(), u"Ana"_s);
        tentaIncluir(login, QDir::toNativeSeparators(pasta));
    }

private:
    // Logs Ana in and adds a transaction through the entry dialog, as a
    // person does: the write is refused with the read-only message naming
    // \a nomeado, and the ledger stays as it was.
    void tentaIncluir(TformCofrelLogin &login, const QString &nomeado)
    {
        const QString razao = m_pasta->dataFile(u"f1.DB"_s);
        const QByteArray antes = conteudo(razao);
        digita(login.editSenha, u"segredo"_s);
        QTest::keyClick(login.editSenha, Qt::Key_Return);
        QTRY_VERIFY(!login.isVisible());
        QCOMPARE(login.result(), int(mrOk));
        QVERIFY2(m_interacao.errors.isEmpty(), qPrintable(m_interacao.errors.join(u" | "_s)));

        TformCofrelMain &janela = *forms().CofrelMain;
        janela.show();
        QVERIFY(QTest::qWaitForWindowActive(&janela));
        TformIncluirValor &dialogo = *forms().IncluirValor;
        const auto preenche = quandoModal([&](QWidget *modal) {
            if (modal != &dialogo)
                return;
            digita(dialogo.editDescricao(), u"Padaria"_s);
            digita(dialogo.editValor(), u"12"_s);
            clica(dialogo.buttonOK());
            // The refused save keeps what was typed; the person gives up.
            if (dialogo.isVisible())
                clica(dialogo.buttonSair());
        });
        clica(janela.buttonIncluiValor);
        QTRY_VERIFY(preenche->ran());
        QTRY_VERIFY(!dialogo.isVisible());

        QCOMPARE(m_interacao.errors.size(), 1);
        const QString mensagem = m_interacao.errors.first();
        QVERIFY2(mensagem.contains(u"protegida contra gravação"_s), qPrintable(mensagem));
        QVERIFY2(mensagem.contains(nomeado, Qt::CaseInsensitive), qPrintable(mensagem));
        QCOMPARE(conteudo(razao), antes);
    }

    ScriptedInteraction m_interacao;
    std::unique_ptr<TestFolder> m_pasta;
};

int main(int argc, char *argv[])
{
    // Mounts made here stay here, and go when the test ends.
    g_montagensProprias = ::unshare(CLONE_NEWNS) == 0
                          && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    TestSomenteLeitura tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_somente_leitura.moc"
