// What assistive technology reads of every window: each control that takes
// the focus has a role and a name (an edit box its label's), the gradient
// buttons are push buttons that press through their accessible action,
// and the grids report their rows.
#include "support/livro.h"
#include "support/tabelas.h"

#include "accounts/cofrel_inclui_usuario.h"
#include "accounts/cofrel_login.h"
#include "controls/GradBtn.h"
#include "controls/data_grid.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "ledger/cofrel_main_abas.h"
#include "planning/cofrel_inclui_mes.h"
#include "planning/cofrel_planejamento_mensal.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

enum class Janela { Login, NovoUsuario, Extrato, Grafico, IncluiValor, Planejamento, IncluiMes };

const QDate Hoje(2025, 3, 10);

} // namespace

Q_DECLARE_METATYPE(Janela)

class TestAcessibilidade final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_fx = std::make_unique<Livro>(Hoje, Livro::Principal | Livro::Planejamento | Livro::Contas);
        insereLinhasDeAmostra(*m_fx);
    }

    void cleanup()
    {
        for (QWidget *janela : QApplication::topLevelWidgets())
            janela->hide();
        m_fx.reset();
    }

    void controlesTemPapelENome_data()
    {
        QTest::addColumn<Janela>("janela");
        QTest::addColumn<QStringList>("nomes");  // control=the name it reports
        QTest::addColumn<QString>("pressionado"); // the gradient button pressed
        QTest::newRow("login") << Janela::Login << QStringList{u"comboUsuario=Usuário"_s, u"editSenha=Senha"_s}
                               << u"buttonIniciar"_s;
        QTest::newRow("new user") << Janela::NovoUsuario
                                  << QStringList{u"editUsuario=Usuário"_s, u"editSenha=Senha"_s,
                                                 u"editConfirmaSenha=Confirme Senha"_s}
                                  << u"buttonSair"_s;
        QTest::newRow("main window, statement") << Janela::Extrato << QStringList{u"comboPeriodo=Período:"_s}
                                                << u"buttonAjuda"_s;
        QTest::newRow("main window, chart") << Janela::Grafico << QStringList() << u"buttonClipboard"_s;
        QTest::newRow("entry dialog") << Janela::IncluiValor
                                      << QStringList{u"editData=Data"_s, u"comboCategoria=Categoria"_s,
                                                     u"editDescricao=Descrição"_s, u"editValor=Valor"_s,
                                                     u"comboCredito=Tipo"_s}
                                      << u"buttonSair"_s;
        QTest::newRow("planning window") << Janela::Planejamento << QStringList() << u"buttonVoltar"_s;
        QTest::newRow("planned-entry dialog") << Janela::IncluiMes
                                              << QStringList{u"comboDia=Dia"_s, u"comboCategoria=Categoria"_s,
                                                             u"editDescricao=Descrição"_s, u"editValor=Valor"_s,
                                                             u"comboCredito=Tipo"_s}
                                              << u"buttonSair"_s;
    }

    void controlesTemPapelENome()
    {
        QFETCH(Janela, janela);
        QFETCH(QStringList, nomes);
        QFETCH(QString, pressionado);
        QWidget *w = mostra(janela);
        QVERIFY(w);

        QStringList mudos;
        for (QWidget *controle : w->findChildren<QWidget *>()) {
            if (!controle->isVisibleTo(w) || !(controle->focusPolicy() & Qt::TabFocus))
                continue;
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(controle);
            const QAccessible::Role papel = iface ? iface->role() : QAccessible::NoRole;
            if (papel == QAccessible::NoRole || papel == QAccessible::Client
                || iface->text(QAccessible::Name).trimmed().isEmpty())
                mudos << controle->objectName() + u'/' + QString::fromLatin1(controle->metaObject()->className());
        }
        QVERIFY2(mudos.isEmpty(), qPrintable(u"no role or no name: "_s + mudos.join(u", "_s)));

        for (const QString &par : nomes) {
            const QString controle = par.section(u'=', 0, 0);
            auto *caixa = w->findChild<QWidget *>(controle);
            QVERIFY2(caixa, qPrintable(controle));
            // Its name, or (a list box on Linux, named by its choice) the
            // label related to it.
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(caixa);
            QStringList lidos{iface->text(QAccessible::Name)};
            for (const auto &[rotulo, relacao] : iface->relations(QAccessible::Label))
                lidos << rotulo->text(QAccessible::Name);
            QVERIFY2(lidos.contains(par.section(u'=', 1)), qPrintable(controle + u": "_s + lidos.join(u", "_s)));
        }

        for (DataGrid *grade : w->findChildren<DataGrid *>()) {
            if (!grade->isVisibleTo(w))
                continue;
            QAccessibleTableInterface *tabela = QAccessible::queryAccessibleInterface(grade)->tableInterface();
            QVERIFY(tabela);
            QVERIFY(grade->model()->rowCount() > 0);
            QCOMPARE(tabela->rowCount(), grade->model()->rowCount());
        }

        auto *botao = w->findChild<TGradBtn *>(pressionado);
        QVERIFY(botao);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(botao);
        QCOMPARE(iface->role(), QAccessible::Button);
        QCOMPARE(iface->text(QAccessible::Name), TGradBtn::plainCaptionOf(botao->Caption()));
        QAccessibleActionInterface *acoes = iface->actionInterface();
        QVERIFY(acoes);
        QVERIFY(acoes->actionNames().contains(QAccessibleActionInterface::pressAction()));
        botao->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(iface->state().focused);
        QVERIFY(iface->state().focusable);
        QSignalSpy cliques(botao, &TGradBtn::clicked);
        botao->setEnabled(false);
        QVERIFY(iface->state().disabled);
        acoes->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(cliques.count(), 0);
        botao->setEnabled(true);
        QVERIFY(!iface->state().disabled);
        acoes->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(cliques.count(), 1);
    }

private:
    QWidget *mostra(Janela janela)
    {
        QWidget *w = nullptr;
        switch (janela) {
        case Janela::Login: w = m_fx->login; break;
        case Janela::NovoUsuario: w = m_fx->inclui; break;
        case Janela::Extrato:
        case Janela::Grafico: w = m_fx->janela; break;
        case Janela::IncluiValor: w = m_fx->dialogo; break;
        case Janela::Planejamento: w = m_fx->planejamento; break;
        case Janela::IncluiMes: w = m_fx->incluiMes; break;
        }
        w->show();
        if (!QTest::qWaitForWindowActive(w))
            return nullptr;
        if (janela == Janela::Grafico)
            m_fx->janela->TabControl->setTabIndex(1);
        return w;
    }

    std::unique_ptr<Livro> m_fx;
};

QTEST_MAIN(TestAcessibilidade)
#include "test_acessibilidade.moc"
