// Sample bank statements for trying the import and for measuring it, made
// up from a seed (never real bank data): the four kinds of
// tools/extratos_exemplo.h, and with --linhas N an OFX of N transactions.
//
//   cofrel_extratogen <pasta> [--seed S] [--linhas N]
//
// writes extrato-sgml.ofx, extrato-xml.ofx, extrato-saldos.ofx,
// extrato.csv and, with --linhas, extrato-<N>.ofx into <pasta>.

#include "extratos_exemplo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdlib>

using namespace Qt::StringLiterals;
using namespace cofrel::exemplo;

namespace {

[[noreturn]] void uso(const QString &motivo)
{
    QTextStream(stderr) << "cofrel_extratogen: " << motivo << "\n"
                        << "uso: cofrel_extratogen <pasta> [--seed S] [--linhas N]\n";
    std::exit(2);
}

void grava(const QDir &pasta, const QString &nome, const QByteArray &bytes)
{
    QFile arquivo(pasta.filePath(nome));
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate) || arquivo.write(bytes) != bytes.size()
        || !arquivo.flush())
        uso(u"não foi possível gravar "_s + arquivo.fileName() + u": " + arquivo.errorString());
    QTextStream(stdout) << arquivo.fileName() << "\n";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString pasta;
    std::uint64_t semente = 1;
    int linhas = 0;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--seed"_s || a == u"--linhas"_s) {
            if (i + 1 >= args.size())
                uso(u"falta o valor de "_s + a);
            bool ok = false;
            if (a == u"--seed"_s)
                semente = args[++i].toULongLong(&ok);
            else
                linhas = args[++i].toInt(&ok);
            if (!ok || linhas < 0 || linhas > cofrel::MaximoLinhasExtrato)
                uso(u"valor inválido para "_s + a);
        } else if (pasta.isEmpty() && !a.startsWith(u'-')) {
            pasta = a;
        } else {
            uso(u"argumento inesperado: "_s + a);
        }
    }
    if (pasta.isEmpty())
        uso(u"falta a pasta"_s);
    const QDir dir(pasta);
    if (!dir.mkpath(u"."_s))
        uso(u"não foi possível criar a pasta "_s + pasta);

    grava(dir, u"extrato-sgml.ofx"_s, ofxSgml(semente).bytes);
    grava(dir, u"extrato-xml.ofx"_s, ofxXml(semente).bytes);
    grava(dir, u"extrato-saldos.ofx"_s, ofxSaldos(semente).bytes);
    grava(dir, u"extrato.csv"_s, csvPontoEVirgula(semente).bytes);
    if (linhas > 0)
        grava(dir, u"extrato-%1.ofx"_s.arg(linhas), ofxSgml(semente, linhas).bytes);
    return 0;
}
