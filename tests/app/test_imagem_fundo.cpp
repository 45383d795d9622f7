// The background picture every window loads at creation: a BMP, a picture
// of another format under the same name, a damaged or missing file (an
// error naming it), and a picture replaced on disk between two windows; and
// the one-pass decoder of the plain BMP, held to what Qt's reader makes of
// the same bytes.
#include "app/bmp_direto.h"
#include "app/errors.h"
#include "app/login_context.h"
#include "app/window_setup.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

class TestImagemFundo final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void loadsOrNamesTheFile_data();
    void loadsOrNamesTheFile();
    void replacedPictureIsReadAgain();
    void plainBmpDecodesAsQtDoes_data();
    void plainBmpDecodesAsQtDoes();
    void otherKindsAreLeftToQt_data();
    void otherKindsAreLeftToQt();

private:
    QString arquivo() const { return QDir(m_pasta->path()).filePath(u"fundo.bmp"_s); }
    void grava(const QByteArray &conteudo);

    std::unique_ptr<QTemporaryDir> m_pasta;
};

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

QImage peloQt(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "bmp").read();
}

} // namespace

void TestImagemFundo::init()
{
    m_pasta = std::make_unique<QTemporaryDir>();
    QVERIFY(m_pasta->isValid());
    cofrel::loginContext().AppDir = m_pasta->path() + u'/';
}

void TestImagemFundo::grava(const QByteArray &conteudo)
{
    QFile file(arquivo());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(conteudo), conteudo.size());
}

void TestImagemFundo::loadsOrNamesTheFile_data()
{
    QTest::addColumn<QByteArray>("conteudo");
    QTest::addColumn<bool>("carrega");
    QTest::newRow("bmp") << desenho(Qt::red, "BMP") << true;
    QTest::newRow("bmp de 32 bits") << bmp({.largura = 40, .altura = 30, .bits = 32}) << true;
    QTest::newRow("bmp de 8 bits") << indexada() << true;
    QTest::newRow("png com nome bmp") << desenho(Qt::blue, "PNG") << true;
    QTest::newRow("cabeçalho cortado") << desenho(Qt::red, "BMP").left(20) << false;
    QTest::newRow("lixo") << QByteArray("isto não é uma imagem") << false;
    QTest::newRow("vazio") << QByteArray() << false;
    QTest::newRow("ausente") << QByteArray() << false;
}

void TestImagemFundo::loadsOrNamesTheFile()
{
    QFETCH(QByteArray, conteudo);
    QFETCH(bool, carrega);
    if (QString::fromLatin1(QTest::currentDataTag()) != u"ausente"_s)
        grava(conteudo);
    QWidget janela;
    janela.resize(40, 30);
    if (carrega) {
        const QLabel *imagem = cofrel::criaImagemFundo(&janela);
        QCOMPARE(imagem->pixmap().size(), QSize(40, 30));
        return;
    }
    try {
        cofrel::criaImagemFundo(&janela);
        QFAIL("a picture that cannot be read was accepted");
    } catch (const cofrel::Error &e) {
        QVERIFY2(e.message().contains(arquivo()), qPrintable(e.message()));
    }
}

void TestImagemFundo::replacedPictureIsReadAgain()
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

void TestImagemFundo::plainBmpDecodesAsQtDoes_data()
{
    QTest::addColumn<QByteArray>("arquivo");
    QTest::newRow("1 x 1") << bmp({.largura = 1, .altura = 1});
    QTest::newRow("linhas com 2 bytes de enchimento") << bmp({.largura = 2, .altura = 3});
    QTest::newRow("linhas com 3 bytes de enchimento") << bmp({.largura = 3, .altura = 2});
    QTest::newRow("linhas com 1 byte de enchimento") << bmp({.largura = 5, .altura = 4});
    QTest::newRow("linhas sem enchimento") << bmp({.largura = 4, .altura = 6});
    QTest::newRow("de cima para baixo") << bmp({.largura = 5, .altura = 4, .deCimaParaBaixo = true});
    QTest::newRow("cabeçalho V5") << bmp({.largura = 7, .altura = 3, .tamanhoInfo = 124});
    QTest::newRow("escrito pelo Qt") << desenho(QColor(12, 200, 99), "BMP");
}

void TestImagemFundo::plainBmpDecodesAsQtDoes()
{
    QFETCH(QByteArray, arquivo);
    const QImage qt = peloQt(arquivo);
    QVERIFY(!qt.isNull());
    const QImage direto = cofrel::decodificaBmp24(arquivo);
    QVERIFY(!direto.isNull());
    QCOMPARE(direto.format(), qt.format());
    QCOMPARE(direto.size(), qt.size());
    QCOMPARE(direto.dotsPerMeterX(), qt.dotsPerMeterX());
    QCOMPARE(direto.dotsPerMeterY(), qt.dotsPerMeterY());
    for (int y = 0; y < qt.height(); ++y) {
        for (int x = 0; x < qt.width(); ++x)
            QCOMPARE(direto.pixel(x, y), qt.pixel(x, y));
    }
}

void TestImagemFundo::otherKindsAreLeftToQt_data()
{
    QTest::addColumn<QByteArray>("arquivo");
    QTest::newRow("32 bits") << bmp({.bits = 32});
    QTest::newRow("8 bits") << indexada();
    QTest::newRow("comprimido") << bmp({.compressao = 1});
    QTest::newRow("campos de bits") << bmp({.compressao = 3});
    QTest::newRow("cabeçalho OS/2") << bmp({.tamanhoInfo = 12});
    QTest::newRow("cabeçalho desconhecido") << bmp({.tamanhoInfo = 200});
    QTest::newRow("pixels cortados") << bmp({.pixelsCortados = 1});
    QTest::newRow("largura zero") << bmp({.largura = 0});
    QTest::newRow("altura zero") << bmp({.altura = 0});
    QTest::newRow("largura enorme") << bmp({.largura = 40000, .altura = 1});
    QByteArray pixelsNoCabecalho = bmp({});
    poe32(pixelsNoCabecalho, 10, 20);
    QTest::newRow("pixels dentro do cabeçalho") << pixelsNoCabecalho;
    QByteArray semAssinatura = bmp({});
    semAssinatura[0] = 'X';
    QTest::newRow("sem a assinatura BM") << semAssinatura;
    QTest::newRow("só o cabeçalho do arquivo") << bmp({}).left(14);
    QTest::newRow("vazio") << QByteArray();
}

void TestImagemFundo::otherKindsAreLeftToQt()
{
    QFETCH(QByteArray, arquivo);
    QVERIFY(cofrel::decodificaBmp24(arquivo).isNull());
}

QTEST_MAIN(TestImagemFundo)
#include "test_imagem_fundo.moc"
