// The background picture every window loads at creation: BMPs of every
// kind, a picture of another format under the same name, a damaged or
// missing file (reported once, naming it; the program is used without the
// picture), and a picture replaced on disk between two windows.
#include "accounts/cofrel_login.h"
#include "app/cofrel_app.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "app/montagem_janela.h"
#include "ledger/cofrel_main.h"
#include "support/scripted_interaction.h"
#include "support/test_folder.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QByteArray desenho(QColor cor, const char *formato)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(cor);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, formato);
    return bytes;
}

// An 8-bit BMP with a palette, as Qt writes an indexed picture.
QByteArray indexada()
{
    QImage image(40, 30, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    image.fill(1);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

struct FormaBmp {
    int largura = 5;
    int altura = 4;
    int bits = 24;
    quint32 compressao = 0;
    bool deCimaParaBaixo = false;
    quint32 tamanhoInfo = 40;
    int pixelsCortados = 0; // bytes missing at the end
};

void poe16(QByteArray &b, qsizetype em, quint16 v)
{
    b[em] = char(v & 0xff);
    b[em + 1] = char(v >> 8);
}

void poe32(QByteArray &b, qsizetype em, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[em + i] = char((v >> (8 * i)) & 0xff);
}

// A BMP written byte by byte, whose every pixel differs in each channel, so
// a swapped channel or row shows.
QByteArray bmp(const FormaBmp &f)
{
    const int porPixel = f.bits / 8;
    const int passo = (f.largura * porPixel + 3) & ~3;
    const qsizetype inicio = 14 + f.tamanhoInfo;
    QByteArray b(inicio + qsizetype(passo) * f.altura, '\0');
    b[0] = 'B';
    b[1] = 'M';
    poe32(b, 2, quint32(b.size()));
    poe32(b, 10, quint32(inicio));
    poe32(b, 14, f.tamanhoInfo);
    poe32(b, 18, quint32(f.largura));
    poe32(b, 22, quint32(f.deCimaParaBaixo ? -f.altura : f.altura));
    poe16(b, 26, 1);
    poe16(b, 28, quint16(f.bits));
    poe32(b, 30, f.compressao);
    poe32(b, 34, quint32(passo * f.altura));
    poe32(b, 38, 3780);
    poe32(b, 42, 2835);
    for (int linha = 0; linha < f.altura; ++linha) {
        for (int x = 0; x < f.largura; ++x) {
            const qsizetype em = inicio + qsizetype(linha) * passo + qsizetype(x) * porPixel;
            for (int c = 0; c < porPixel; ++c)
                b[em + c] = char((linha * 37 + x * 11 + c * 101 + 7) & 0xff);
        }
    }
    b.chop(f.pixelsCortados);
    return b;
}

} // namespace

class TestImagemFundo final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_pasta = std::make_unique<QTemporaryDir>();
        QVERIFY(m_pasta->isValid());
        cofrel::loginContext().AppDir = m_pasta->path() + u'/';
    }

    void loadsOrNamesTheFile_data()
    {
        QTest::addColumn<QByteArray>("conteudo");
        QTest::addColumn<QSize>("tamanho"); // 0 x 0: not loaded
        const QSize nenhum(0, 0);
        QTest::newRow("bmp") << desenho(Qt::red, "BMP") << QSize(40, 30);
        QTest::newRow("bmp 1 x 1") << bmp({.largura = 1, .altura = 1}) << QSize(1, 1);
        QTest::newRow("linhas com enchimento") << bmp({.largura = 5, .altura = 4}) << QSize(5, 4);
        QTest::newRow("de cima para baixo") << bmp({.largura = 5, .altura = 4, .deCimaParaBaixo = true}) << QSize(5, 4);
        QTest::newRow("cabeçalho V5") << bmp({.largura = 7, .altura = 3, .tamanhoInfo = 124}) << QSize(7, 3);
        QTest::newRow("bmp de 32 bits") << bmp({.largura = 40, .altura = 30, .bits = 32}) << QSize(40, 30);
        QTest::newRow("bmp de 8 bits") << indexada() << QSize(40, 30);
        QTest::newRow("png com nome bmp") << desenho(Qt::blue, "PNG") << QSize(40, 30);
        QTest::newRow("cabeçalho cortado") << desenho(Qt::red, "BMP").left(20) << nenhum;
        QTest::newRow("só o cabeçalho do arquivo") << bmp({}).left(14) << nenhum;
        QTest::newRow("largura zero") << bmp({.largura = 0}) << nenhum;
        QTest::newRow("lixo") << QByteArray("isto não é uma imagem") << nenhum;
        QTest::newRow("vazio") << QByteArray() << nenhum;
        QTest::newRow("ausente") << QByteArray() << nenhum;
    }

    void loadsOrNamesTheFile()
    {
        QFETCH(QByteArray, conteudo);
        QFETCH(QSize, tamanho);
        if (QString::fromLatin1(QTest::currentDataTag()) != u"ausente"_s)
            grava(conteudo);
        cofrel::test::ScriptedInteraction interacao;
        QWidget janela;
        janela.resize(40, 30);
        const QLabel *imagem = cofrel::criaImagemFundo(&janela);
        QVERIFY(imagem);
        QCOMPARE(imagem->pixmap().size(), tamanho);
        if (!tamanho.isEmpty()) {
            QVERIFY(interacao.errors.isEmpty());
            return;
        }
        QCOMPARE(interacao.errors.size(), 1);
        QVERIFY2(interacao.errors[0].contains(arquivo()), qPrintable(interacao.errors[0]));
    }

    void replacedPictureIsReadAgain()
    {
        grava(desenho(Qt::red, "BMP"));
        QWidget primeira;
        primeira.resize(40, 30);
        const QLabel *vermelha = cofrel::criaImagemFundo(&primeira);
        QCOMPARE(vermelha->pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));

        // Same size, another picture. Its time is set forward: two writes
        // within one tick of the file system's clock may share a time stamp.
        const QDateTime antes = QFileInfo(arquivo()).lastModified();
        grava(desenho(Qt::green, "BMP"));
        QFile file(arquivo());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(antes.addSecs(2), QFileDevice::FileModificationTime));
        file.close();
        QWidget segunda;
        segunda.resize(40, 30);
        const QLabel *verde = cofrel::criaImagemFundo(&segunda);
        QCOMPARE(verde->pixmap().toImage().pixelColor(5, 5), QColor(Qt::green));
        // The first window keeps what it showed.
        QCOMPARE(vermelha->pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));
    }

    void programWorksWithoutPicture_data()
    {
        QTest::addColumn<QByteArray>("conteudo");
        QTest::newRow("ausente") << QByteArray();
        QTest::newRow("lixo") << QByteArray("isto não é uma imagem");
    }

    // Start-up makes its seven windows without the picture, says so once, and
    // the login and the main window work.
    void programWorksWithoutPicture()
    {
        QFETCH(QByteArray, conteudo);
        cofrel::test::TestFolder pasta;
        const int ana = pasta.addUser(u"Ana"_s, u"segredo"_s);
        const QString fundo = pasta.appDir() + u"fundo.bmp"_s;
        QVERIFY(QFile::remove(fundo));
        if (!conteudo.isEmpty()) {
            QFile file(fundo);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(conteudo);
        }
        cofrel::test::ScriptedInteraction interacao;
        QVERIFY(cofrel::guarded([] { cofrel::createForms(); }));
        const auto fim = qScopeGuard([] { cofrel::destroyForms(); });
        QCOMPARE(interacao.errors.size(), 1);
        QVERIFY2(interacao.errors[0].contains(fundo), qPrintable(interacao.errors[0]));

        TformCofrelLogin &login = *cofrel::forms().CofrelLogin;
        login.show();
        QCOMPARE(login.comboUsuario->currentText(), u"Ana"_s);
        login.editSenha->setText(u"segredo"_s);
        login.setResult(0);
        QVERIFY(cofrel::guarded([&] { login.buttonIniciarClick(); }));
        QCOMPARE(login.result(), cofrel::mrOk);
        QCOMPARE(cofrel::loginContext().UserNumber, ana);

        TformCofrelMain &principal = *cofrel::forms().CofrelMain;
        principal.show();
        QVERIFY(QTest::qWaitForWindowExposed(&principal));
        QVERIFY(principal.Image1->pixmap().isNull());
        principal.hide();
        QCOMPARE(interacao.errors.size(), 1);
        QVERIFY(interacao.messages.isEmpty());
    }

private:
    QString arquivo() const { return QDir(m_pasta->path()).filePath(u"fundo.bmp"_s); }

    void grava(const QByteArray &conteudo)
    {
        QFile file(arquivo());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(conteudo), conteudo.size());
    }

    std::unique_ptr<QTemporaryDir> m_pasta;
};

QTEST_MAIN(TestImagemFundo)
#include "test_imagem_fundo.moc"
