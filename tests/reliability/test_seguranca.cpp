// What the files let others see, and what reaches the SQL engine: the data
// folder and every file the program makes in it are its owner's alone, the
// registry never holds a password as typed, and names and descriptions are
// always bound as parameters, never spliced into a statement's text.
#include "accounts/cofrel_inclui_usuario.h"
#include "accounts/cofrel_login.h"
#include "app/clock.h"
#include "app/cofrel_app.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/templates.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "ledger/cofrel_main_extrato.h"
#include "support/scripted_interaction.h"
#include "support/test_folder.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <sqlite3.h>

#include <sys/stat.h>

using namespace cofrel;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

// The permission bits of a file or folder (rwx for owner, group, others).
int modo(const QString &caminho)
{
    struct stat info {};
    if (::stat(QFile::encodeName(caminho).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 0777);
}

// A umask that would let everyone read, for as long as it lives.
class MascaraAberta final {
public:
    MascaraAberta() : m_antes(::umask(0)) {}
    ~MascaraAberta() { ::umask(m_antes); }

private:
    mode_t m_antes;
};

// Every statement text the engine prepares on the program's connection.
class Rastro final {
public:
    explicit Rastro(const QSqlDatabase &conexao)
    {
        const QVariant handle = conexao.driver()->handle();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
            m_db = *static_cast<sqlite3 *const *>(handle.constData());
        if (m_db)
            sqlite3_trace_v2(m_db, SQLITE_TRACE_STMT, &Rastro::anota, this);
    }
    ~Rastro()
    {
        if (m_db)
            sqlite3_trace_v2(m_db, 0, nullptr, nullptr);
    }
    bool ativo() const { return m_db != nullptr; }
    QStringList textos;

private:
    static int anota(unsigned, void *contexto, void *stmt, void *)
    {
        auto *self = static_cast<Rastro *>(contexto);
        self->textos << QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt *>(stmt)));
        return 0;
    }
    sqlite3 *m_db = nullptr;
};

// The data module's connection, opened.
QSqlDatabase conexaoDoPrograma()
{
    data::Database &db = forms().Dados->database();
    db.run(u"SELECT 1"_s, {}, u"abrir"_s, {});
    for (const QString &nome : QSqlDatabase::connectionNames()) {
        if (QSqlDatabase conexao = QSqlDatabase::database(nome, false);
            conexao.isOpen() && QUrl(conexao.databaseName()).toLocalFile() == db.mainFile())
            return conexao;
    }
    return {};
}

} // namespace

class TestSeguranca final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Made with a umask that would let everyone read: the folder and each file
    // are still the owner's alone.
    void pastaEArquivosSoDoDono()
    {
        MascaraAberta mascara;
        QTemporaryDir raiz;
        const QString dados = raiz.filePath(u"dados"_s);
        data::createTemplates(dados);
        QCOMPARE(modo(dados), 0700);
        for (const QString &nome : {u"users.db"_s, u"fin.DB"_s, u"dfin.DB"_s})
            QCOMPARE(modo(QDir(dados).filePath(nome)), 0600);

        TestFolder pasta; // gives the windows their picture; its own data folder is not used here
        QVERIFY(QFile::copy(pasta.appDir() + u"fundo.bmp"_s, raiz.filePath(u"fundo.bmp"_s)));
        loginContext().AppDir = raiz.path() + u'/';
        ScriptedInteraction interacao;
        createForms();
        const auto fim = qScopeGuard([] { destroyForms(); });

        TformCofrelInclui &janela = *forms().CofrelInclui;
        janela.editUsuario->setText(u"Ana"_s);
        janela.editSenha->setText(u"segredo"_s);
        janela.editConfirmaSenha->setText(u"segredo"_s);
        janela.setResult(0);
        QVERIFY(guarded([&] { janela.buttonOKClick(); }));
        QCOMPARE(janela.result(), mrOk);
        QVERIFY2(interacao.errors.isEmpty(), qPrintable(interacao.errors.join(u" | "_s)));

        const QStringList arquivos = QDir(dados).entryList(QDir::Files | QDir::Hidden);
        QVERIFY(arquivos.contains(u"f1.DB"_s));
        QVERIFY(arquivos.contains(u"d1.DB"_s));
        QVERIFY(arquivos.contains(QString(data::Database::MainFileName)));
        for (const QString &nome : arquivos)
            QVERIFY2(modo(QDir(dados).filePath(nome)) == 0600, qPrintable(nome));
        QCOMPARE(modo(dados), 0700);
    }

    // A folder copied or unpacked open to everyone is closed again when the
    // program starts: the folder and every file of the program's; a file of
    // someone else's there keeps its mode.
    void modosAbertosSaoFechadosNaPartida()
    {
        TestFolder pasta;
        pasta.addUser(u"Ana"_s, u"segredo"_s);
        const QString dados = QDir::cleanPath(pasta.dataDir());
        QFile alheio(QDir(dados).filePath(u"leia-me.txt"_s));
        QVERIFY(alheio.open(QIODevice::WriteOnly));
        alheio.close();
        const QStringList nossos = QDir(dados).entryList({u"*.db"_s, u".cofrel-principal.db"_s},
                                                         QDir::Files | QDir::Hidden);
        QCOMPARE(nossos.size(), 6);
        QVERIFY(::chmod(QFile::encodeName(dados).constData(), 0777) == 0);
        for (const QString &nome : nossos + QStringList{u"leia-me.txt"_s})
            QVERIFY(::chmod(QFile::encodeName(QDir(dados).filePath(nome)).constData(), 0666) == 0);

        ScriptedInteraction interacao;
        createForms();
        const auto fim = qScopeGuard([] { destroyForms(); });
        forms().CofrelLogin->show();
        QCOMPARE(forms().CofrelLogin->comboUsuario->count(), 1);
        forms().CofrelLogin->hide();

        QCOMPARE(modo(dados), 0700);
        for (const QString &nome : nossos)
            QVERIFY2(modo(QDir(dados).filePath(nome)) == 0600, qPrintable(nome));
        QCOMPARE(modo(alheio.fileName()), 0666);
    }

    void senhaNuncaComoDigitada()
    {
        TestFolder pasta;
        const QByteArray senha = "segredo de Ana";
        pasta.addUser(u"Ana"_s, QString::fromLatin1(senha));
        QFile registro(pasta.dataFile(u"users.db"_s));
        QVERIFY(registro.open(QIODevice::ReadOnly));
        QVERIFY(!registro.readAll().contains(senha));
    }

    void nomesEDescricoesVaoComoParametros_data()
    {
        QTest::addColumn<QString>("texto");
        QTest::newRow("aspas e comando") << u"Zé'); DROP TABLE users; --"_s;
        QTest::newRow("aspas duplas") << u"O \"Rei\" d'Ávila"_s;
        QTest::newRow("curingas e barra") << u"50% _de_ \\ desconto"_s;
        QTest::newRow("ponto e vírgula") << u"a; DELETE FROM fin WHERE 1=1"_s;
        QTest::newRow("outras escritas") << u"山田 Łukasz ΣΩ 😀"_s;
    }

    // A user named with the text logs in and books a transaction described with
    // it; every statement the engine prepared is free of the text, and the text
    // comes back unchanged.
    void nomesEDescricoesVaoComoParametros()
    {
        QFETCH(QString, texto);
        TestFolder pasta;
        ScriptedInteraction interacao;
        clock::FixedNow hoje(QDate(2025, 3, 15));
        createForms();
        const auto fim = qScopeGuard([] { destroyForms(); });
        Rastro rastro(conexaoDoPrograma());
        QVERIFY(rastro.ativo());

        TformCofrelInclui &inclui = *forms().CofrelInclui;
        inclui.editUsuario->setText(texto);
        inclui.editSenha->setText(u"x"_s);
        inclui.editConfirmaSenha->setText(u"x"_s);
        inclui.setResult(0);
        QVERIFY(guarded([&] { inclui.buttonOKClick(); }));
        QCOMPARE(inclui.result(), mrOk);

        TformCofrelLogin &login = *forms().CofrelLogin;
        QVERIFY(guarded([&] { login.FormShow(); }));
        QCOMPARE(login.comboUsuario->currentText(), texto);
        login.editSenha->setText(u"x"_s);
        login.setResult(0);
        QVERIFY(guarded([&] { login.buttonIniciarClick(); }));
        QCOMPARE(login.result(), mrOk);
        QCOMPARE(loginContext().UserName, texto);

        TformIncluirValor &valor = *forms().IncluirValor;
        valor.setEntryMode(TformIncluirValor::EntryMode::NovoLancamento);
        valor.editData()->setText(u"15/03/2025"_s);
        valor.editDescricao()->setText(texto.left(100));
        valor.editValor()->setText(u"10"_s);
        valor.setResult(0);
        valor.buttonOKClick();
        QCOMPARE(valor.result(), mrOk);

        data::StatementQuery &extratoQuery = forms().Dados->Query;
        extrato::abreExtrato(extratoQuery, loginContext().FinTableName, 0, QDate(2025, 3, 15));
        const std::vector<data::Lancamento> linhas = extratoQuery.rows(0, 1);
        QCOMPARE(linhas.size(), size_t(1));
        QCOMPARE(linhas.front().descricao, texto.left(100).trimmed());
        extratoQuery.close();
        QVERIFY2(interacao.errors.isEmpty(), qPrintable(interacao.errors.join(u" | "_s)));

        QVERIFY(rastro.textos.size() > 10);
        for (const QString &sql : std::as_const(rastro.textos))
            QVERIFY2(!sql.contains(texto) && !sql.contains(texto.left(8)), qPrintable(sql));
    }
};

QTEST_MAIN(TestSeguranca)
#include "test_seguranca.moc"
