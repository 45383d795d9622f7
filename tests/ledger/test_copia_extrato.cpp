// "&Copiar": the statement report's exact text for every period, one pass
// over the statement's rows; the clipboard's plain text and HTML; a copy
// that fails half way; the chart's picture from the chart tab.
#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/login_context.h"
#include "app/montagem_janela.h"
#include "controls/GradBtn.h"
#include "controls/cores.h"
#include "controls/data_grid.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/models.h"
#include "data/queries.h"
#include "ledger/caixa_relatorio.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "ledger/cofrel_main_abas.h"
#include "ledger/copia_extrato.h"
#include "ledger/grafico_pizza.h"
#include "ledger/painel_grafico.h"
#include "support/livro.h"
#include "support/tabelas.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QSvgRenderer>
#include <QTabBar>
#include <QTextDocument>
#include <QXmlStreamReader>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;
using namespace cofrel;
using namespace cofrel::test;

namespace {

const QDate Hoje(2025, 3, 10);
const QString Fim = u"\n"_s;

// Sets a column of every row in the table's file itself, to a value of
// any kind, as another program could (a description past the field's
// length, say).
void gravaDireto(Livro &livro, const QString &atribuicao, const QVariant &valor)
{
    const OutraConexao arquivo(livro.arquivoFin());
    QVERIFY2(arquivo.falha().isEmpty(), qPrintable(arquivo.falha()));
    QSqlQuery q = arquivo.query();
    QVERIFY(q.prepare(u"UPDATE fin SET "_s + atribuicao));
    q.addBindValue(valor);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
}

// The statement as the statement tab opens it: from \a diasAtras days
// back, or whole.
data::StatementQuery &abreExtrato(Livro &livro, std::optional<int> diasAtras)
{
    data::StatementQuery &q = livro.dados->Query;
    q.open(loginContext().FinTableName, diasAtras ? Hoje.addDays(-*diasAtras) : QDate());
    return q;
}

QString cabecalho()
{
    return u"Data:"_s + QString(7, u' ') + u"Descrição:"_s + QString(92, u' ') + u"Valor:"_s;
}

// A row line built from its parts, with the padding the test names.
QString linhaDe(const QDate &data, const QString &descricao, int espacos, const QString &valor)
{
    return FormatData(data) + u"  "_s + descricao + QString(espacos, u' ') + valor;
}

// The report as a person reads it.
QString relatorio(data::StatementQuery &extrato, const QString &caption, const QString &saldo)
{
    QByteArray report;
    montaRelatorioExtrato(report, extrato, caption, saldo);
    return QString::fromUtf8(report);
}

// Overwrites a leaf page of the user's ledger half way through its rows
// with garbage, as a failing disk would, and counts the change in the
// file's header as any writer does, so that no connection trusts what it
// read before. False (with a skip) when this SQLite cannot list pages.
bool danificaAMetade(Livro &livro)
{
    qint64 pagina = 0;
    qint64 tamanho = 0;
    {
        const OutraConexao arquivo(livro.arquivoFin());
        if (!arquivo.falha().isEmpty())
            qFatal("cannot open %s", qPrintable(livro.arquivoFin()));
        QSqlQuery q = arquivo.query();
        if (!q.exec(u"SELECT pageno, pgsize FROM dbstat WHERE name = 'fin' AND pagetype = 'leaf' ORDER BY pageno"_s))
            return false;
        QList<qint64> paginas;
        while (q.next()) {
            paginas << q.value(0).toLongLong();
            tamanho = q.value(1).toLongLong();
        }
        if (paginas.size() <= 10)
            qFatal("too few pages to damage half way: %lld", qlonglong(paginas.size()));
        pagina = paginas.at(paginas.size() / 2);
    }
    QFile arquivo(livro.arquivoFin());
    if (!arquivo.open(QIODevice::ReadWrite) || !arquivo.seek((pagina - 1) * tamanho)
        || arquivo.write(QByteArray(tamanho, '\xff')) != tamanho)
        qFatal("cannot damage %s", qPrintable(livro.arquivoFin()));
    // The file change counter, bytes 24-27, big-endian.
    arquivo.seek(24);
    const QByteArray contador = arquivo.read(4);
    const quint32 proximo = qFromBigEndian<quint32>(contador.constData()) + 1;
    char bytes[4];
    qToBigEndian(proximo, bytes);
    arquivo.seek(24);
    arquivo.write(bytes, 4);
    return true;
}

// Rows enough for a damaged page to fall half way.
QList<Lancamento> muitasLinhas()
{
    QList<Lancamento> muitas;
    for (int i = 0; i < 20000; ++i)
        muitas.append({0, Hoje.addDays(i / 10 - 2000), QString(60, QChar(u'a' + i % 26)), 1 + i % 8, -1.0});
    return muitas;
}

QStringList linhas(const QString &report)
{
    QStringList list = report.split(Fim);
    if (!list.isEmpty() && list.last().isEmpty())
        list.removeLast();
    return list;
}

bool xmlBemFormado(const QByteArray &bytes)
{
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

int indicador(const TformCofrelMain &janela)
{
    return janela.DBGrid->indicatorRow();
}

void moveEClica(QWidget *widget, QPoint onde = {})
{
    if (onde.isNull())
        onde = widget->rect().center();
    QTest::mouseMove(widget, onde);
    QTest::mouseClick(widget, Qt::LeftButton, {}, onde);
}

} // namespace

class TestCopiaExtrato final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        registraFontes();
        QCOMPARE(quebraDeLinhaRelatorio(), Fim);
    }

    void emptyStatementGivesFourLines()
    {
        Livro livro(Hoje);
        const QString report = relatorio(abreExtrato(livro, 31), u"01 mês + futuros"_s, u"0.00"_s);
        const QString esperado = u"Extrato: 01 mês + futuros - Data: 10/03/2025"_s + Fim + cabecalho() + Fim
                                 + u"---"_s + Fim + u"Saldo em 10/03/2025: 0.00"_s + Fim;
        QCOMPARE(report, esperado);
        QCOMPARE(linhas(report).size(), 4);
    }

    void headerIs120Characters()
    {
        Livro livro(Hoje);
        livro.insere({{0, Hoje, u"a"_s, 1, -1}});
        const QStringList l = linhas(relatorio(abreExtrato(livro, 31), u"01 mês + futuros"_s, u"-1.00"_s));
        const QString header = l.at(1);
        QCOMPARE(header.size(), 120);
        QCOMPARE(header, cabecalho());
        QCOMPARE(header.indexOf(u"Descrição:"_s) + 1, 13);
        QCOMPARE(header.indexOf(u"Valor:"_s) + 1, 115);
        // The row under it: description at column 13, amount at 115.
        QCOMPARE(l.at(2).indexOf(u'a', 10) + 1, 13);
        QCOMPARE(l.at(2).indexOf(u"-1.00"_s) + 1, 115);
    }

    void rowLines_data()
    {
        QTest::addColumn<QDate>("data");
        QTest::addColumn<QString>("descricao");
        QTest::addColumn<double>("valor");
        QTest::addColumn<int>("espacos");
        QTest::addColumn<QString>("valorTexto");
        QTest::addColumn<int>("largura"); // characters as a person counts them

        QTest::newRow("Supermercado") << QDate(2024, 3, 5) << u"Supermercado"_s << -150.0 << 90 << u"-150.00"_s
                                      << 121;
        QTest::newRow("empty description") << Hoje << QString() << -3.5 << 102 << u"-3.50"_s << 119;
        QTest::newRow("100 characters") << Hoje << QString(100, u'x') << -1.0 << 2 << u"-1.00"_s << 119;
        // Written by another program past the field's length: no blanks left.
        QTest::newRow("102 characters") << Hoje << QString(102, u'y') << -1.0 << 0 << u"-1.00"_s << 119;
        QTest::newRow("longer than the column") << Hoje << QString(110, u'z') << -1.0 << 0 << u"-1.00"_s << 127;
        QTest::newRow("longer than the lines put together") << Hoje << QString(40000, u'w') << -1.0 << 0 << u"-1.00"_s
                                                             << 40017;
        QTest::newRow("accented") << Hoje << u"Açougue São João"_s << -42.1 << 86 << u"-42.10"_s << 120;
        QTest::newRow("combining accents") << Hoje << u"Cafe\u0301 com pa\u0303o"_s << -8.0 << 90 << u"-8.00"_s
                                           << 119;
        QTest::newRow("credit without sign") << Hoje.addDays(3) << u"Salário"_s << 2500.0 << 95 << u"2500.00"_s
                                             << 121;
        QTest::newRow("markup is text") << Hoje << u"<b>Tom & Jerry</b>"_s << -9.99 << 84 << u"-9.99"_s << 119;
        QTest::newRow("date value 0") << QDate(1899, 12, 30) << u"Início"_s << -1.0 << 96 << u"-1.00"_s << 119;
        QTest::newRow("blank inside") << Hoje << u"a  b"_s << -0.01 << 98 << u"-0.01"_s << 119;
    }

    void rowLines()
    {
        QFETCH(QDate, data);
        QFETCH(QString, descricao);
        QFETCH(double, valor);
        QFETCH(int, espacos);
        QFETCH(QString, valorTexto);
        QFETCH(int, largura);

        Livro livro(Hoje);
        livro.insere({{0, data, descricao.left(100), 1, valor}});
        if (descricao.size() > 100)
            gravaDireto(livro, u"Descricao = ?"_s, descricao);
        data::StatementQuery &extrato = abreExtrato(livro, std::nullopt);
        QCOMPARE(extrato.rows(0, 1).at(0).descricao, descricao);
        const QStringList l = linhas(relatorio(extrato, u"Completo"_s, u"1.00"_s));
        QCOMPARE(l.size(), 5);
        const QString linha = l.at(2);
        QCOMPARE(linha, linhaDe(data, descricao, espacos, valorTexto));
        // Combining accents take no column of their own.
        const int acentos = int(descricao.size() - descricao.normalized(QString::NormalizationForm_C).size());
        QCOMPARE(int(linha.size()) - acentos, largura);
        if (descricao.size() <= 102)
            QCOMPARE(linha.size() - valorTexto.size() - acentos, 114); // amount from column 115
    }

    void valuesWrittenByAnotherProgram_data()
    {
        QTest::addColumn<QString>("atribuicao");
        QTest::addColumn<QVariant>("valor");
        QTest::addColumn<QString>("linha");

        const QString data = FormatData(Hoje);
        const QVariant nulo = QVariant(QMetaType(QMetaType::QString));
        QTest::newRow("valor em texto") << u"Valor = ?"_s << QVariant(u"12.5"_s)
                                        << data + u"  base"_s + QString(98, u' ') + u"12.50"_s;
        QTest::newRow("valor nulo") << u"Valor = ?"_s << nulo << data + u"  base"_s + QString(98, u' ') + u"0.00"_s;
        QTest::newRow("descrição em bytes") << u"Descricao = ?"_s << QVariant(QByteArray("ABC"))
                                            << data + u"  ABC"_s + QString(99, u' ') + u"-1.00"_s;
        QTest::newRow("descrição nula") << u"Descricao = ?"_s << nulo << data + u"  "_s + QString(102, u' ') + u"-1.00"_s;
        QTest::newRow("UTF-8 danificado") << u"Descricao = CAST(? AS TEXT)"_s << QVariant(QByteArray("A\xC3"))
                                          << data + u"  A\uFFFD"_s + QString(100, u' ') + u"-1.00"_s;
        QTest::newRow("data com hora") << u"Data = ?"_s << QVariant(Hoje.toString(Qt::ISODate) + u" 08:30:00"_s)
                                       << data + u"  base"_s + QString(98, u' ') + u"-1.00"_s;
        QTest::newRow("data nula") << u"Data = ?"_s << nulo << u"  base"_s + QString(98, u' ') + u"-1.00"_s;
    }

    // Values of kinds the program never writes read as a person expects.
    void valuesWrittenByAnotherProgram()
    {
        QFETCH(QString, atribuicao);
        QFETCH(QVariant, valor);
        QFETCH(QString, linha);
        Livro livro(Hoje);
        livro.insere({{0, Hoje, u"base"_s, 1, -1.0}});
        gravaDireto(livro, atribuicao, valor);
        const QStringList l = linhas(relatorio(abreExtrato(livro, std::nullopt), u"Completo"_s, u"0.00"_s));
        QCOMPARE(l.size(), 5);
        QCOMPARE(l.at(2), linha);
    }

    void rowsInStatementOrder()
    {
        Livro livro(Hoje);
        const QList<Lancamento> dados = {
            {0, Hoje.addDays(-2), u"Padaria"_s, 1, -12.3},
            {0, Hoje.addDays(5), u"Aluguel"_s, 4, -1500.0},
            {0, Hoje.addDays(-40), u"Antigo"_s, 8, -1.0}, // outside "01 mês"
            {0, Hoje.addDays(-31), u"Primeiro dia"_s, 2, -7.0},
            {0, Hoje, u"Salário"_s, 6, 5000.0},
        };
        livro.insere(dados);
        const QString report = relatorio(abreExtrato(livro, 31), u"01 mês + futuros"_s, u"4980.70"_s);
        // The rows as the statement yields them (by date), future ones too.
        const QStringList esperadas = {
            linhaDe(Hoje.addDays(-31), u"Primeiro dia"_s, 90, u"-7.00"_s),
            linhaDe(Hoje.addDays(-2), u"Padaria"_s, 95, u"-12.30"_s),
            linhaDe(Hoje, u"Salário"_s, 95, u"5000.00"_s),
            linhaDe(Hoje.addDays(5), u"Aluguel"_s, 95, u"-1500.00"_s),
        };
        const QStringList l = linhas(report);
        QCOMPARE(l.mid(2, 4), esperadas);
        QCOMPARE(l.size(), 4 + esperadas.size());
        QCOMPARE(l.at(6), u"---"_s);
        QCOMPARE(l.at(7), u"Saldo em 10/03/2025: 4980.70"_s);
    }

    void titleForEveryPeriod_data()
    {
        QTest::addColumn<QString>("caption");
        for (const char16_t *c : {u"05 dias + futuros", u"01 mês + futuros", u"02 anos + futuros", u"Completo"})
            QTest::newRow(QString::fromUtf16(c).toUtf8().constData()) << QString::fromUtf16(c);
    }

    void titleForEveryPeriod()
    {
        QFETCH(QString, caption);
        Livro livro(Hoje);
        const QString report = relatorio(abreExtrato(livro, std::nullopt), caption, u"0.00"_s);
        QCOMPARE(linhas(report).at(0), u"Extrato: "_s + caption + u" - Data: "_s + FormatData(Hoje));
        QVERIFY(report.startsWith(u"Extrato: "_s + caption + u" - Data: 10/03/2025\n"_s));
    }

    void datesAsEverywhere()
    {
        Livro livro(Hoje);
        QList<Lancamento> linhasDoLivro;
        for (QDate d(1899, 12, 30); d.year() < 2100; d = d.addDays(37))
            linhasDoLivro.append({0, d, u"d"_s, 1, -1});
        livro.insere(linhasDoLivro);
        const QStringList l = linhas(relatorio(abreExtrato(livro, std::nullopt), u"Completo"_s, u"0.00"_s));
        QCOMPARE(l.size(), linhasDoLivro.size() + 4);
        for (qsizetype i = 0; i < linhasDoLivro.size(); ++i)
            QCOMPARE(l.at(i + 2).left(12), FormatData(linhasDoLivro[i].data) + u"  "_s);
    }

    void amountsAsEverywhere_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("ponto") << QLocale(QLocale::C);
        QTest::newRow("vírgula") << QLocale(QLocale::Portuguese, QLocale::Brazil);
    }

    // The amounts written as FormatValor writes them, halves of a cent, large
    // and tiny amounts included.
    void amountsAsEverywhere()
    {
        QFETCH(QLocale, locale);
        LocaleScope escopo(locale.name());
        const QList<double> valores = {0.0,         -0.0,          0.004,          -0.004,         0.005,
                                       -0.005,      0.015,         1.005,          -2.675,         0.1 + 0.2,
                                       -1234567.89, 9999999999.99, -9999999999.99, 1e10,           123456789012.34,
                                       -1e15,       1e16,          5e-324,         1.0 / 3.0,      -150.0};
        Livro livro(Hoje);
        QList<Lancamento> linhasDoLivro;
        for (const double v : valores)
            linhasDoLivro.append({0, Hoje, u"v"_s, 1, v});
        livro.insere(linhasDoLivro);
        const QStringList l = linhas(relatorio(abreExtrato(livro, std::nullopt), u"Completo"_s, u"0.00"_s));
        QCOMPARE(l.size(), valores.size() + 4);
        for (qsizetype i = 0; i < valores.size(); ++i)
            QCOMPARE(l.at(i + 2).mid(114), FormatValor(valores[i]));
    }

    // The file damaged half way through its rows: the walk fails naming
    // the file, and the report holds the lines made so far.
    void damagedHalfWayFails()
    {
        Livro livro(Hoje);
        livro.insere(muitasLinhas());
        data::StatementQuery &extrato = abreExtrato(livro, std::nullopt);
        QCOMPARE(extrato.rowCount(), 20000);
        if (!danificaAMetade(livro))
            QSKIP("this SQLite has no dbstat table");
        QByteArray report;
        QString mensagem;
        try {
            montaRelatorioExtrato(report, extrato, u"Completo"_s, u"0.00"_s);
        } catch (const Error &e) {
            mensagem = e.message();
        }
        QVERIFY2(mensagem.contains(u"danificado"_s), qPrintable(mensagem));
        QVERIFY2(mensagem.contains(QFileInfo(livro.arquivoFin()).fileName(), Qt::CaseInsensitive), qPrintable(mensagem));
        const qsizetype feitas = report.count('\n');
        QVERIFY2(feitas > 2 && feitas < 20000, QByteArray::number(feitas).constData());
        QVERIFY(!report.contains("Saldo em"));
    }

    // The same through the window: the error names the file, and the
    // clipboard keeps what it held.
    void failedCopyKeepsTheClipboard()
    {
        Livro livro(Hoje, Livro::Principal);
        TformCofrelMain &janela = *livro.janela;
        livro.insere(muitasLinhas());
        janela.show();
        QVERIFY(QTest::qWaitForWindowActive(&janela));
        escolhe(janela.comboPeriodo, 8);
        QCOMPARE(janela.comboPeriodo->currentText(), u"Completo"_s);
        QCOMPARE(janela.DBGrid->model()->rowCount(), 20000);
        QGuiApplication::clipboard()->setText(u"o que havia antes"_s);
        if (!danificaAMetade(livro))
            QSKIP("this SQLite has no dbstat table");

        moveEClica(janela.buttonClipboard);
        QCOMPARE(livro.interacao.errors.size(), 1);
        const QString mensagem = livro.interacao.errors.at(0);
        QVERIFY2(mensagem.contains(u"danificado"_s), qPrintable(mensagem));
        QVERIFY2(mensagem.contains(QFileInfo(livro.arquivoFin()).fileName(), Qt::CaseInsensitive), qPrintable(mensagem));
        QCOMPARE(QGuiApplication::clipboard()->text(), u"o que havia antes"_s);
        QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasHtml());
        // The box keeps the lines made before the failure, rows among them.
        const QString feitas = janela.memo->relatorio();
        QVERIFY(feitas.startsWith(u"Extrato: Completo - Data: 10/03/2025\n"_s));
        QVERIFY(feitas.count(Fim) > 2);
        QVERIFY(!feitas.contains(u"Saldo em"_s));
        livro.interacao.defaultAnswer = true;
    }

    void lineBreakAfterEveryLine()
    {
        Livro livro(Hoje);
        livro.insere({{0, Hoje, u"um"_s, 1, -1}, {0, Hoje, u"dois"_s, 2, -2}, {0, Hoje, u"três"_s, 3, -3}});
        const QString report = relatorio(abreExtrato(livro, 5), u"05 dias + futuros"_s, u"-6.00"_s);
        QVERIFY(report.endsWith(u"Saldo em 10/03/2025: -6.00\n"_s));
        QCOMPARE(report.count(u'\n'), 4 + 3);
        QVERIFY(!report.contains(u'\r'));
        QVERIFY(!report.contains(u"\n\n"_s));
    }

    void clipboardHoldsTextAndHtml()
    {
        Livro livro(Hoje);
        livro.insere({{0, QDate(2024, 3, 5), u"Supermercado"_s, 1, -150.0}});
        const QString report = relatorio(abreExtrato(livro, std::nullopt), u"Completo"_s, u"-150.00"_s);
        const QByteArray bytes = report.toUtf8();
        copiaRelatorioParaClipboard(bytes);

        const QMimeData *contents = QGuiApplication::clipboard()->mimeData();
        QVERIFY(contents);
        QCOMPARE(contents->text(), report);
        // A program pasting the text gets the report's own bytes, not a copy.
        const QByteArray colado = contents->data(u"text/plain"_s);
        QCOMPARE(colado, bytes);
        QCOMPARE(static_cast<const void *>(colado.constData()), static_cast<const void *>(bytes.constData()));
        QCOMPARE(contents->data(u"text/html"_s), relatorioEmHtml(bytes));
        QVERIFY(contents->hasHtml());
        const QString html = contents->html();
        QVERIFY(html.contains(u"<pre"_s));
        QVERIFY(html.contains(u"'Courier New'"_s));
        QVERIFY(html.contains(u"monospace"_s));
        QVERIFY(html.contains(u"10pt"_s));
        QVERIFY(html.contains(u"Supermercado"_s + QString(90, u' ') + u"-150.00"_s));
    }

    void clipboardReplacedWhole()
    {
        Livro livro(Hoje);
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        auto *previous = new QMimeData;
        previous->setImageData(picture);
        previous->setData(u"image/svg+xml"_s, "<svg/>");
        QGuiApplication::clipboard()->setMimeData(previous);
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasImage());

        const QString report = relatorio(abreExtrato(livro, 31), u"01 mês + futuros"_s, u"0.00"_s);
        copiaRelatorioParaClipboard(report.toUtf8());
        const QMimeData *contents = QGuiApplication::clipboard()->mimeData();
        QVERIFY(!contents->hasImage());
        QVERIFY(!contents->hasFormat(u"image/svg+xml"_s));
        QStringList formats = contents->formats();
        formats.sort();
        QCOMPARE(formats, (QStringList{u"text/html"_s, u"text/plain"_s}));
        QCOMPARE(contents->text(), report);
    }

    void htmlEscapesAndKeepsText()
    {
        Livro livro(Hoje);
        livro.insere({{0, Hoje, u"<b>Tom & Jerry</b> \"ação\""_s, 3, -9.99}, {0, Hoje, QString(), 8, -1}});
        const QString report = relatorio(abreExtrato(livro, 5), u"05 dias + futuros"_s, u"-10.99"_s);
        const QString html = QString::fromUtf8(relatorioEmHtml(report.toUtf8()));
        QVERIFY(!html.contains(u"<b>"_s));
        QVERIFY(html.contains(u"&lt;b&gt;Tom &amp; Jerry&lt;/b&gt;"_s));

        // Read back, the formatted form holds the same text, blanks included.
        QTextDocument doc;
        doc.setHtml(html);
        QString lido = doc.toPlainText() + Fim;
        QCOMPARE(lido, report);
    }

    // Rows enough for a report far past any text box's limit and many of
    // the grid's pages: every line, in the statement's order.
    void noLengthLimit()
    {
        Livro livro(Hoje);
        QList<Lancamento> muitas;
        QStringList esperadas;
        for (int i = 0; i < 9000; ++i) {
            const QDate data = Hoje.addDays(i - 9000);
            const QString descricao = QString(20 + i % 75, QChar(u'a' + i % 26)) + QString::number(i);
            muitas.append({0, data, descricao, 1 + i % 8, -(i + 1) / 100.0});
            esperadas << linhaDe(data, descricao, int(102 - descricao.size()), FormatValor(-(i + 1) / 100.0));
        }
        std::reverse(muitas.begin(), muitas.end()); // stored newest first
        livro.insere(muitas);
        const QString report = relatorio(abreExtrato(livro, std::nullopt), u"Completo"_s, u"0.00"_s);
        QVERIFY(report.size() > 64 * 1024 * 5); // past any rich-text box's default limit
        copiaRelatorioParaClipboard(report.toUtf8());
        QCOMPARE(QGuiApplication::clipboard()->text(), report);
        const QStringList l = linhas(report);
        QCOMPARE(l.size(), esperadas.size() + 4);
        QCOMPARE(l.mid(2, esperadas.size()), esperadas);
    }

    // Through the window, for every period: the clipboard holds exactly the
    // bytes of the report made from the rows as stored, in date order (ties
    // by number), future rows included, and the grid ends on the last row.
    void reportForEveryPeriod_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("dias"); // -1: every row
        const QList<int> dias = {5, 10, 15, 31, 62, 186, 366, 731, -1};
        for (int item = 0; item < dias.size(); ++item)
            QTest::addRow("item %d", item) << item << dias[item];
    }

    void reportForEveryPeriod()
    {
        QFETCH(int, item);
        QFETCH(int, dias);
        LocaleScope escopo(u"pt_BR"_s);
        Livro livro(Hoje, Livro::Principal);
        TformCofrelMain &janela = *livro.janela;
        QList<Lancamento> linhasDoLivro;
        const QList<int> idades = {-3,  0,   5,   1,   6,   10,  11,  15,  16,  31,  32,  62,
                                   63,  186, 187, 366, 367, 731, 732, 5000, -1, 0,   45000};
        for (qsizetype i = 0; i < idades.size(); ++i) {
            const double valor = i % 4 == 0 ? 1000.0 + i : -(i + 1) * 1.25;
            linhasDoLivro.append({0, Hoje.addDays(-idades[i]), u"Lançamento %1 <Açougue & São João>"_s.arg(i),
                                  1 + int(i % 8), valor});
        }
        gravaLinhas(loginContext().FinTableName, linhasDoLivro);
        QList<Lancamento> noPeriodo;
        double saldo = 0;
        for (const Lancamento &l : std::as_const(linhasDoLivro)) {
            if (dias < 0 || l.data >= Hoje.addDays(-dias))
                noPeriodo.append(l);
            if (l.data <= Hoje)
                saldo += l.valor;
        }
        std::sort(noPeriodo.begin(), noPeriodo.end(), [](const Lancamento &a, const Lancamento &b) {
            return std::pair(a.data, a.transacao) < std::pair(b.data, b.transacao);
        });
        QVERIFY(!noPeriodo.isEmpty());
        janela.show();
        QVERIFY(QTest::qWaitForWindowActive(&janela));
        escolhe(janela.comboPeriodo, item);
        const QString caption = janela.comboPeriodo->itemText(item);
        QCOMPARE(janela.comboPeriodo->currentText(), caption);
        QCOMPARE(janela.DBGrid->model()->rowCount(), noPeriodo.size());

        moveEClica(janela.buttonClipboard);
        QString esperado = u"Extrato: "_s + caption + u" - Data: 10/03/2025"_s + Fim + cabecalho() + Fim;
        for (const Lancamento &l : std::as_const(noPeriodo))
            esperado += linhaDe(l.data, l.descricao, int(102 - l.descricao.size()), FormatValor(l.valor)) + Fim;
        esperado += u"---"_s + Fim + u"Saldo em 10/03/2025: "_s + FormatValor(saldo) + Fim;
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(u"text/plain"_s), esperado.toUtf8());
        QCOMPARE(janela.memo->relatorio(), esperado);
        QCOMPARE(indicador(janela), noPeriodo.size() - 1);
        QCOMPARE(livro.interacao.errors, QStringList());
        livro.interacao.defaultAnswer = true;
    }

    // The copy of a long statement takes a moment: the mouse pointer is an
    // hourglass while it is made, and back afterwards.
    void hourglassDuringTheCopy()
    {
        Livro livro(Hoje, Livro::Principal);
        TformCofrelMain &janela = *livro.janela;
        livro.insere(Hoje, u"linha"_s, 1, -1.0);
        janela.show();
        QVERIFY(QTest::qWaitForWindowActive(&janela));
        std::optional<Qt::CursorShape> durante;
        const QMetaObject::Connection ligacao =
            connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [&] {
                const QCursor *cursor = QGuiApplication::overrideCursor();
                durante = cursor ? cursor->shape() : Qt::ArrowCursor;
            });
        moveEClica(janela.buttonClipboard);
        disconnect(ligacao);
        QVERIFY(durante.has_value());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(*durante, Qt::WaitCursor);
        livro.interacao.defaultAnswer = true;
    }

    // Through the window as a person uses it: "&Copiar" on each tab.
    void copyButtonOnBothTabs()
    {
        Livro livro(Hoje, Livro::Principal);
        TformCofrelMain &janela = *livro.janela;
        const QList<Lancamento> dados = {
            {0, Hoje.addDays(-3), u"Padaria"_s, 1, -20.0},
            {0, Hoje.addDays(-2), u"Cinema"_s, 3, -45.0},
            {0, Hoje.addDays(-1), u"Salário"_s, 6, 3000.0},
            {0, Hoje.addDays(4), u"Aluguel"_s, 4, -900.0},
        };
        livro.insere(dados);
        janela.show();
        QVERIFY(QTest::qWaitForWindowActive(&janela));
        QCOMPARE(janela.comboPeriodo->currentText(), u"01 mês + futuros"_s);
        QCOMPARE(janela.editSaldo->text(), u"2935.00"_s);

        const QRect linha1 = janela.DBGrid->visualRect(janela.DBGrid->model()->index(1, 1));
        QTest::mouseClick(janela.DBGrid->viewport(), Qt::LeftButton, {}, linha1.center());
        QCOMPARE(indicador(janela), 1);
        moveEClica(janela.buttonClipboard);
        const QString esperado = u"Extrato: 01 mês + futuros - Data: 10/03/2025"_s + Fim + cabecalho() + Fim
                                 + linhaDe(Hoje.addDays(-3), u"Padaria"_s, 95, u"-20.00"_s) + Fim
                                 + linhaDe(Hoje.addDays(-2), u"Cinema"_s, 96, u"-45.00"_s) + Fim
                                 + linhaDe(Hoje.addDays(-1), u"Salário"_s, 95, u"3000.00"_s) + Fim
                                 + linhaDe(Hoje.addDays(4), u"Aluguel"_s, 95, u"-900.00"_s) + Fim + u"---"_s + Fim
                                 + u"Saldo em 10/03/2025: 2935.00"_s + Fim;
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), esperado);
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasHtml());
        // The hidden box keeps the report; shown, it shows it.
        QVERIFY(!janela.memo->isVisible());
        QCOMPARE(janela.memo->relatorio(), esperado);
        janela.memo->show();
        const QString mostrado = QString(esperado).replace(u"\r\n"_s, u"\n"_s);
        QCOMPARE(janela.memo->toPlainText(), mostrado);
        QCOMPARE(janela.memo->relatorio(), mostrado);
        QCOMPARE(janela.memo->document()->defaultFont(), janela.memo->font()); // given when first shown
        QVERIFY(QFontInfo(janela.memo->document()->defaultFont()).fixedPitch());
        janela.memo->hide();
        QTRY_COMPARE(indicador(janela), dados.size() - 1);
        QCOMPARE(livro.interacao.errors, QStringList());

        // The chart tab: a picture, the statement's grid left alone.
        QTest::keyClick(janela.DBGrid, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(indicador(janela), 0);
        QTabBar *abas = janela.TabControl->barra();
        moveEClica(abas, abas->tabRect(1).center());
        QTRY_VERIFY(janela.panelGrafico->isVisible());
        GraficoPizza &chart = *janela.panelGrafico->Chart;
        QCOMPARE(chart.sliceCount(), 2);
        moveEClica(janela.buttonClipboard);
        QTRY_VERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(u"image/svg+xml"_s));
        QCOMPARE(livro.interacao.errors, QStringList());
        QCOMPARE(indicador(janela), 0);

        const QMimeData *contents = QGuiApplication::clipboard()->mimeData();
        QVERIFY(!contents->hasText());
        QVERIFY(contents->hasImage());
        const QByteArray svg = contents->data(u"image/svg+xml"_s);
        QVERIFY(xmlBemFormado(svg));
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        for (const TColor cor : {clAqua, clFuchsia})
            QVERIFY2(svg.contains(toQColor(cor).name().toLatin1()), qPrintable(toQColor(cor).name()));
        QImage desenho(chart.size(), QImage::Format_RGB32);
        desenho.fill(qRgb(1, 2, 3));
        {
            QPainter painter(&desenho);
            renderer.render(&painter);
        }
        // White to the very corners: no bevel, no button face.
        for (const QPoint p : {QPoint(0, 0), QPoint(desenho.width() - 1, desenho.height() - 1), QPoint(2, 2)})
            QCOMPARE(desenho.pixel(p) & 0xFFFFFF, 0xFFFFFFu);
        // On screen the chart keeps its look.
        QCOMPARE(chart.backgroundColor(), clBtnFace);
        QCOMPARE(chart.bevelInner(), GraficoPizza::Bevel::Raised);
        QCOMPARE(chart.bevelOuter(), GraficoPizza::Bevel::Lowered);

        // Back on the statement tab the copy is text again, whole clipboard.
        moveEClica(abas, abas->tabRect(0).center());
        QTRY_VERIFY(janela.panelExtrato->isVisible());
        moveEClica(janela.buttonClipboard);
        QTRY_VERIFY(QGuiApplication::clipboard()->mimeData()->hasText());
        QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasFormat(u"image/svg+xml"_s));
        QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasImage());
        livro.interacao.defaultAnswer = true;
    }
};

QTEST_MAIN(TestCopiaExtrato)
#include "test_copia_extrato.moc"
