// The new-user window driven as a person does: the checks in their order,
// the stored user, the copies of the templates and a provisioning failure.
#include "accounts/cofrel_inclui_usuario.h"
#include "support/livro.h"
#include "accounts/senha.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "controls/GradBtn.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace cofrel;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray conteudo(const QString &caminho)
{
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void grava(const QString &caminho, const QByteArray &dados)
{
    QFile f(caminho);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(dados);
}

// Readable and writable by the owner, by nobody else, executable by none.
bool apenasDoDono(const QString &caminho)
{
    const QFileDevice::Permissions p = QFile::permissions(caminho);
    const QFileDevice::Permissions outros = QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                           | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                           | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return p.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner) && !(p & outros);
}

const QString MensagemNome = u"Digite um nome de usuário para incluir"_s;
const QString MensagemSenha = u"Digite a mesma senha nos campos \"Senha\" e \"Confirme Senha\""_s;
const QString MensagemExiste = u"Não é possível incluir, pois este usuário já existe."_s;

} // namespace

class TestIncluiUsuario final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_janelas = std::make_unique<Livro>(QDate(), Livro::Contas, QString());
        QVERIFY(m_janelas->pasta.isValid());
        m_inclui = m_janelas->inclui;
    }

    void cleanup()
    {
        QVERIFY(m_janelas->interacao.errors.isEmpty() || QTest::currentTestFailed()
                || QByteArray(QTest::currentTestFunction()) == "provisioningFailureLeavesNothing");
        m_janelas.reset();
    }

    void layout()
    {
        QCOMPARE(m_inclui->windowTitle(), u"Cofrel 1.0 - Inclusão de usuário"_s);
        QCOMPARE(m_inclui->size(), QSize(384, 204));
        QCOMPARE(m_inclui->Image1->geometry(), QRect(0, 0, 384, 204));
        QVERIFY(!m_inclui->Image1->pixmap().isNull());
        QCOMPARE(m_inclui->Label1->text(), u"Usuário"_s);
        QCOMPARE(m_inclui->Label2->text(), u"Senha"_s);
        QCOMPARE(m_inclui->Label3->text(), u"Confirme Senha"_s);
        QCOMPARE(m_inclui->Label1->pos(), QPoint(12, 103));
        QCOMPARE(m_inclui->Label2->pos(), QPoint(211, 103));
        QCOMPARE(m_inclui->Label3->pos(), QPoint(211, 137));
        QCOMPARE(m_inclui->editUsuario->geometry(), QRect(12, 116, 194, 21));
        QCOMPARE(m_inclui->editSenha->geometry(), QRect(211, 116, 162, 21));
        QCOMPARE(m_inclui->editConfirmaSenha->geometry(), QRect(211, 150, 162, 21));
        QCOMPARE(m_inclui->buttonOK->geometry(), QRect(211, 175, 76, 23));
        QCOMPARE(m_inclui->buttonSair->geometry(), QRect(296, 175, 76, 23));
        QCOMPARE(m_inclui->buttonOK->Caption(), u"OK"_s);
        QCOMPARE(m_inclui->buttonSair->Caption(), u"Cancelar"_s);
        QCOMPARE(m_inclui->editSenha->echoMode(), QLineEdit::Password);
        QCOMPARE(m_inclui->editConfirmaSenha->echoMode(), QLineEdit::Password);
        QCOMPARE(m_inclui->editUsuario->echoMode(), QLineEdit::Normal);
        QCOMPARE(m_inclui->editSenha->maxLength(), 20);
        QCOMPARE(m_inclui->editConfirmaSenha->maxLength(), 20);

        mostra();
        QCOMPARE(m_inclui->focusWidget(), m_inclui->editUsuario);
        QWidget *ordem = m_inclui->editUsuario;
        for (QWidget *seguinte : {static_cast<QWidget *>(m_inclui->editSenha),
                                  static_cast<QWidget *>(m_inclui->editConfirmaSenha),
                                  static_cast<QWidget *>(m_inclui->buttonOK),
                                  static_cast<QWidget *>(m_inclui->buttonSair)}) {
            QCOMPARE(ordem->nextInFocusChain(), seguinte);
            ordem = seguinte;
        }
    }

    void addsUserWithScrambledPassword()
    {
        mostra();
        preencheEConfirma(m_inclui, u"Maria"_s, u"segredo"_s);
        QCOMPARE(m_inclui->result(), mrOk);
        QVERIFY(!m_inclui->isVisible());
        QVERIFY(m_janelas->interacao.messages.isEmpty());

        const auto usuarios = registro();
        QCOMPARE(usuarios.keys(), QStringList{u"Maria"_s});
        const UsuarioGuardado maria = usuarios.value(u"Maria"_s);
        QCOMPARE(maria.senha.size(), 21);
        QVERIFY(maria.senha.mid(1, 7) != QByteArray("segredo")); // never stored as typed
        QCOMPARE(DecodificaSenha(maria.senha), QByteArray("segredo"));
        QVERIFY(maria.numero > 0);
    }

    void copiesEveryTemplateByteForByte()
    {
        const TestFolder &pasta = m_janelas->pasta;
        // Templates of every extension, and a stale copy under the new user's
        // name that must be replaced. An empty registry hands out number 1.
        grava(pasta.dataFile(u"fin.PX"_s), QByteArray("\x00\x01\xFF fin px", 10));
        grava(pasta.dataFile(u"FIN.Xg0"_s), QByteArray(70'000, 'x') + QByteArray("\r\n\x1A", 3));
        grava(pasta.dataFile(u"dfin.val"_s), QByteArray());
        grava(pasta.dataFile(u"f1.PX"_s), QByteArray("stale content that is longer than the template"));
        QFile::setPermissions(pasta.dataFile(u"f1.PX"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                              | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        const QStringList antes = arquivosDaPasta(pasta);

        mostra();
        preencheEConfirma(m_inclui, u"Ana"_s, u"abc"_s);
        QCOMPARE(m_inclui->result(), mrOk);
        const int n = registro().value(u"Ana"_s).numero;
        QCOMPARE(n, 1);

        QStringList esperados;
        for (const QString &nome : antes) {
            const QString minusculo = nome.toLower();
            QString copia;
            if (minusculo.startsWith(u"fin."_s))
                copia = u"f1"_s + nome.mid(3);
            else if (minusculo.startsWith(u"dfin."_s))
                copia = u"d1"_s + nome.mid(4);
            else
                continue;
            esperados << copia;
            const QString caminho = pasta.dataFile(copia);
            QVERIFY2(QFile::exists(caminho), qPrintable(copia));
            QCOMPARE(conteudo(caminho), conteudo(pasta.dataFile(nome)));
            QVERIFY(apenasDoDono(caminho));
        }
        QVERIFY(esperados.contains(u"f1.DB"_s));
        QVERIFY(esperados.contains(u"d1.DB"_s));
        QVERIFY(esperados.contains(u"f1.Xg0"_s));
        QVERIFY(esperados.contains(u"d1.val"_s));

        QStringList depois = arquivosDaPasta(pasta);
        for (const QString &nome : std::as_const(esperados))
            depois.removeOne(nome);
        QStringList semACopiaAntiga = antes;
        semACopiaAntiga.removeOne(u"f1.PX"_s);
        QCOMPARE(depois, semACopiaAntiga); // nothing else made, nothing else touched
    }

    void numbersAreNeverShared()
    {
        const int primeiro = m_janelas->pasta.addUser(u"Primeiro"_s, u"um"_s);
        mostra();
        preencheEConfirma(m_inclui, u"Segundo"_s, u"dois"_s);
        QCOMPARE(m_inclui->result(), mrOk);
        mostra();
        preencheEConfirma(m_inclui, u"Terceiro"_s, u"tres"_s);
        QCOMPARE(m_inclui->result(), mrOk);

        const auto usuarios = registro();
        QCOMPARE(usuarios.size(), 3);
        const int segundo = usuarios.value(u"Segundo"_s).numero;
        const int terceiro = usuarios.value(u"Terceiro"_s).numero;
        QCOMPARE(usuarios.value(u"Primeiro"_s).numero, primeiro);
        QVERIFY(segundo != primeiro && terceiro != primeiro && terceiro != segundo);
        for (const int n : {segundo, terceiro}) {
            QVERIFY(QFile::exists(m_janelas->pasta.dataFile(u"f%1.DB"_s.arg(n))));
            QVERIFY(QFile::exists(m_janelas->pasta.dataFile(u"d%1.DB"_s.arg(n))));
        }
    }

    void refusesAndKeepsTheBoxes_data()
    {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("senha");
        QTest::addColumn<QString>("confirmacao");
        QTest::addColumn<QString>("mensagem");
        QTest::addColumn<QString>("foco");
        QTest::addColumn<QString>("nomeNaCaixa");

        QTest::newRow("no name") << "" << "abc" << "abc" << MensagemNome << "editUsuario" << "";
        QTest::newRow("blanks only") << "    " << "abc" << "abc" << MensagemNome << "editUsuario" << "";
        QTest::newRow("name checked before password") << "  " << "abc" << "xyz" << MensagemNome << "editUsuario" << "";
        QTest::newRow("passwords differ") << "Rui" << "abc" << "abd" << MensagemSenha << "editSenha" << "Rui";
        QTest::newRow("passwords differ in case") << "Rui" << "abc" << "ABC" << MensagemSenha << "editSenha" << "Rui";
        QTest::newRow("a blank more") << " Rui " << "abc" << "abc " << MensagemSenha << "editSenha" << "Rui";
        QTest::newRow("no password") << "Rui" << "" << "" << MensagemSenha << "editSenha" << "Rui";
        QTest::newRow("blank password") << "Rui" << "   " << "   " << MensagemSenha << "editSenha" << "Rui";
        QTest::newRow("registered") << "JOSÉ" << "abc" << "abc" << MensagemExiste << "editUsuario" << "JOSÉ";
        QTest::newRow("other case") << "Ana Maria" << "abc" << "abc" << MensagemExiste << "editUsuario" << "Ana Maria";
        QTest::newRow("accented, other case") << "josé" << "abc" << "abc" << MensagemExiste << "editUsuario" << "josé";
        QTest::newRow("blanks around, other case") << "  ana MARIA " << "x" << "x" << MensagemExiste << "editUsuario"
                                                   << "ana MARIA";
        QTest::newRow("sharp s, as registered") << "straße" << "abc" << "abc" << MensagemExiste << "editUsuario"
                                                << "straße";
        QTest::newRow("sharp s, other case") << "STRAßE" << "abc" << "abc" << MensagemExiste << "editUsuario"
                                             << "STRAßE";
        QTest::newRow("password checked before registry") << "josé" << "a" << "b" << MensagemSenha << "editSenha"
                                                          << "josé";
    }

    void refusesAndKeepsTheBoxes()
    {
        QFETCH(QString, nome);
        QFETCH(QString, senha);
        QFETCH(QString, confirmacao);
        QFETCH(QString, mensagem);
        QFETCH(QString, foco);
        QFETCH(QString, nomeNaCaixa);

        m_janelas->pasta.addUser(u"JOSÉ"_s, u"x"_s);
        m_janelas->pasta.addUser(u"ANA maria"_s, u"y"_s);
        m_janelas->pasta.addUser(u"Straße"_s, u"z"_s);
        const auto registroAntes = registro();
        const QStringList arquivosAntes = arquivosDaPasta(m_janelas->pasta);

        mostra();
        preencheEConfirma(m_inclui, nome, senha, confirmacao);

        QCOMPARE(m_janelas->interacao.messages, QStringList{mensagem});
        QVERIFY(m_inclui->isVisible());
        QCOMPARE(m_inclui->result(), 0);
        QCOMPARE(m_inclui->focusWidget()->objectName(), foco);
        QCOMPARE(m_inclui->editUsuario->text(), nomeNaCaixa);
        QCOMPARE(m_inclui->editSenha->text(), senha);
        QCOMPARE(m_inclui->editConfirmaSenha->text(), confirmacao);
        QCOMPARE(registro().keys(), registroAntes.keys());
        QCOMPARE(arquivosDaPasta(m_janelas->pasta), arquivosAntes);
    }

    void trimmedNameShownAtOnce()
    {
        mostra();
        QString naCaixaDuranteAMensagem;
        m_janelas->interacao.onMessage = [&](const QString &) { naCaixaDuranteAMensagem = m_inclui->editUsuario->text(); };
        preencheEConfirma(m_inclui, u"   Luísa  "_s, u"abc"_s, u"abX"_s);
        QCOMPARE(naCaixaDuranteAMensagem, u"Luísa"_s);

        m_janelas->interacao.onMessage = nullptr;
        m_inclui->editConfirmaSenha->clear();
        digita(m_inclui->editConfirmaSenha, u"abc"_s);
        clica(m_inclui->buttonOK);
        QCOMPARE(m_inclui->result(), mrOk);
        QCOMPARE(registro().keys(), QStringList{u"Luísa"_s});
    }

    void passwordKeptAsTyped()
    {
        mostra();
        preencheEConfirma(m_inclui, u"Rita"_s, u" pão de ló "_s);
        QCOMPARE(m_inclui->result(), mrOk);
        const QByteArray guardada = registro().value(u"Rita"_s).senha;
        QCOMPARE(QString::fromLatin1(DecodificaSenha(guardada)), u" pão de ló "_s);
    }

    void passwordBoxesTakeTwentyLatin1Characters()
    {
        mostra();
        digita(m_inclui->editSenha, u"abcdefghijklmnopqrstuvwxyz"_s);
        QCOMPARE(m_inclui->editSenha->text(), u"abcdefghijklmnopqrst"_s);
        digita(m_inclui->editConfirmaSenha, u"a€bçŁdé"_s); // € and Ł are not Latin-1
        QCOMPARE(m_inclui->editConfirmaSenha->text(), u"abçdé"_s);

        m_inclui->editConfirmaSenha->clear();
        digita(m_inclui->editConfirmaSenha, u"abcdefghijklmnopqrstuvwxyz"_s);
        digita(m_inclui->editUsuario, u"Vinte"_s);
        clica(m_inclui->buttonOK);
        QCOMPARE(m_inclui->result(), mrOk);
        const QByteArray guardada = registro().value(u"Vinte"_s).senha;
        QCOMPARE(guardada.size(), 21);
        QCOMPARE(DecodificaSenha(guardada), QByteArray("abcdefghijklmnopqrst"));
    }

    void provisioningFailureLeavesNothing_data()
    {
        QTest::addColumn<QString>("bloqueado"); // a folder where a copy must go
        QTest::newRow("first copy fails") << "f1.DB";
        QTest::newRow("plan copy fails after the ledger copies") << "d1.DB";
    }

    void provisioningFailureLeavesNothing()
    {
        QFETCH(QString, bloqueado);
        const TestFolder &pasta = m_janelas->pasta;
        grava(pasta.dataFile(u"fin.PX"_s), QByteArray("px"));
        QVERIFY(QDir(pasta.dataDir()).mkdir(bloqueado));
        const QStringList antes = arquivosDaPasta(pasta);
        QVERIFY(registro().isEmpty()); // so the new user is number 1

        mostra();
        preencheEConfirma(m_inclui, u"Beatriz"_s, u"abc"_s);

        QCOMPARE(m_janelas->interacao.errors.size(), 1);
        QVERIFY2(m_janelas->interacao.errors.constFirst().contains(bloqueado),
                 qPrintable(m_janelas->interacao.errors.constFirst()));
        QVERIFY(m_inclui->isVisible());
        QCOMPARE(m_inclui->result(), 0);
        QVERIFY(registro().isEmpty());
        QCOMPARE(arquivosDaPasta(pasta), antes);
        QCOMPARE(m_inclui->editUsuario->text(), u"Beatriz"_s);

        // Once the obstacle is gone the same name goes through.
        QVERIFY(QDir(pasta.dataDir()).rmdir(bloqueado));
        clica(m_inclui->buttonOK);
        QCOMPARE(m_janelas->interacao.errors.size(), 1);
        QCOMPARE(m_inclui->result(), mrOk);
        QCOMPARE(registro().keys(), QStringList{u"Beatriz"_s});
        const int n = registro().value(u"Beatriz"_s).numero;
        for (const QString &nome : {u"f%1.DB"_s, u"f%1.PX"_s, u"d%1.DB"_s})
            QVERIFY(QFile::exists(pasta.dataFile(nome.arg(n))));
    }

    void cancelStoresNothingAndReopensBlank()
    {
        const QStringList antes = arquivosDaPasta(m_janelas->pasta);
        mostra();
        digita(m_inclui->editUsuario, u"Paulo"_s);
        digita(m_inclui->editSenha, u"abc"_s);
        digita(m_inclui->editConfirmaSenha, u"abc"_s);
        clica(m_inclui->buttonSair);
        QCOMPARE(m_inclui->result(), mrCancel);
        QVERIFY(!m_inclui->isVisible());
        QVERIFY(registro().isEmpty());
        QCOMPARE(arquivosDaPasta(m_janelas->pasta), antes);

        mostra();
        QVERIFY(m_inclui->editUsuario->text().isEmpty());
        QVERIFY(m_inclui->editSenha->text().isEmpty());
        QVERIFY(m_inclui->editConfirmaSenha->text().isEmpty());

        digita(m_inclui->editUsuario, u"Paulo"_s);
        m_inclui->close(); // the close box
        QCOMPARE(m_inclui->result(), mrCancel);
        QVERIFY(registro().isEmpty());
    }

    void enterAndEscapeDoNotCloseIt()
    {
        mostra();
        digita(m_inclui->editUsuario, u"Paulo"_s);
        digita(m_inclui->editSenha, u"abc"_s);
        digita(m_inclui->editConfirmaSenha, u"abc"_s);
        QTest::keyClick(m_inclui->editConfirmaSenha, Qt::Key_Return);
        QTest::keyClick(m_inclui->editConfirmaSenha, Qt::Key_Enter);
        QTest::keyClick(m_inclui->editConfirmaSenha, Qt::Key_Escape);
        QVERIFY(m_inclui->isVisible());
        QCOMPARE(m_inclui->result(), 0);
        QVERIFY(registro().isEmpty());
    }

    void picture()
    {
        mostra();
        digita(m_inclui->editUsuario, u"José da Silva"_s);
        digita(m_inclui->editSenha, u"segredo"_s);
        const QString arquivo = QDir::current().filePath(u"cofrel_inclui_usuario.png"_s);
        QVERIFY(m_inclui->grab().save(arquivo));
        qInfo("picture: %s", qPrintable(arquivo));
    }

private:
    void mostra()
    {
        m_inclui->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_inclui));
    }

    std::unique_ptr<Livro> m_janelas;
    TformCofrelInclui *m_inclui = nullptr;
};

QTEST_MAIN(TestIncluiUsuario)
#include "test_inclui_usuario.moc"
