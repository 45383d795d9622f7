#include "relatorio.h"

#include "amostras.h"

#include "app/clock.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <optional>

namespace cofrel::bench {

using namespace Qt::StringLiterals;

namespace {

// The targets. The design scale is 100,000 transactions: a book up to
// that size meets the first set. A larger one must stay usable: the second.
constexpr qint64 EscalaDoProjeto = 100000;

struct Linha {
    const char16_t *chave;
    const char16_t *nome;
    const char16_t *unidade;
    double limiteAteEscala; // < 0: none
    double limiteAcima;     // < 0: none
};

// (a) is set against the dialog with a line of text up to the design
// scale, in milliseconds above it; (i) against the report's size.
constexpr Linha Linhas[] = {
    {u"a", u"(a) partida até o login", u"ms", -1, 1000},
    {u"a_base", u"    diálogo vazio", u"ms", -1, -1},
    {u"a_base_texto", u"    diálogo com texto", u"ms", -1, -1},
    {u"b", u"(b) login até a janela", u"ms", 50, 1000},
    {u"c", u"(c) troca de período", u"ms", 10, 1000},
    {u"d", u"(d) atualização do gráfico", u"ms", 20, 1000},
    {u"e", u"(e) inclusão de lançamento", u"ms", 50, 1000},
    {u"f", u"(f) verificação, 50 planejados", u"ms", 5, 1000},
    {u"g", u"(g) cópia do extrato Completo", u"ms", 500, 5000},
    {u"h", u"(h) pico de memória após (b)", u"MB", 80, 200},
    {u"i_copia", u"(i) cópia do Completo, sob X", u"ms", 500, 5000},
    {u"i_relatorio", u"    tamanho do relatório", u"MB", -1, -1},
    {u"i", u"    pico ao colar, além de antes", u"MB", -1, -1},
    {u"j", u"(j) Ctrl+End no Completo", u"ms", 16, 1000},
    {u"k", u"(k) rolagem ao meio do Completo", u"ms", 16, 1000},
    {u"l", u"(l) revisão de extrato, 10.000 linhas", u"ms", 500, 1000},
    {u"m", u"(m) gravação dessas 10.000 linhas", u"ms", 1000, 1000},
};

constexpr double MaximoPartidaSobreBase = 1.5;
// Serving a paste may cost the report itself and this much more.
constexpr double MaximoColagemAlemDoRelatorioMb = 64.0;

QString numero(double v)
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(v, 'f', v < 10 ? 2 : 1);
}

QString tamanho(qint64 n)
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(n);
}

struct Livro {
    qint64 transacoes = 0;
    QJsonObject dados;
    Amostras figura(const QString &chave) const
    {
        return Amostras::deJson(dados.value(u"figuras"_s).toObject().value(chave).toObject());
    }
    QStringList erros(const QString &chave) const
    {
        QStringList lista;
        for (const QJsonValue &v : dados.value(u"figuras"_s).toObject().value(chave).toObject().value(u"erros"_s).toArray())
            lista << v.toString();
        return lista;
    }
};

} // namespace

int escreveRelatorio(const QString &saida, const QStringList &partes)
{
    QTextStream out(stdout);
    std::vector<Livro> livros;
    for (const QString &parte : partes) {
        QFile arquivo(parte);
        if (!arquivo.open(QIODevice::ReadOnly)) {
            QTextStream(stderr) << "cofrel_bench: não foi possível ler " << parte << '\n';
            return 2;
        }
        Livro l;
        l.dados = QJsonDocument::fromJson(arquivo.readAll()).object();
        l.transacoes = qint64(l.dados.value(u"transacoes"_s).toDouble());
        // A second part of the same book (the paste, measured on X) adds
        // its figures to the first.
        const auto mesmo = std::find_if(livros.begin(), livros.end(),
                                        [&](const Livro &x) { return x.transacoes == l.transacoes; });
        if (mesmo == livros.end()) {
            livros.push_back(l);
            continue;
        }
        QJsonObject figuras = mesmo->dados.value(u"figuras"_s).toObject();
        const QJsonObject novas = l.dados.value(u"figuras"_s).toObject();
        for (auto it = novas.begin(); it != novas.end(); ++it)
            figuras.insert(it.key(), it.value());
        mesmo->dados.insert(u"figuras"_s, figuras);
    }
    std::sort(livros.begin(), livros.end(), [](const Livro &x, const Livro &y) { return x.transacoes < y.transacoes; });

    // Each figure's target on one book, and whether its median meets it:
    // nullopt where the figure has none.
    struct Meta {
        double limite;
        double valor; // what is compared: the median, or (a)'s ratio
        QString texto; // as printed beside the figure
        bool ok;
    };
    const auto metaDe = [](const Livro &l, const Linha &linha) -> std::optional<Meta> {
        const QString chave = QString::fromUtf16(linha.chave);
        const Amostras a = l.figura(chave);
        if (a.vazia())
            return std::nullopt;
        const bool ateEscala = l.transacoes <= EscalaDoProjeto;
        if (chave == u"a"_s && ateEscala) {
            const double base = l.figura(u"a_base_texto"_s).mediana();
            if (base <= 0)
                return std::nullopt;
            const double razao = a.mediana() / base;
            return Meta{MaximoPartidaSobreBase, razao,
                        u"%1× ≤ %2×"_s.arg(numero(razao), numero(MaximoPartidaSobreBase)),
                        razao <= MaximoPartidaSobreBase};
        }
        if (chave == u"i"_s) {
            const Amostras relatorio = l.figura(u"i_relatorio"_s);
            if (relatorio.vazia())
                return std::nullopt;
            const double limite = relatorio.maximo() + MaximoColagemAlemDoRelatorioMb;
            return Meta{limite, a.mediana(), u"≤ %1"_s.arg(numero(limite)), a.mediana() <= limite};
        }
        const double limite = ateEscala ? linha.limiteAteEscala : linha.limiteAcima;
        if (limite < 0)
            return std::nullopt;
        return Meta{limite, a.mediana(), u"< %1"_s.arg(numero(limite)), a.mediana() < limite};
    };

    // The table: median [minimum - maximum] per ledger size, its target
    // beside it.
    constexpr int LarguraNome = 38;
    constexpr int LarguraColuna = 40;
    out << QString(u"Figura"_s).leftJustified(LarguraNome);
    for (const Livro &l : livros)
        out << QString(tamanho(l.transacoes) + u" lançamentos"_s).leftJustified(LarguraColuna);
    out << "\n";
    QJsonArray metas;
    QStringList naoAtendidas;
    // The hourglass during the copy of "Completo", required above the
    // design scale, where the copy takes seconds.
    const auto linhaDaAmpulheta = [&] {
        out << QString(u"    ampulheta durante (g)"_s).leftJustified(LarguraNome);
        for (const Livro &l : livros) {
            const QJsonValue ampulheta =
                l.dados.value(u"figuras"_s).toObject().value(u"g"_s).toObject().value(u"ampulheta"_s);
            QString celula = ampulheta.isUndefined() ? u"-"_s : ampulheta.toBool() ? u"sim"_s : u"não"_s;
            if (!ampulheta.isUndefined() && l.transacoes > EscalaDoProjeto) {
                const bool ok = ampulheta.toBool();
                celula += ok ? u"  exigida ok"_s : u"  exigida NÃO"_s;
                metas.append(QJsonObject{{u"figura"_s, u"ampulheta"_s},
                                         {u"transacoes"_s, double(l.transacoes)},
                                         {u"ok"_s, ok}});
                if (!ok)
                    naoAtendidas << u"ampulheta durante a cópia do Completo, "_s + tamanho(l.transacoes) + u": não"_s;
            }
            out << celula.leftJustified(LarguraColuna);
        }
        out << "\n";
    };
    for (const Linha &linha : Linhas) {
        const QString nome = QString::fromUtf16(linha.nome);
        out << QString(nome + u" ("_s + QString::fromUtf16(linha.unidade) + u')').leftJustified(LarguraNome);
        for (const Livro &l : livros) {
            const Amostras a = l.figura(QString::fromUtf16(linha.chave));
            QString celula = a.vazia() ? u"-"_s
                                       : numero(a.mediana()) + u" ["_s + numero(a.minimo()) + u"–"_s
                                             + numero(a.maximo()) + u']';
            if (const std::optional<Meta> m = metaDe(l, linha)) {
                celula += u"  "_s + m->texto + (m->ok ? u" ok"_s : u" NÃO"_s);
                metas.append(QJsonObject{{u"figura"_s, QString::fromUtf16(linha.chave)},
                                         {u"transacoes"_s, double(l.transacoes)},
                                         {u"valor"_s, m->valor},
                                         {u"limite"_s, m->limite},
                                         {u"ok"_s, m->ok}});
                if (!m->ok)
                    naoAtendidas << nome.trimmed() + u", "_s + tamanho(l.transacoes) + u": "_s + numero(m->valor)
                                        + u" (meta "_s + m->texto + u')';
            }
            if (!l.erros(QString::fromUtf16(linha.chave)).isEmpty())
                celula += u" (!)"_s;
            out << celula.leftJustified(LarguraColuna);
        }
        out << "\n";
        if (QString::fromUtf16(linha.chave) == u"g"_s)
            linhaDaAmpulheta();
    }
    out << "mediana [mínimo–máximo] do tempo de relógio, e a meta da mediana; (!) a figura teve erros (ver o JSON)\n";
    out << "(a) até 100.000 lançamentos: razão sobre o diálogo com texto; (i): o relatório + "
        << numero(MaximoColagemAlemDoRelatorioMb) << " MB\n";
    out << "Tempo de CPU do processo no mesmo trecho, mediana (ms), menos sensível à carga da máquina:\n";
    for (const Linha &linha : Linhas) {
        if (QString::fromUtf16(linha.unidade) != u"ms"_s)
            continue;
        out << QString(u"  "_s + QString::fromUtf16(linha.nome).trimmed()).leftJustified(LarguraNome);
        for (const Livro &l : livros) {
            const Amostras a = l.figura(QString::fromUtf16(linha.chave));
            out << (a.cpu.empty() ? u"-"_s : numero(a.medianaCpu())).leftJustified(LarguraColuna);
        }
        out << "\n";
    }
    out << "  (em (a), do exec do processo à janela desenhada, carga das bibliotecas incluída)\n\n";

    bool todas = naoAtendidas.isEmpty();
    for (const QString &falta : std::as_const(naoAtendidas))
        out << "  NÃO ATENDIDA  " << falta << "\n";
    for (const Livro &l : livros) {
        for (const Linha &linha : Linhas) {
            const QStringList erros = l.erros(QString::fromUtf16(linha.chave));
            if (!erros.isEmpty()) {
                todas = false;
                out << "  ERROS  " << QString::fromUtf16(linha.nome).trimmed() << ", " << tamanho(l.transacoes)
                    << ": " << erros.join(u"; "_s) << "\n";
            }
        }
    }
    double cargaMaxima = 0;
    for (const Livro &l : livros)
        cargaMaxima = std::max({cargaMaxima, l.dados.value(u"cargaInicial"_s).toDouble(),
                                l.dados.value(u"cargaFinal"_s).toDouble()});
    out << "\nCarga da máquina (média de 1 min) durante a medição: até " << numero(cargaMaxima) << " em "
        << QThread::idealThreadCount() << " núcleos.\n";
    out << (todas ? "Todas as metas atendidas.\n" : "Há metas não atendidas.\n");

    QJsonArray todosOsLivros;
    for (const Livro &l : livros)
        todosOsLivros.append(l.dados);
    const QJsonObject resultado{{u"quando"_s, cofrel::clock::now().toString(Qt::ISODate)},
                                {u"nucleos"_s, QThread::idealThreadCount()},
                                {u"cargaMaxima"_s, cargaMaxima},
                                {u"livros"_s, todosOsLivros},
                                {u"metas"_s, metas},
                                {u"todasAtendidas"_s, todas}};
    QFile arquivo(saida);
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QTextStream(stderr) << "cofrel_bench: não foi possível gravar " << saida << '\n';
        return 2;
    }
    arquivo.write(QJsonDocument(resultado).toJson());
    out << "Resultados em " << saida << "\n";
    return todas ? 0 : 1;
}

} // namespace cofrel::bench
