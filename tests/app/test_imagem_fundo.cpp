// The background picture every window loads at creation: a BMP, a picture
// of another format under the same name, a damaged or missing file (an
// error naming it), and a picture replaced on disk between two windows.
#include "app/errors.h"
#include "app/login_context.h"
#include "app/window_setup.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
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

QTEST_MAIN(TestImagemFundo)
#include "test_imagem_fundo.moc"
