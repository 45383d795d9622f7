// The program's own message boxes behind the interaction seam, shown
// offscreen as a person gets them: title, icon, buttons, the default
// button, what Enter answers, and a width that leaves the title whole.
#include "app/interaction.h"
#include "support/modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace cofrel;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

enum class Caixa { Mensagem, Erro, Pergunta, PerguntaComIcone };

// What the person saw in the box.
struct Vista {
    QString titulo;
    QString texto;
    QMessageBox::Icon icone = QMessageBox::NoIcon;
    QMessageBox::StandardButtons botoes;
    QMessageBox::StandardButton padrao = QMessageBox::NoButton;
    QMessageBox::StandardButton enter = QMessageBox::NoButton; // what Enter pressed
    int largura = 0;
};

// Reads the box as soon as it is up and presses Enter in it.
std::unique_ptr<ModalWatch> respondeComEnter(Vista &vista)
{
    return quandoModal([&vista](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        vista.titulo = box->windowTitle();
        vista.texto = box->text();
        vista.icone = box->icon();
        vista.botoes = box->standardButtons();
        for (QAbstractButton *button : box->buttons()) {
            if (auto *push = qobject_cast<QPushButton *>(button); push && push->isDefault())
                vista.padrao = box->standardButton(push);
        }
        vista.largura = box->width();
        QTest::keyClick(box, Qt::Key_Return);
        vista.enter = box->standardButton(box->clickedButton());
    });
}

} // namespace

class TestInteraction final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void realBoxes_data()
    {
        QTest::addColumn<Caixa>("caixa");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QMessageBox::Icon>("icone");
        QTest::addColumn<QMessageBox::StandardButtons>("botoes");
        QTest::addColumn<QMessageBox::StandardButton>("padrao");
        const QMessageBox::StandardButtons simNao = QMessageBox::Yes | QMessageBox::No;
        QTest::newRow("wrong password") << Caixa::Mensagem << u"Senha Incorreta!"_s << u"Cofrel 1.0"_s
                                        << QMessageBox::NoIcon << QMessageBox::StandardButtons(QMessageBox::Ok)
                                        << QMessageBox::Ok;
        QTest::newRow("invalid date") << Caixa::Mensagem << u"Data inválida"_s << u"Cofrel 1.0"_s << QMessageBox::NoIcon
                                      << QMessageBox::StandardButtons(QMessageBox::Ok) << QMessageBox::Ok;
        QTest::newRow("error") << Caixa::Erro << u"Falhou."_s << u"Cofrel 1.0"_s << QMessageBox::Critical
                               << QMessageBox::StandardButtons(QMessageBox::Ok) << QMessageBox::Ok;
        QTest::newRow("delete, no icon") << Caixa::Pergunta << u"Deseja realmente apagar este valor?"_s << u"Cofrel"_s
                                         << QMessageBox::NoIcon << simNao << QMessageBox::No;
        QTest::newRow("leave, question icon") << Caixa::PerguntaComIcone << u"Deseja realmente sair?"_s
                                              << u"Cofrel 1.0"_s << QMessageBox::Question << simNao << QMessageBox::No;
    }

    void realBoxes()
    {
        QFETCH(Caixa, caixa);
        QFETCH(QString, texto);
        QFETCH(QString, titulo);
        QFETCH(QMessageBox::Icon, icone);
        QFETCH(QMessageBox::StandardButtons, botoes);
        QFETCH(QMessageBox::StandardButton, padrao);

        DialogInteraction caixas;
        Vista vista;
        const auto responde = respondeComEnter(vista);
        bool sim = false;
        switch (caixa) {
        case Caixa::Mensagem:
            caixas.message(texto);
            break;
        case Caixa::Erro:
            caixas.error(texto, {});
            break;
        case Caixa::Pergunta:
        case Caixa::PerguntaComIcone:
            sim = caixas.question(texto, titulo,
                                  caixa == Caixa::Pergunta ? QuestionIcon::None : QuestionIcon::Question);
            break;
        }
        QCOMPARE(vista.texto, texto);
        QCOMPARE(vista.titulo, titulo);
        QCOMPARE(vista.icone, icone);
        QCOMPARE(vista.botoes, botoes);
        QCOMPARE(vista.padrao, padrao);
        QCOMPARE(vista.enter, padrao);
        QVERIFY(!sim); // Enter answers No
        // Room for the whole title in the bold title font, beside the window
        // manager's icon and buttons.
        QFont fonteTitulo = QFontDatabase::systemFont(QFontDatabase::TitleFont);
        fonteTitulo.setBold(true);
        QVERIFY2(vista.largura >= QFontMetrics(fonteTitulo).horizontalAdvance(titulo) + 100,
                 qPrintable(u"%1 px"_s.arg(vista.largura)));
    }
};

QTEST_MAIN(TestInteraction)
#include "test_interaction.moc"
