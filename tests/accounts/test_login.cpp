// The login window driven as a person does: the first run, logging in by
// button and by Enter, wrong passwords, deleting users and their files,
// and the limit of 30 users.
#include "accounts/cofrel_inclui_usuario.h"
#include "accounts/cofrel_login.h"
#include "support/livro.h"
#include "accounts/senha.h"
#include "app/forms.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "app/montagem_janela.h"
#include "controls/GradBtn.h"
#include "data/cofrel_dados.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <memory>

using namespace cofrel;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

const QString MensagemPrimeiraVez =
    u"Você está rodando este programa pela primeira vez. Para sua segurança, digite seu nome e uma senha "
    u"de sua escolha, e guarde-a consigo. Você só poderá acessar seus dados financeiros neste programa "
    u"através desta senha."_s;
const QString MensagemAntesDeIniciar =
    u"Antes de iniciar o programa, é necessário incluir um usuário, clicando no botão \"Incluir Usuário\""_s;
const QString SenhaIncorreta = u"Senha Incorreta!"_s;
const QString PerguntaApagar = u"Deseja realmente apagar este usuário?"_s;

// Counts what the window receives on its way to the screen.
class Observador final : public QObject {
public:
    int pinturas = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint || event->type() == QEvent::Expose)
            ++pinturas;
        return false;
    }
};

bool naTela(QWidget *janela)
{
    return janela->windowHandle() && janela->windowHandle()->isExposed();
}

QStringList itens(const QComboBox *combo)
{
    QStringList lista;
    for (int i = 0; i < combo->count(); ++i)
        lista << combo->itemText(i);
    return lista;
}

void grava(const QString &caminho)
{
    QFile f(caminho);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(caminho.toUtf8());
}

} // namespace

class TestLogin final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        registraFontes(); // as start-up does, before any window
    }

    void init()
    {
        m_janelas = std::make_unique<Livro>(QDate(), Livro::Contas, QString());
        QVERIFY(m_janelas->pasta.isValid());
        m_login = m_janelas->login;
        m_inclui = m_janelas->inclui;
    }

    void cleanup()
    {
        if (QByteArray(QTest::currentTestFunction()) != "unreadableRegistryIsReported")
            QCOMPARE(interacao().errors, QStringList());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!QApplication::activeModalWidget());
        m_janelas.reset();
    }

    void layout_data()
    {
        QTest::addColumn<QString>("controle");
        QTest::addColumn<QRect>("limites");
        QTest::addColumn<QString>("texto");
        QTest::newRow("Image1") << "Image1" << QRect(0, 0, 384, 182) << "";
        QTest::newRow("Label1") << "Label1" << QRect(13, 100, -1, -1) << "Usuário";
        QTest::newRow("Label2") << "Label2" << QRect(197, 100, -1, -1) << "Senha";
        QTest::newRow("Label3") << "Label3" << QRect(10, 167, 367, 13) << "";
        QTest::newRow("comboUsuario") << "comboUsuario" << QRect(13, 113, 179, 21) << "";
        QTest::newRow("editSenha") << "editSenha" << QRect(198, 113, 176, 21) << "";
        QTest::newRow("buttonIniciar") << "buttonIniciar" << QRect(12, 139, 84, 23) << "&Entrar";
        QTest::newRow("buttonIncluir") << "buttonIncluir" << QRect(105, 139, 84, 23) << "&Incluir Usuário";
        QTest::newRow("buttonExcluir") << "buttonExcluir" << QRect(197, 139, 84, 23) << "E&xcluir Usuário";
        QTest::newRow("buttonSair") << "buttonSair" << QRect(288, 139, 84, 23) << "&Sair";
    }

    void layout()
    {
        QFETCH(QString, controle);
        QFETCH(QRect, limites);
        QFETCH(QString, texto);

        QCOMPARE(m_login->windowTitle(), u"Cofrel 1.0 - Identificação de usuário"_s);
        QCOMPARE(m_login->size(), QSize(384, 182));
        auto *widget = m_login->findChild<QWidget *>(controle);
        QVERIFY(widget);
        if (limites.width() < 0)
            QCOMPARE(widget->pos(), limites.topLeft());
        else
            QCOMPARE(widget->geometry(), limites);
        if (auto *botao = qobject_cast<TGradBtn *>(widget))
            QCOMPARE(botao->Caption(), texto);
        else if (auto *rotulo = qobject_cast<QLabel *>(widget); rotulo && !texto.isEmpty())
            QCOMPARE(rotulo->text(), texto);

        QVERIFY(!m_login->comboUsuario->isEditable());
        QCOMPARE(m_login->editSenha->echoMode(), QLineEdit::Password);
        QVERIFY(!m_login->Image1->pixmap().isNull());
        QVERIFY(!m_login->Label3->text().isEmpty());
        QVERIFY(m_login->Label3->font().bold());
        QCOMPARE(m_login->Label3->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(m_login->Label3->palette().color(QPalette::WindowText), QColor(0, 0, 128));

        QWidget *ordem = m_login->comboUsuario;
        for (QWidget *seguinte : {static_cast<QWidget *>(m_login->editSenha), static_cast<QWidget *>(m_login->buttonIniciar),
                                  static_cast<QWidget *>(m_login->buttonIncluir),
                                  static_cast<QWidget *>(m_login->buttonExcluir),
                                  static_cast<QWidget *>(m_login->buttonSair)}) {
            QCOMPARE(ordem->nextInFocusChain(), seguinte);
            ordem = seguinte;
        }
    }

    void boldLabelsLookBold_data()
    {
        QTest::addColumn<QString>("rotulo");
        QTest::addColumn<int>("largura"); // as Windows lays the bold text out; 0: fixed by the window
        QTest::newRow("Usuário") << "Label1" << 44;
        QTest::newRow("Senha") << "Label2" << 37;
        QTest::newRow("credits line") << "Label3" << 0;
    }

    void boldLabelsLookBold()
    {
        QFETCH(QString, rotulo);
        QFETCH(int, largura);
        auto *label = m_login->findChild<QLabel *>(rotulo);
        QVERIFY(label);
        QVERIFY(label->font().bold());
        // The same text in the regular font, drawn the same way.
        QWidget fundo;
        QLabel *normal = criaRotulo(&fundo, u"normal"_s, label->text(), 0, 0, false);
        normal->setGeometry(label->geometry());
        normal->setAlignment(label->alignment());
        const auto tinta = [](QWidget *w) {
            const QImage image = w->grab().toImage();
            int pixels = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    pixels += qAlpha(image.pixel(x, y)) > 127 ? 1 : 0; // the background is transparent
            return pixels;
        };
        const int negrito = tinta(label);
        const int regular = tinta(normal);
        QVERIFY2(negrito * 10 >= regular * 15, qPrintable(u"%1 against %2 pixels"_s.arg(negrito).arg(regular)));
        if (largura > 0 && QFontInfo(label->font()).family() == u"MS Sans Serif"_s)
            QCOMPARE(label->width(), largura);
    }

    void firstRunComesBeforeTheWindowIsSeen()
    {
        Observador observador;
        m_login->installEventFilter(&observador);
        int pinturasNaMensagem = -1;
        bool loginNaTelaNaMensagem = true;
        interacao().onMessage = [&](const QString &) {
            pinturasNaMensagem = observador.pinturas;
            loginNaTelaNaMensagem = naTela(m_login);
        };
        bool loginNaTelaNaInclusao = true;
        const auto inclusao = quandoModal([&](QWidget *modal) {
            QVERIFY(modal == m_inclui);
            loginNaTelaNaInclusao = naTela(m_login);
            preencheEConfirma(m_inclui, u"Maria"_s, u"segredo"_s);
        });

        mostra();
        QVERIFY(inclusao->ran());
        QCOMPARE(interacao().messages, QStringList{MensagemPrimeiraVez});
        QCOMPARE(pinturasNaMensagem, 0);
        QVERIFY(!loginNaTelaNaMensagem);
        QVERIFY(!loginNaTelaNaInclusao);
        QCOMPARE(m_inclui->result(), mrOk);

        QCOMPARE(itens(m_login->comboUsuario), QStringList{u"Maria"_s});
        QCOMPARE(m_login->comboUsuario->currentText(), u"Maria"_s);
        digita(m_login->editSenha, u"segredo"_s);
        clica(m_login->buttonIniciar);
        QCOMPARE(m_login->result(), mrOk);
        QVERIFY(!m_login->isVisible());
        const int n = registro().value(u"Maria"_s).numero;
        QCOMPARE(loginContext().UserName, u"Maria"_s);
        QCOMPARE(loginContext().UserNumber, n);
        QCOMPARE(forms().Dados->TableFin.tableName(), u"f%1.db"_s.arg(n));
    }

    void firstRunToFirstLoginThroughExec()
    {
        std::unique_ptr<ModalWatch> entrada;
        const auto inclusao = quandoModal([&](QWidget *modal) {
            QVERIFY(modal == m_inclui);
            preencheEConfirma(m_inclui, u"Maria"_s, u"segredo"_s);
            entrada = quandoModal([&](QWidget *login) {
                QVERIFY(login == m_login);
                digita(m_login->editSenha, u"segredo"_s);
                QTest::keyClick(m_login->editSenha, Qt::Key_Return);
            });
        });
        QCOMPARE(m_login->exec(), mrOk);
        QVERIFY(inclusao->ran());
        QVERIFY(entrada && entrada->ran());
        QCOMPARE(interacao().messages, QStringList{MensagemPrimeiraVez});
        QCOMPARE(loginContext().UserName, u"Maria"_s);
        QCOMPARE(loginContext().FinTableName, u"f%1.db"_s.arg(loginContext().UserNumber));
        QCOMPARE(loginContext().DFinTableName, u"d%1.db"_s.arg(loginContext().UserNumber));
    }

    void firstRunCancelled()
    {
        const auto cancela = quandoModal([&](QWidget *modal) {
            QVERIFY(modal == m_inclui);
            clica(m_inclui->buttonSair);
        });
        mostra();
        QVERIFY(cancela->ran());
        QCOMPARE(m_inclui->result(), mrCancel);
        QCOMPARE(m_login->comboUsuario->count(), 0);

        clica(m_login->buttonIniciar);
        QCOMPARE(interacao().messages, (QStringList{MensagemPrimeiraVez, MensagemAntesDeIniciar}));
        QVERIFY(m_login->isVisible());

        clica(m_login->buttonExcluir);
        QVERIFY(interacao().questions.isEmpty());
        QCOMPARE(interacao().messages.size(), 2);

        const auto inclui = quandoModal([&](QWidget *modal) {
            QVERIFY(modal == m_inclui);
            preencheEConfirma(m_inclui, u"Tiago"_s, u"t"_s);
        });
        clica(m_login->buttonIncluir);
        QVERIFY(inclui->ran());
        QCOMPARE(itens(m_login->comboUsuario), QStringList{u"Tiago"_s});
        QCOMPARE(interacao().messages.size(), 2);
    }

    void namesInNameOrder()
    {
        for (const QString &nome : {u"carlos"_s, u"Ana"_s, u"Davi"_s, u"beto"_s})
            adiciona(nome, u"x"_s);
        mostra();
        QCOMPARE(itens(m_login->comboUsuario), (QStringList{u"Ana"_s, u"beto"_s, u"carlos"_s, u"Davi"_s}));
        QCOMPARE(m_login->comboUsuario->currentIndex(), 0);
        QVERIFY(m_login->editSenha->text().isEmpty());
        QVERIFY(m_login->buttonIncluir->isEnabled());
        QVERIFY(interacao().messages.isEmpty());
    }

    void loginFillsTheContext()
    {
        adiciona(u"Ana"_s, u"a"_s);
        const int bia = adiciona(u"Bia"_s, u"senha da Bia"_s);
        mostra();
        escolhe(u"Bia"_s);
        digita(m_login->editSenha, u"senha da Bia"_s);
        clica(m_login->buttonIniciar);

        QCOMPARE(m_login->result(), mrOk);
        QVERIFY(!m_login->isVisible());
        QVERIFY(interacao().messages.isEmpty());
        const LoginContext &c = loginContext();
        QCOMPARE(c.UserName, u"Bia"_s);
        QCOMPARE(c.UserNumber, bia);
        QCOMPARE(c.FinTableName, u"f%1.db"_s.arg(bia));
        QCOMPARE(c.DFinTableName, u"d%1.db"_s.arg(bia));
        QCOMPARE(forms().Dados->TableFin.tableName(), c.FinTableName);
        QCOMPARE(forms().Dados->TableDFin.tableName(), c.DFinTableName);
    }

    void wrongPassword_data()
    {
        QTest::addColumn<QString>("digitada");
        QTest::newRow("other case") << "Segredo";
        QTest::newRow("a blank more") << "segredo ";
        QTest::newRow("a blank less") << "egredo";
        QTest::newRow("shorter") << "segred";
        QTest::newRow("longer") << "segredos";
        QTest::newRow("empty") << "";
        QTest::newRow("accent") << "ségredo";
    }

    void wrongPassword()
    {
        QFETCH(QString, digitada);
        adiciona(u"Ana"_s, u" segredo"_s);
        mostra();
        const QString fin = forms().Dados->TableFin.tableName();
        digita(m_login->editSenha, digitada);
        clica(m_login->buttonIniciar);

        QCOMPARE(interacao().messages, QStringList{SenhaIncorreta});
        QCOMPARE(m_login->editSenha->text(), digitada);
        QCOMPARE(m_login->focusWidget(), m_login->editSenha);
        QVERIFY(m_login->isVisible());
        QCOMPARE(m_login->result(), 0);
        QCOMPARE(loginContext().UserNumber, 0);
        QVERIFY(loginContext().FinTableName.isEmpty());
        QCOMPARE(forms().Dados->TableFin.tableName(), fin);

        // The right one, typed after, goes through.
        m_login->editSenha->clear();
        digita(m_login->editSenha, u" segredo"_s);
        clica(m_login->buttonIniciar);
        QCOMPARE(m_login->result(), mrOk);
    }

    void enterInThePasswordBox_data()
    {
        QTest::addColumn<int>("tecla");
        QTest::addColumn<QString>("digitada");
        QTest::addColumn<bool>("entra");
        QTest::newRow("Enter, right") << int(Qt::Key_Return) << "abc" << true;
        QTest::newRow("keypad Enter, right") << int(Qt::Key_Enter) << "abc" << true;
        QTest::newRow("Enter, wrong") << int(Qt::Key_Return) << "abd" << false;
        QTest::newRow("keypad Enter, wrong") << int(Qt::Key_Enter) << "ab" << false;
    }

    void enterInThePasswordBox()
    {
        QFETCH(int, tecla);
        QFETCH(QString, digitada);
        QFETCH(bool, entra);
        adiciona(u"Ana"_s, u"abc"_s);
        mostra();
        QSignalSpy recebeuEnter(m_login->editSenha, &QLineEdit::returnPressed);
        digita(m_login->editSenha, digitada);
        QTest::keyClick(m_login->editSenha, Qt::Key(tecla));

        QCOMPARE(recebeuEnter.count(), 0); // the key never reached the box
        if (entra) {
            QCOMPARE(m_login->result(), mrOk);
            QVERIFY(interacao().messages.isEmpty());
            QCOMPARE(loginContext().UserName, u"Ana"_s);
        } else {
            QCOMPARE(m_login->result(), 0);
            QCOMPARE(interacao().messages, QStringList{SenhaIncorreta});
            QCOMPARE(m_login->editSenha->text(), digitada);
            QVERIFY(m_login->isVisible());
        }
    }

    void latin1Password()
    {
        adiciona(u"Zé"_s, u"pão ÇÃÉ ÿ"_s);
        mostra();
        digita(m_login->editSenha, u"pão€ ÇÃÉ ÿ"_s); // € is refused by the box
        QCOMPARE(m_login->editSenha->text(), u"pão ÇÃÉ ÿ"_s);
        clica(m_login->buttonIniciar);
        QCOMPARE(m_login->result(), mrOk);
    }

    void damagedStoredPassword_data()
    {
        QTest::addColumn<QByteArray>("guardada");
        QTest::addColumn<QString>("digitada");
        QTest::newRow("empty, nothing typed") << QByteArray() << "";
        QTest::newRow("cut short") << CodificaSenha("abcdef").left(4) << "abc";
        QTest::newRow("cut short, nothing typed") << CodificaSenha("abcdef").left(4) << "";
        QTest::newRow("not scrambled") << QByteArray("abcdef") << "bcdef";
        QTest::newRow("length byte too high") << QByteArray(40, char(30)) << "";
    }

    void damagedStoredPassword()
    {
        QFETCH(QByteArray, guardada);
        QFETCH(QString, digitada);
        adiciona(u"Ana"_s, u"abcdef"_s);
        gravaSenhaGuardada(u"Ana"_s, guardada);
        mostra();

        digita(m_login->editSenha, digitada);
        clica(m_login->buttonIniciar);
        QCOMPARE(interacao().messages, QStringList{SenhaIncorreta});
        QCOMPARE(m_login->result(), 0);

        interacao().answers = {true};
        clica(m_login->buttonExcluir);
        QCOMPARE(interacao().messages, (QStringList{SenhaIncorreta, SenhaIncorreta}));
        QVERIFY(registro().contains(u"Ana"_s));
    }

    void nameGoneFromTheRegistry()
    {
        adiciona(u"Ana"_s, u"a"_s);
        adiciona(u"Bia"_s, u"b"_s);
        mostra();
        apagaDoRegistro(u"Ana"_s);

        digita(m_login->editSenha, u"a"_s);
        clica(m_login->buttonIniciar);
        QCOMPARE(interacao().messages, QStringList{SenhaIncorreta});
        QCOMPARE(m_login->result(), 0);

        interacao().answers = {true};
        clica(m_login->buttonExcluir);
        QCOMPARE(interacao().messages, (QStringList{SenhaIncorreta, SenhaIncorreta}));
        QCOMPARE(registro().keys(), QStringList{u"Bia"_s});
    }

    void leaving()
    {
        adiciona(u"Ana"_s, u"a"_s);
        mostra();
        QTest::keyClick(m_login->editSenha, Qt::Key_Escape);
        QVERIFY(m_login->isVisible());
        clica(m_login->buttonSair);
        QCOMPARE(m_login->result(), mrCancel);
        QVERIFY(!m_login->isVisible());

        mostra();
        m_login->close(); // the close box
        QCOMPARE(m_login->result(), mrCancel);
        QCOMPARE(loginContext().UserNumber, 0);

        const auto sai = quandoModal([&](QWidget *modal) {
            QVERIFY(modal == m_login);
            clica(m_login->buttonSair);
        });
        QCOMPARE(m_login->exec(), mrCancel);
        QVERIFY(sai->ran());
    }

    void deleteUserOneBesideUserTen()
    {
        const TestFolder &pasta = m_janelas->pasta;
        QString um;
        QString dez;
        QString senhaDoUm;
        for (int i = 1; i <= 10; ++i) {
            const QString nome = u"Usuário %1"_s.arg(i, 2, 10, QChar(u'0'));
            const QString senha = u"senha %1"_s.arg(i);
            const int n = adiciona(nome, senha);
            if (n == 1) {
                um = nome;
                senhaDoUm = senha;
            }
            if (n == 10)
                dez = nome;
        }
        QVERIFY(!um.isEmpty() && !dez.isEmpty());
        for (const QString &extra : {u"F1.PX"_s, u"f1.Mb"_s, u"D1.VAL"_s, u"d1.x"_s, u"F10.PX"_s, u"d10.VAL"_s,
                                     u"f1x.DB"_s, u"f1"_s, u"d11.DB"_s})
            grava(pasta.dataFile(extra));
        const QStringList antes = arquivosDaPasta(pasta);

        mostra();
        escolhe(um);
        digita(m_login->editSenha, senhaDoUm);
        // The list is read anew inside the work of the deletion.
        QList<Qt::CursorShape> cursorAoApagar;
        connect(m_login->comboUsuario, &QComboBox::currentIndexChanged, this, [&] {
            cursorAoApagar << (QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor);
        });
        interacao().answers = {true};
        clica(m_login->buttonExcluir);

        QCOMPARE(interacao().questions.size(), 1);
        QCOMPARE(interacao().questions.constFirst().text, PerguntaApagar);
        QCOMPARE(interacao().questions.constFirst().title, u"Cofrel"_s);
        QCOMPARE(interacao().questions.constFirst().icon, QuestionIcon::None);
        QVERIFY(interacao().messages.isEmpty());
        QVERIFY(!cursorAoApagar.isEmpty());
        QCOMPARE(cursorAoApagar, QList<Qt::CursorShape>(cursorAoApagar.size(), Qt::WaitCursor));
        QVERIFY(!QApplication::overrideCursor());

        QVERIFY(!registro().contains(um));
        QCOMPARE(registro().size(), 9);
        QVERIFY(!itens(m_login->comboUsuario).contains(um));
        QCOMPARE(m_login->comboUsuario->count(), 9);
        QCOMPARE(m_login->comboUsuario->currentIndex(), 0);

        QStringList esperados;
        for (const QString &nome : antes) {
            const QString m = nome.toLower();
            if (!m.startsWith(u"f1."_s) && !m.startsWith(u"d1."_s))
                esperados << nome;
        }
        QVERIFY(esperados.size() < antes.size() - 5);
        QVERIFY(esperados.contains(u"f10.DB"_s) && esperados.contains(u"F10.PX"_s) && esperados.contains(u"d10.VAL"_s));
        QCOMPARE(arquivosDaPasta(pasta), esperados);
    }

    void deleteKeepsEverything_data()
    {
        QTest::addColumn<QString>("senha");
        QTest::addColumn<bool>("resposta");
        QTest::addColumn<QStringList>("mensagens");
        QTest::newRow("wrong password") << u"ABC"_s << true << QStringList{SenhaIncorreta};
        QTest::newRow("answered No") << u"abc"_s << false << QStringList();
    }

    void deleteKeepsEverything()
    {
        QFETCH(QString, senha);
        QFETCH(bool, resposta);
        QFETCH(QStringList, mensagens);
        adiciona(u"Ana"_s, u"abc"_s);
        adiciona(u"Bia"_s, u"xyz"_s);
        const QStringList antes = arquivosDaPasta(m_janelas->pasta);
        bool ampulhetaNaMensagem = !mensagens.isEmpty();
        interacao().onMessage = [&](const QString &) { ampulhetaNaMensagem = QApplication::overrideCursor() != nullptr; };
        mostra();
        digita(m_login->editSenha, senha);
        interacao().answers = {resposta};
        clica(m_login->buttonExcluir);

        QCOMPARE(interacao().questions.size(), 1);
        QCOMPARE(interacao().messages, mensagens);
        QVERIFY(!ampulhetaNaMensagem);
        QCOMPARE(m_login->editSenha->text(), senha);
        if (!mensagens.isEmpty()) // back to the password after the message
            QCOMPARE(m_login->focusWidget(), m_login->editSenha);
        QCOMPARE(registro().keys(), (QStringList{u"Ana"_s, u"Bia"_s}));
        QCOMPARE(arquivosDaPasta(m_janelas->pasta), antes);
        QCOMPARE(itens(m_login->comboUsuario), (QStringList{u"Ana"_s, u"Bia"_s}));
    }

    void deleteLastUserBringsTheFirstRun()
    {
        const int n = adiciona(u"Ana"_s, u"abc"_s);
        mostra();
        digita(m_login->editSenha, u"abc"_s);
        interacao().answers = {true};
        bool ampulhetaNaMensagem = true;
        interacao().onMessage = [&](const QString &) { ampulhetaNaMensagem = QApplication::overrideCursor() != nullptr; };
        bool ampulhetaNaInclusao = true;
        const auto inclusao = quandoModal([&](QWidget *modal) {
            QVERIFY(modal == m_inclui);
            ampulhetaNaInclusao = QApplication::overrideCursor() != nullptr;
            clica(m_inclui->buttonSair);
        });
        clica(m_login->buttonExcluir);

        QVERIFY(inclusao->ran());
        QCOMPARE(interacao().messages, QStringList{MensagemPrimeiraVez});
        QVERIFY(!ampulhetaNaMensagem);
        QVERIFY(!ampulhetaNaInclusao);
        QVERIFY(registro().isEmpty());
        QCOMPARE(m_login->comboUsuario->count(), 0);
        QVERIFY(!QFile::exists(m_janelas->pasta.dataFile(u"f%1.DB"_s.arg(n))));
        QVERIFY(!QFile::exists(m_janelas->pasta.dataFile(u"d%1.DB"_s.arg(n))));
    }

    void twentyNineAndThirtyUsers()
    {
        for (int i = 1; i <= 29; ++i)
            adiciona(u"Pessoa %1"_s.arg(i, 2, 10, QChar(u'0')), u"p"_s);
        mostra();
        QVERIFY(m_login->buttonIncluir->isEnabled());

        const auto inclusao = quandoModal([&](QWidget *modal) {
            QVERIFY(modal == m_inclui);
            preencheEConfirma(m_inclui, u"Pessoa 30"_s, u"p"_s);
        });
        clica(m_login->buttonIncluir);
        QVERIFY(inclusao->ran());
        QCOMPARE(m_login->comboUsuario->count(), 30);
        QCOMPARE(m_login->comboUsuario->currentText(), u"Pessoa 01"_s);
        QVERIFY(!m_login->buttonIncluir->isEnabled());

        escolhe(u"Pessoa 07"_s);
        digita(m_login->editSenha, u"p"_s);
        interacao().answers = {true};
        clica(m_login->buttonExcluir);
        QCOMPARE(m_login->comboUsuario->count(), 29);
        QVERIFY(!m_login->buttonIncluir->isEnabled()); // stays closed for the rest of the run

        clica(m_login->buttonIncluir);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!m_inclui->isVisible());
    }

    void thirtyUsersFromTheStart()
    {
        for (int i = 1; i <= 30; ++i)
            adiciona(u"Pessoa %1"_s.arg(i, 2, 10, QChar(u'0')), u"p"_s);
        mostra();
        QCOMPARE(m_login->comboUsuario->count(), 30);
        QVERIFY(!m_login->buttonIncluir->isEnabled());
        QVERIFY(m_login->buttonExcluir->isEnabled());
        QVERIFY(m_login->buttonIniciar->isEnabled());
    }

    void unreadableRegistryIsReported()
    {
        adiciona(u"Ana"_s, u"abc"_s);
        QVERIFY(QFile::remove(m_janelas->pasta.dataFile(u"users.db"_s)));
        QVERIFY(QDir(m_janelas->pasta.dataDir()).mkdir(u"users.db"_s));
        mostra();
        QCOMPARE(interacao().errors.size(), 1);
        QVERIFY2(interacao().errors.constFirst().contains(u"users.db"_s), qPrintable(interacao().errors.constFirst()));
        QVERIFY(interacao().messages.isEmpty()); // no first run on a registry that could not be read
        QVERIFY(m_login->isVisible());
    }

    void picture()
    {
        for (const QString &nome : {u"José da Silva"_s, u"Maria"_s})
            adiciona(nome, u"x"_s);
        mostra();
        digita(m_login->editSenha, u"segredo"_s);
        const QString arquivo = QDir::current().filePath(u"cofrel_login.png"_s);
        QVERIFY(m_login->grab().save(arquivo));
        qInfo("picture: %s", qPrintable(arquivo));
    }

private:
    void mostra()
    {
        m_login->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_login));
    }

    void escolhe(const QString &nome)
    {
        const int i = m_login->comboUsuario->findText(nome);
        QVERIFY2(i >= 0, qPrintable(nome));
        m_login->comboUsuario->setCurrentIndex(i);
    }

    int adiciona(const QString &nome, const QString &senha) { return m_janelas->pasta.addUser(nome, senha); }
    ScriptedInteraction &interacao() { return m_janelas->interacao; }

    std::unique_ptr<Livro> m_janelas;
    TformCofrelLogin *m_login = nullptr;
    TformCofrelInclui *m_inclui = nullptr;
};

QTEST_MAIN(TestLogin)
#include "test_login.moc"
