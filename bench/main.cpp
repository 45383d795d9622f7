// cofrel_bench: the figures of the program on large books.
//
//   cofrel_bench --livro <pasta do programa> --usuario U --senha S
//                --transacoes N [--repeticoes R] [--copias C] [--partidas P]
//                [--hoje dd/mm/aaaa] [--colagem sim] --saida <parte.json>
//       every figure on the ledger of user U in <pasta do programa>/dados
//       (made with cofrel_ledgergen), in this process; with --colagem sim,
//       only the paste of the copy by another program (on X, with xclip);
//   cofrel_bench --relatorio <resultado.json> <parte.json>...
//       the table and the targets over the parts;
//   cofrel_bench --partida <pasta do programa> | --base | --base-texto
//       one start-up of the program, or of a bare dialog, or of one with a
//       line of text (used by --livro).
//
// scripts/bench.sh runs the whole thing.

#include "cenarios.h"
#include "partida.h"
#include "relatorio.h"

#include "app/cofrel_uteis.h"

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QTextStream>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

int uso()
{
    QTextStream(stderr) << "uso: cofrel_bench --livro <pasta do programa> --usuario U --senha S --transacoes N "
                           "[--repeticoes R] [--copias C] [--partidas P] [--hoje dd/mm/aaaa] [--colagem sim] "
                           "--saida <parte.json>\n"
                           "     cofrel_bench --relatorio <resultado.json> <parte.json>...\n";
    return 2;
}

int medeUmLivro(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    cofrel::bench::OpcoesLivro o;
    QString saida;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        const QString &chave = args[i];
        const QString &valor = args[i + 1];
        if (chave == u"--livro"_s)
            o.pastaDoPrograma = valor;
        else if (chave == u"--usuario"_s)
            o.usuario = valor;
        else if (chave == u"--senha"_s)
            o.senha = valor;
        else if (chave == u"--transacoes"_s)
            o.transacoes = valor.toLongLong();
        else if (chave == u"--repeticoes"_s)
            o.repeticoes = qMax(1, valor.toInt());
        else if (chave == u"--copias"_s)
            o.repeticoesCopia = qMax(1, valor.toInt());
        else if (chave == u"--partidas"_s)
            o.repeticoesPartida = qMax(1, valor.toInt());
        else if (chave == u"--hoje"_s)
            o.hoje = cofrel::LeData(valor).value_or(QDate());
        else if (chave == u"--saida"_s)
            saida = valor;
        else if (chave == u"--colagem"_s)
            o.colagem = valor == u"sim"_s;
        else
            return uso();
    }
    if (o.pastaDoPrograma.isEmpty() || o.usuario.isEmpty() || saida.isEmpty())
        return uso();
    QTextStream(stderr) << "cofrel_bench: " << o.transacoes << " lançamentos em " << o.pastaDoPrograma << '\n';
    const QJsonObject resultado = cofrel::bench::medeLivro(o);
    QFile arquivo(saida);
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 2;
    arquivo.write(QJsonDocument(resultado).toJson());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2 && std::strcmp(argv[1], "--base") == 0)
        return cofrel::bench::executaBase(argc, argv, false);
    if (argc >= 2 && std::strcmp(argv[1], "--base-texto") == 0)
        return cofrel::bench::executaBase(argc, argv, true);
    if (argc >= 3 && std::strcmp(argv[1], "--partida") == 0)
        return cofrel::bench::executaPartida(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc >= 3 && std::strcmp(argv[1], "--relatorio") == 0) {
        QCoreApplication app(argc, argv);
        const QStringList args = QCoreApplication::arguments();
        return cofrel::bench::escreveRelatorio(args[2], args.mid(3));
    }
    if (argc >= 2 && std::strcmp(argv[1], "--livro") == 0)
        return medeUmLivro(argc, argv);
    return uso();
}
