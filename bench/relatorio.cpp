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
#include <map>

namespace cofrel::bench {

using namespace Qt::StringLiterals;

namespace {

struct Linha {
    const char16_t *chave;
    const char16_t *nome;
    const char16_t *unidade;
    double limiteEm100Mil; // < 0: none of its own
};

constexpr Linha Linhas[] = {
    {u"a", u"(a) partida até o login", u"ms", -1},
    {u"a_base", u"    diálogo vazio", u"ms", -1},
    {u"a_base_texto", u"    base: diálogo com texto", u"ms", -1},
    {u"b", u"(b) login até a janela", u"ms", 50},
    {u"c", u"(c) troca de período", u"ms", 10},
    {u"d", u"(d) atualização do gráfico", u"ms", 20},
    {u"e", u"(e) inclusão de lançamento", u"ms", 50},
    {u"f", u"(f) verificação, 50 planejados", u"ms", 5},
    {u"g", u"(g) cópia do extrato Completo", u"ms", -1},
    {u"h", u"(h) pico de memória após (b)", u"MB", -1},
    {u"i_copia", u"(i) cópia do Completo, sob X", u"ms", -1},
    {u"i_relatorio", u"    tamanho do relatório", u"MB", -1},
    {u"i", u"    pico ao colar, além de antes", u"MB", -1},
    {u"j", u"(j) Ctrl+End no Completo", u"ms", -1},
    {u"k", u"(k) rolagem ao meio do Completo", u"ms", -1},
};

// The jumps on "Completo" land at once, at every size: within a frame.
constexpr const char16_t *Saltos[] = {u"j", u"k"};
constexpr double MaximoSaltoMs = 16.0;

constexpr double MaximoPartidaSobreBase = 1.5;
constexpr double MaximoCrescimento = 10.0;
constexpr double MaximoMemoriaEm1MilhaoMb = 150.0;
constexpr double MaximoCopiaEm1MilhaoMs = 500.0;
constexpr double MaximoLoginEm1MilhaoMs = 100.0;
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

    // The table: median [minimum - maximum] per ledger size.
    constexpr int LarguraNome = 34;
    constexpr int LarguraColuna = 27;
    out << QString(u"Figura"_s).leftJustified(LarguraNome);
    for (const Livro &l : livros)
        out << QString(tamanho(l.transacoes) + u" lançamentos"_s).leftJustified(LarguraColuna);
    out << "\n";
    for (const Linha &linha : Linhas) {
        out << QString(QString::fromUtf16(linha.nome) + u" ("_s + QString::fromUtf16(linha.unidade) + u')')
                   .leftJustified(LarguraNome);
        for (const Livro &l : livros) {
            const Amostras a = l.figura(QString::fromUtf16(linha.chave));
            QString celula = a.vazia() ? u"-"_s
                                       : numero(a.mediana()) + u" ["_s + numero(a.minimo()) + u" – "_s
                                             + numero(a.maximo()) + u']';
            if (!l.erros(QString::fromUtf16(linha.chave)).isEmpty())
                celula += u" (!)"_s;
            out << celula.leftJustified(LarguraColuna);
        }
        out << "\n";
    }
    out << "mediana [mínimo – máximo] do tempo de relógio; (!) a figura teve erros (ver o JSON)\n";
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

    // The targets.
    QJsonArray metas;
    bool todas = true;
    const auto meta = [&](const QString &descricao, double valor, double limite, bool ok) {
        todas = todas && ok;
        metas.append(QJsonObject{{u"meta"_s, descricao}, {u"valor"_s, valor}, {u"limite"_s, limite}, {u"ok"_s, ok}});
        out << (ok ? "  ok     " : "  FALHOU ") << descricao << ": " << numero(valor) << " (limite " << numero(limite)
            << ")\n";
    };
    const Livro *cem = nullptr;
    const Livro *milhao = nullptr;
    for (const Livro &l : livros) {
        if (l.transacoes == 100000)
            cem = &l;
        if (l.transacoes == 1000000)
            milhao = &l;
    }
    out << "Metas (medianas):\n";
    // (a) against the same dialog with a line of text: any window with
    // words pays the font system's first use, which the bare one does not.
    for (const Livro &l : livros) {
        const double partida = l.figura(u"a"_s).mediana();
        const double baseComTexto = l.figura(u"a_base_texto"_s).mediana();
        if (baseComTexto > 0)
            meta(u"(a) partida / diálogo com texto, %1 lançamentos"_s.arg(tamanho(l.transacoes)),
                 partida / baseComTexto, MaximoPartidaSobreBase, partida / baseComTexto <= MaximoPartidaSobreBase);
        const double base = l.figura(u"a_base"_s).mediana();
        if (base > 0)
            out << "  (info) partida / diálogo vazio, " << tamanho(l.transacoes) << " lançamentos: "
                << numero(partida / base) << "\n";
    }
    for (const Livro &l : livros) {
        for (const char16_t *chave : Saltos) {
            const Amostras a = l.figura(QString::fromUtf16(chave));
            if (a.vazia())
                continue;
            QString nome;
            for (const Linha &linha : Linhas)
                if (QString::fromUtf16(linha.chave) == QString::fromUtf16(chave))
                    nome = QString::fromUtf16(linha.nome);
            meta(nome + u", %1 lançamentos (ms)"_s.arg(tamanho(l.transacoes)), a.mediana(), MaximoSaltoMs,
                 a.mediana() < MaximoSaltoMs);
        }
    }
    if (cem) {
        for (const Linha &linha : Linhas) {
            if (linha.limiteEm100Mil < 0)
                continue;
            const double v = cem->figura(QString::fromUtf16(linha.chave)).mediana();
            meta(QString::fromUtf16(linha.nome).trimmed() + u", 100.000 lançamentos (ms)"_s, v, linha.limiteEm100Mil,
                 v < linha.limiteEm100Mil);
        }
    }
    if (cem && milhao) {
        for (const Linha &linha : Linhas) {
            const QString chave = QString::fromUtf16(linha.chave);
            if (chave.startsWith(u'i'))
                continue; // (i) has a target of its own, in proportion to the report
            const double de = cem->figura(chave).mediana();
            const double para = milhao->figura(chave).mediana();
            if (de > 0)
                meta(QString::fromUtf16(linha.nome).trimmed() + u": crescimento de 100.000 a 1.000.000 (vezes)"_s,
                     para / de, MaximoCrescimento, para / de <= MaximoCrescimento);
        }
        // The first copy of each book starts with no memory of an earlier
        // one; later copies of the smaller book reuse what the allocator
        // kept (blocks of more than 32 MB are always returned to the system).
        const Amostras copiasDe = cem->figura(u"g"_s);
        const Amostras copiasPara = milhao->figura(u"g"_s);
        if (!copiasDe.vazia() && !copiasPara.vazia() && copiasDe.valores.front() > 0)
            out << "  (info) (g) primeira cópia de cada livro: crescimento de 100.000 a 1.000.000 (vezes): "
                << numero(copiasPara.valores.front() / copiasDe.valores.front()) << "\n";
        const Amostras login = milhao->figura(u"b"_s);
        meta(u"(b) login, 1.000.000 lançamentos (ms; de %1 a %2)"_s.arg(numero(login.minimo()), numero(login.maximo())),
             login.mediana(), MaximoLoginEm1MilhaoMs, login.mediana() < MaximoLoginEm1MilhaoMs);
        const double copia = milhao->figura(u"g"_s).mediana();
        meta(u"(g) cópia do extrato Completo, 1.000.000 lançamentos (ms)"_s, copia, MaximoCopiaEm1MilhaoMs,
             copia < MaximoCopiaEm1MilhaoMs);
        const double memoria = milhao->figura(u"h"_s).mediana();
        meta(u"(h) pico de memória, 1.000.000 lançamentos (MB)"_s, memoria, MaximoMemoriaEm1MilhaoMb,
             memoria < MaximoMemoriaEm1MilhaoMb);
    }
    for (const Livro &l : livros) {
        const Amostras colagem = l.figura(u"i"_s);
        const Amostras relatorio = l.figura(u"i_relatorio"_s);
        if (colagem.vazia() || relatorio.vazia())
            continue;
        const double limite = relatorio.maximo() + MaximoColagemAlemDoRelatorioMb;
        meta(u"(i) pico ao colar acima de antes da cópia, %1 lançamentos (MB; relatório de %2 MB + %3)"_s
                 .arg(tamanho(l.transacoes), numero(relatorio.maximo()), numero(MaximoColagemAlemDoRelatorioMb)),
             colagem.mediana(), limite, colagem.mediana() <= limite);
    }
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
