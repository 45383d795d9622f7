// The windows on screens scaled to 100 %, 150 % and 200 % (three offscreen
// screens of device pixel ratios 1, 1.5 and 2): the text of each control
// is drawn at the scaled size, so its ink grows with the ratio, where the
// bitmap face drew the same few pixels spread over the scaled width.
#include "support/livro.h"
#include "support/tabelas.h"

#include "app/montagem_janela.h"
#include "accounts/cofrel_inclui_usuario.h"
#include "accounts/cofrel_login.h"
#include "ledger/cofrel_importa_extrato.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "planning/cofrel_inclui_mes.h"
#include "planning/cofrel_planejamento_mensal.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace cofrel;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

enum class Janela { Login, NovoUsuario, Principal, IncluiValor, Planejamento, IncluiMes, ImportaExtrato };

// The dark pixels of \a widget drawn at its screen's pixel ratio: its
// black text, not the light background, the frames nor the blue of a
// selected row.
int tinta(QWidget *widget)
{
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    int pixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            pixels += qAlpha(pixel) > 127 && qGray(pixel) < 80 ? 1 : 0;
        }
    }
    return pixels;
}

// Shows \a w on the screen of ratio \a dpr.
void mostraEm(QWidget *w, QScreen *tela)
{
    w->setScreen(tela);
    w->move(tela->geometry().topLeft() + QPoint(20, 20));
    w->show();
}

QScreen *telaDe(qreal dpr)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (qFuzzyCompare(screen->devicePixelRatio(), dpr))
            return screen;
    }
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(Janela)

class TestEscala final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        registraFontes(); // as start-up does
        for (const qreal dpr : {1.0, 1.5, 2.0})
            QVERIFY2(telaDe(dpr), qPrintable(u"no screen of ratio %1"_s.arg(dpr)));
    }

    void init()
    {
        m_fx = std::make_unique<Livro>(QDate(2025, 3, 10), Livro::Principal | Livro::Planejamento | Livro::Contas);
        insereLinhasDeAmostra(*m_fx);
    }

    void cleanup()
    {
        for (QWidget *janela : QApplication::topLevelWidgets())
            janela->hide();
        m_importa.reset();
        m_fx.reset();
    }

    void textoCresceComAEscala_data()
    {
        QTest::addColumn<Janela>("janela");
        QTest::addColumn<QString>("controle");
        QTest::newRow("login, bold label") << Janela::Login << u"Label1"_s;
        QTest::newRow("new user, bold label") << Janela::NovoUsuario << u"Label3"_s;
        QTest::newRow("main window, label") << Janela::Principal << u"Label1"_s;
        QTest::newRow("main window, period box") << Janela::Principal << u"comboPeriodo"_s;
        QTest::newRow("main window, tab captions") << Janela::Principal << u"TabControlBar"_s;
        QTest::newRow("main window, statement grid") << Janela::Principal << u"DBGrid"_s;
        QTest::newRow("main window, balance") << Janela::Principal << u"editSaldo"_s;
        QTest::newRow("entry dialog, bold label") << Janela::IncluiValor << u"Label4"_s;
        QTest::newRow("planning window, plan grid") << Janela::Planejamento << u"DBGrid"_s;
        QTest::newRow("planned-entry dialog, bold label") << Janela::IncluiMes << u"labelDia"_s;
    }

    void textoCresceComAEscala()
    {
        QFETCH(Janela, janela);
        QFETCH(QString, controle);
        QWidget *w = this->janela(janela);
        auto *alvo = w->findChild<QWidget *>(controle);
        QVERIFY(alvo);

        QList<int> tintas;
        for (const qreal dpr : {1.0, 1.5, 2.0}) {
            mostraEm(w, telaDe(dpr));
            QTRY_COMPARE(w->devicePixelRatioF(), dpr);
            QCoreApplication::processEvents();
            tintas << tinta(alvo);
        }
        const QString lidas = u"%1, %2, %3 dark pixels"_s.arg(tintas[0]).arg(tintas[1]).arg(tintas[2]);
        QVERIFY2(tintas[0] > 0, qPrintable(lidas));
        // Areas grow with the square of the ratio; thin strokes at least
        // with the ratio itself.
        QVERIFY2(tintas[1] >= 1.5 * tintas[0] && tintas[2] >= 2.0 * tintas[0], qPrintable(lidas));
    }

    void rotulosInteiros_data()
    {
        QTest::addColumn<Janela>("janela");
        QTest::newRow("login") << Janela::Login;
        QTest::newRow("new user") << Janela::NovoUsuario;
        QTest::newRow("main window") << Janela::Principal;
        QTest::newRow("entry dialog") << Janela::IncluiValor;
        QTest::newRow("planning window") << Janela::Planejamento;
        QTest::newRow("planned-entry dialog") << Janela::IncluiMes;
        QTest::newRow("import review") << Janela::ImportaExtrato;
    }

    // The scaled face is wider than the bitmap one: each label still has
    // the room its whole text needs.
    void rotulosInteiros()
    {
        QFETCH(Janela, janela);
        QWidget *w = this->janela(janela);
        for (const qreal dpr : {1.0, 1.5, 2.0}) {
            mostraEm(w, telaDe(dpr));
            QTRY_COMPARE(w->devicePixelRatioF(), dpr);
            for (const QLabel *rotulo : w->findChildren<QLabel *>()) {
                if (rotulo->isVisibleTo(w) && !rotulo->text().isEmpty() && !rotulo->wordWrap())
                    QVERIFY2(rotulo->width() >= rotulo->sizeHint().width(),
                             qPrintable(u"%1 at %2: %3 of %4 pixels"_s.arg(rotulo->objectName()).arg(dpr)
                                            .arg(rotulo->width()).arg(rotulo->sizeHint().width())));
            }
        }
    }

private:
    QWidget *janela(Janela janela)
    {
        switch (janela) {
        case Janela::Login: return m_fx->login;
        case Janela::NovoUsuario: return m_fx->inclui;
        case Janela::Principal: return m_fx->janela;
        case Janela::IncluiValor: return m_fx->dialogo;
        case Janela::Planejamento: return m_fx->planejamento;
        case Janela::IncluiMes: return m_fx->incluiMes;
        case Janela::ImportaExtrato:
            m_importa = std::make_unique<TformImportaExtrato>();
            return m_importa.get();
        }
        return nullptr;
    }

    std::unique_ptr<Livro> m_fx;
    std::unique_ptr<TformImportaExtrato> m_importa;
};

int main(int argc, char *argv[])
{
    // Three screens side by side; the first by name, at 100 %, is the
    // primary one.
    QTemporaryDir pasta;
    const QString config = pasta.filePath(u"telas.json"_s);
    QFile arquivo(config);
    if (!arquivo.open(QIODevice::WriteOnly))
        return 2;
    arquivo.write(R"({"screens": [
        {"name": "escala100", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96},
        {"name": "escala150", "x": 2000, "y": 0, "width": 1920, "height": 1536, "logicalDpi": 144, "logicalBaseDpi": 96},
        {"name": "escala200", "x": 5000, "y": 0, "width": 2560, "height": 2048, "logicalDpi": 192, "logicalBaseDpi": 96}
    ]})");
    arquivo.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    TestEscala tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_escala.moc"
