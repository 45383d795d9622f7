// The bank's statement read from its file: the generator's samples come
// back exactly, OFX and CSV quirks are read as banks mean them, the CSV's
// columns can be chosen, and every bad file is refused with its message.
#include "app/errors.h"
#include "extratos_exemplo.h"
#include "ledger/extrato_banco.h"

#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace cofrel;

namespace cofrel {
char *toString(const LinhaExtrato &l)
{
    return QTest::toString(l.data.toString(u"dd/MM/yyyy"_s) + u' ' + QString::number(l.centavos) + u" «"
                           + l.descricao + u"» " + l.identidade);
}
} // namespace cofrel

namespace {

// A line as the tables below write it: "dd/mm/yyyy cents description",
// and " #identity" when \a comIdentidade.
QStringList resumo(const QList<LinhaExtrato> &linhas, bool comIdentidade)
{
    QStringList r;
    for (const LinhaExtrato &l : linhas) {
        r << l.data.toString(u"dd/MM/yyyy"_s) + u' ' + QString::number(l.centavos) + u' ' + l.descricao
                 + (comIdentidade ? u" #" + l.identidade : QString());
    }
    return r;
}

// An SGML statement around \a transacoes, its header and all.
QByteArray ofx(const QString &transacoes)
{
    return (u"OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nCHARSET:1252\n\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>"
            u"<CURDEF>BRL\n<BANKTRANLIST>\n"_s
            + transacoes + u"</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n")
        .toUtf8();
}

QString trn(const QString &data, const QString &valor, const QString &fitid, const QString &memo)
{
    return u"<STMTTRN>\n<TRNTYPE>OTHER\n<DTPOSTED>%1\n<TRNAMT>%2\n<FITID>%3\n<MEMO>%4\n</STMTTRN>\n"_s.arg(
        data, valor, fitid, memo);
}

// Reads \a bytes into \a extrato: no text when they are read, else the
// message of their refusal, so that a test shows it.
QString leEm(ExtratoBanco &extrato, QByteArrayView bytes)
{
    try {
        extrato = leExtratoBancoBytes(bytes);
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

const QString Cortado = u"O extrato está incompleto: o arquivo termina antes do fim (linha %1). "
                        u"Baixe o extrato do banco de novo."_s;
const QString NaoExtrato = u"O arquivo não é um extrato do banco em OFX nem em CSV."_s;
const QString SemTransacao = u"O extrato não tem nenhuma transação."_s;

} // namespace

class TestLeitorExtrato final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void samplesReadBackExactly_data()
    {
        QTest::addColumn<exemplo::ExtratoExemplo>("exemplo");
        QTest::addColumn<int>("formato");
        QTest::addColumn<QByteArrayList>("marcas"); // what the sample must hold to prove its point
        QTest::addColumn<int>("chavesAutomaticas");
        const int ofx = int(FormatoExtrato::Ofx);
        for (const std::uint64_t s : {1, 2, 77}) {
            QTest::addRow("sgml 1252 %d", int(s)) << exemplo::ofxSgml(s) << ofx
                                            << QByteArrayList{"CHARSET:1252", "[-3:BRT]", "\xe3"} << 0;
            QTest::addRow("xml utf-8 %d", int(s)) << exemplo::ofxXml(s) << ofx
                                            << QByteArrayList{"<?OFX", "</TRNAMT>", "\xc3\xa3"} << 0;
            QTest::addRow("saldos %d", int(s)) << exemplo::ofxSaldos(s) << ofx
                                         << QByteArrayList{"SALDO ANTERIOR", "Saldo do dia", "<FITID>\n"} << 6;
            QTest::addRow("csv ; %d", int(s)) << exemplo::csvPontoEVirgula(s) << int(FormatoExtrato::Csv)
                                        << QByteArrayList{"\xef\xbb\xbf", ";SALDO ANTERIOR;", "\"\""} << 12;
        }
        QTest::newRow("sgml 2000 lines") << exemplo::ofxSgml(5, 2000) << ofx
                                         << QByteArrayList{"235959[-3:BRT]", "&amp;", "&lt;"} << 0;
    }
    void samplesReadBackExactly()
    {
        QFETCH(exemplo::ExtratoExemplo, exemplo);
        QFETCH(int, formato);
        QFETCH(QByteArrayList, marcas);
        QFETCH(int, chavesAutomaticas);
        for (const QByteArray &m : marcas)
            QVERIFY2(exemplo.bytes.contains(m), m.constData());

        ExtratoBanco lido;
        QCOMPARE(leEm(lido, exemplo.bytes), QString());
        QCOMPARE(int(lido.formato), formato);
        QVERIFY(!lido.precisaEscolherColunas());
        QCOMPARE(lido.linhas, exemplo.linhas);
        const auto automaticas = std::count_if(lido.linhas.cbegin(), lido.linhas.cend(), [](const LinhaExtrato &l) {
            return l.identidade.startsWith(u"auto:"_s);
        });
        QCOMPARE(int(automaticas), chavesAutomaticas);
        QCOMPARE(leExtratoBancoBytes(exemplo.bytes).linhas, lido.linhas); // the same keys the second time
    }

    void windows1252SampleIsNoUtf8()
    {
        QStringDecoder utf8(QStringDecoder::Utf8);
        (void)QString(utf8.decode(exemplo::ofxSgml(1).bytes));
        QVERIFY(utf8.hasError());
        QCOMPARE(decodificaExtrato("P\xe3o \x80 5"), u"Pão € 5"_s);
        QCOMPARE(decodificaExtrato("\xef\xbb\xbfP\xc3\xa3o"), u"Pão"_s);
    }

    void ofxTransactions_data()
    {
        QTest::addColumn<QByteArray>("arquivo");
        QTest::addColumn<QStringList>("linhas");
        QTest::newRow("time and zone do not move the day")
            << ofx(trn(u"20260105235959[-3:BRT]"_s, u"-12.50"_s, u"A1"_s, u"Padaria"_s)
                   + trn(u"20260106000000.000[+12:NZST]"_s, u"3,5"_s, u"A2"_s, u"Pix"_s))
            << QStringList{u"05/01/2026 -1250 Padaria #A1"_s, u"06/01/2026 350 Pix #A2"_s};
        QTest::newRow("amounts with a dot, a comma, a sign, zeros past the cents")
            << ofx(trn(u"20260105"_s, u"+0.01"_s, u"A"_s, u"a"_s) + trn(u"20260105"_s, u"-1234,5"_s, u"B"_s, u"b"_s)
                   + trn(u"20260105"_s, u"12.500"_s, u"C"_s, u"c"_s)
                   + trn(u"20260105"_s, u"9999999999999.99"_s, u"D"_s, u"d"_s))
            << QStringList{u"05/01/2026 1 a #A"_s, u"05/01/2026 -123450 b #B"_s, u"05/01/2026 1250 c #C"_s,
                           u"05/01/2026 999999999999999 d #D"_s};
        QTest::newRow("memo over name, blanks collapsed, entities")
            << ofx(u"<STMTTRN><DTPOSTED>20260105<TRNAMT>-1<NAME>Loja<MEMO>  Joaquim &amp;   Filhos &lt;2&gt; "
                   u"&#233;&#xE9; &foo;</STMTTRN>\n"
                   u"<STMTTRN><DTPOSTED>20260105<TRNAMT>-2<NAME>Só o nome<MEMO></STMTTRN>\n"_s)
            << QStringList{u"05/01/2026 -100 Joaquim & Filhos <2> éé &foo; #auto:20260105:-100:Joaquim & Filhos "
                           u"<2> éé &foo;:1"_s,
                           u"05/01/2026 -200 Só o nome #auto:20260105:-200:Só o nome:1"_s};
        const QString longa = QString(99, u'x') + u"😀 fim"_s; // the emoji's pair would straddle 100
        QTest::newRow("cut at 100 without splitting a pair")
            << ofx(trn(u"20260105"_s, u"1"_s, u"L"_s, longa)) << QStringList{u"05/01/2026 100 "_s + QString(99, u'x')
                                                                          + u" #L"_s};
        QTest::newRow("balances out, a shop called Saldos kept")
            << ofx(trn(u"20260105"_s, u"100"_s, u"S1"_s, u"SALDO ANTERIOR"_s)
                   + trn(u"20260105"_s, u"-5"_s, u"S2"_s, u"Saldos e Retalhos"_s)
                   + trn(u"20260105"_s, u"100"_s, u"S3"_s, u" saldo"_s))
            << QStringList{u"05/01/2026 -500 Saldos e Retalhos #S2"_s};
        QTest::newRow("empty and repeated FITIDs, identical lines counted")
            << ofx(trn(u"20260105"_s, u"-12.50"_s, QString(), u"Café"_s)
                   + trn(u"20260105"_s, u"-12.50"_s, QString(), u"Café"_s)
                   + trn(u"20260106"_s, u"1"_s, u"R"_s, u"x"_s) + trn(u"20260106"_s, u"2"_s, u"R"_s, u"y"_s)
                   + trn(u"20260106"_s, u"3"_s, u"U"_s, u"z"_s))
            << QStringList{u"05/01/2026 -1250 Café #auto:20260105:-1250:Café:1"_s,
                           u"05/01/2026 -1250 Café #auto:20260105:-1250:Café:2"_s,
                           u"06/01/2026 100 x #auto:20260106:100:x:1"_s, u"06/01/2026 200 y #auto:20260106:200:y:1"_s,
                           u"06/01/2026 300 z #U"_s};
        QTest::newRow("unclosed transactions, lower-case tags, one line")
            << ofx(u"<stmttrn><dtposted>20260105<trnamt>-1<fitid>a<memo>um"
                   u"<STMTTRN><DTPOSTED>20260106<TRNAMT>-2<FITID>b<NAME>dois\n"_s)
            << QStringList{u"05/01/2026 -100 um #a"_s, u"06/01/2026 -200 dois #b"_s};
        QTest::newRow("credit card, closed leaves, no header")
            << QByteArray("<OFX><CREDITCARDMSGSRSV1><CCSTMTTRNRS><CCSTMTRS><BANKTRANLIST>"
                          "<STMTTRN><DTPOSTED>20260201</DTPOSTED><TRNAMT>-99.90</TRNAMT><FITID>c1</FITID>"
                          "<NAME>Livraria</NAME></STMTTRN><LEDGERBAL><BALAMT>5</BALAMT></LEDGERBAL>"
                          "</CCSTMTRS></CCSTMTTRNRS></CREDITCARDMSGSRSV1></OFX>")
            << QStringList{u"01/02/2026 -9990 Livraria #c1"_s};
        QTest::newRow("a header without OFXHEADER")
            << QByteArray("DATA:OFXSGML\nVERSION:102\n\n<OFX><BANKTRANLIST><STMTTRN><DTPOSTED>20260105<TRNAMT>1"
                          "<FITID>h<MEMO>Sem cabe\xc3\xa7""alho</STMTTRN></BANKTRANLIST></OFX>")
            << QStringList{u"05/01/2026 100 Sem cabeçalho #h"_s};
        QTest::newRow("xml declared, leaves left open: the tolerant reader")
            << QByteArray("<?xml version=\"1.0\"?>\n<OFX><BANKTRANLIST>\n<STMTTRN>\n<DTPOSTED>20260301\n"
                          "<TRNAMT>7\n<FITID>x\n<MEMO>Aberto\n</STMTTRN>\n</BANKTRANLIST>\n</OFX>\n")
            << QStringList{u"01/03/2026 700 Aberto #x"_s};
        QTest::newRow("xml with entities and comments")
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!-- c --><OFX><BANKTRANLIST>"
                          "<STMTTRN><DTPOSTED>20260301120000[-3:BRT]</DTPOSTED><TRNAMT>-0,10</TRNAMT>"
                          "<FITID>f</FITID><MEMO>A &amp; B &#233;</MEMO></STMTTRN></BANKTRANLIST></OFX>")
            << QStringList{u"01/03/2026 -10 A & B é #f"_s};
    }
    void ofxTransactions()
    {
        QFETCH(QByteArray, arquivo);
        QFETCH(QStringList, linhas);
        ExtratoBanco lido;
        QCOMPARE(leEm(lido, arquivo), QString());
        QCOMPARE(resumo(lido.linhas, true), linhas);
    }

    void csvStatements_data()
    {
        QTest::addColumn<QByteArray>("arquivo");
        QTest::addColumn<QStringList>("linhas");
        QTest::newRow("; decimal comma, thousands, markers, dd/mm/yy, Windows-1252")
            << QByteArray("DATA;HIST\xd3RICO;VALOR\r\n05/01/26;Padaria S\xe3o Jo\xe3o;-1.234,56\r\n"
                          "06/01/2026 10:00;Pix;(12,50)\r\n07/01/2026;Tarifa;R$ 3,00 D\r\n"
                          "08/01/2026;Estorno;3,00 C\r\n")
            << QStringList{u"05/01/2026 -123456 Padaria São João"_s, u"06/01/2026 -1250 Pix"_s,
                           u"07/01/2026 -300 Tarifa"_s, u"08/01/2026 300 Estorno"_s};
        QTest::newRow(", decimal dot, quoted thousands and quotes")
            << QByteArray("Date,Memo,Valor\n\"Data\",\"Memo\",\"Valor\"\n05/01/2026,\"Loja \"\"Boa\"\", centro\","
                          "\"1,234.56\"\n05/01/2026,Caf\xc3\xa9,-2.5\n")
            << QStringList{u"05/01/2026 123456 Loja \"Boa\", centro"_s, u"05/01/2026 -250 Café"_s};
        QTest::newRow("credit and debit columns, debit negative whatever its sign")
            << QByteArray("Data Lan\xc3\xa7""amento;Descri\xc3\xa7\xc3\xa3o;Cr\xc3\xa9""dito (R$);D\xc3\xa9""bito (R$);"
                          "Saldo\n05/01/2026;Sal\xc3\xa1rio;5.000,00;;5.000,00\n06/01/2026;Aluguel;;1.500,00;3.500,00\n"
                          "07/01/2026;Luz;-;-80,00;3.420,00\n07/01/2026;Saldo do dia;;;3.420,00\n"
                          "Total;;5.000,00;1.580,00;\n")
            << QStringList{u"05/01/2026 500000 Salário"_s, u"06/01/2026 -150000 Aluguel"_s, u"07/01/2026 -8000 Luz"_s};
        QTest::newRow("lancamento names the description, a multi-line quoted cell")
            << QByteArray("\xef\xbb\xbf""data;lancamento;valor\n05/01/2026;\"duas\nlinhas\";10\n")
            << QStringList{u"05/01/2026 1000 duas linhas"_s};
    }
    void csvStatements()
    {
        QFETCH(QByteArray, arquivo);
        QFETCH(QStringList, linhas);
        ExtratoBanco lido;
        QCOMPARE(leEm(lido, arquivo), QString());
        QCOMPARE(lido.formato, FormatoExtrato::Csv);
        QCOMPARE(resumo(lido.linhas, false), linhas);
        for (const LinhaExtrato &l : lido.linhas) // every CSV line has a key of ours
            QCOMPARE(l.identidade,
                     u"auto:%1:%2:%3:1"_s.arg(l.data.toString(u"yyyyMMdd"_s)).arg(l.centavos).arg(l.descricao));
    }

    // A header the reader does not know, or none: the person's choice of
    // columns makes the lines.
    void csvColumnChoice_data()
    {
        QTest::addColumn<QByteArray>("arquivo");
        QTest::addColumn<QStringList>("cabecalho");
        QTest::addColumn<ColunasCsv>("achadas");
        QTest::addColumn<ColunasCsv>("escolha");
        QTest::addColumn<QStringList>("linhas");
        QTest::newRow("unknown names")
            << QByteArray("Dt;Hist;Vlr\n05/01/2026;Padaria;-3,00\n") << QStringList() << ColunasCsv()
            << ColunasCsv{0, 1, 2, -1, -1} << QStringList{u"05/01/2026 -300 Padaria"_s};
        QTest::newRow("no header, amount first")
            << QByteArray("-3,00;Padaria, centro;05/01/2026\n4,5;Pix;06/01/2026\n") << QStringList() << ColunasCsv()
            << ColunasCsv{2, 1, 0, -1, -1}
            << QStringList{u"05/01/2026 -300 Padaria, centro"_s, u"06/01/2026 450 Pix"_s};
        QTest::newRow("header without a description")
            << QByteArray("Data;Valor;Onde\n05/01/2026;-3,00;Padaria\n")
            << QStringList{u"Data"_s, u"Valor"_s, u"Onde"_s}
            << ColunasCsv{0, -1, 1, -1, -1} << ColunasCsv{0, 2, 1, -1, -1} << QStringList{u"05/01/2026 -300 Padaria"_s};
    }
    void csvColumnChoice()
    {
        QFETCH(QByteArray, arquivo);
        QFETCH(QStringList, cabecalho);
        QFETCH(ColunasCsv, achadas);
        QFETCH(ColunasCsv, escolha);
        QFETCH(QStringList, linhas);
        ExtratoBanco lido;
        QCOMPARE(leEm(lido, arquivo), QString());
        QVERIFY(lido.precisaEscolherColunas());
        QVERIFY(lido.linhas.isEmpty());
        QCOMPARE(lido.tabela.cabecalho, cabecalho);
        QVERIFY(lido.tabela.colunas == achadas);
        QCOMPARE(resumo(linhasCsv(lido.tabela, escolha), false), linhas);
        try {
            linhasCsv(lido.tabela, achadas);
            QFAIL("an incomplete choice made lines");
        } catch (const Error &e) {
            QCOMPARE(e.message(),
                     u"Escolha as colunas da data, da descrição e do valor (ou do crédito e do débito)."_s);
        }
    }

    void badFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("arquivo");
        QTest::addColumn<QString>("mensagem");
        const QByteArray sgml = exemplo::ofxSgml(1).bytes;
        const qsizetype meio = sgml.indexOf("<TRNAMT>", sgml.size() / 2) + 10;
        const QString vazio = u"O arquivo está vazio: não há extrato nele."_s;
        QTest::newRow("empty") << QByteArray() << vazio;
        QTest::newRow("a BOM and blanks") << QByteArray("\xef\xbb\xbf \r\n\t") << vazio;
        const QString binario = u"O arquivo não é de texto: não é um extrato do banco em OFX nem em CSV."_s;
        QTest::newRow("binary, a NUL") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << binario;
        QTest::newRow("binary, control characters") << QByteArray("ab\x01\x02\x03\x04;cd\x05\x06") << binario;
        QTest::newRow("plain text") << QByteArray("Lista de compras\nleite\np\xc3\xa3o\n") << NaoExtrato;
        QTest::newRow("a web page") << QByteArray("<html><body>Sess\xc3\xa3o expirada</body></html>") << NaoExtrato;
        QTest::newRow("a table without dates") << QByteArray("nome;idade\nAna;30\n") << NaoExtrato;
        QTest::newRow("sgml cut in a transaction") << sgml.left(meio) << Cortado.arg(sgml.left(meio).count('\n') + 1);
        QTest::newRow("sgml cut in a tag") << sgml.left(sgml.indexOf("</BANKTRANLIST>") + 4)
                                           << Cortado.arg(sgml.left(sgml.indexOf("</BANKTRANLIST>")).count('\n') + 1);
        QTest::newRow("sgml cut after the list") << sgml.left(sgml.indexOf("<LEDGERBAL>"))
                                                 << Cortado.arg(sgml.left(sgml.indexOf("<LEDGERBAL>")).count('\n') + 1);
        QTest::newRow("header only") << QByteArray("OFXHEADER:100\nDATA:OFXSGML\n") << NaoExtrato;
        const QByteArray xml = exemplo::ofxXml(1).bytes;
        QTest::newRow("xml cut") << xml.left(xml.size() - 30) << Cortado.arg(xml.count('\n') - 1);
        QTest::newRow("no transaction") << ofx(QString()) << SemTransacao;
        QTest::newRow("balances only") << ofx(trn(u"20260105"_s, u"1"_s, u"a"_s, u"SALDO"_s)) << SemTransacao;
        QTest::newRow("impossible date")
            << ofx(trn(u"20260105"_s, u"1"_s, u"a"_s, u"ok"_s) + trn(u"20260230"_s, u"1"_s, u"b"_s, u"x"_s))
            << u"A transação 2 do extrato (linha 15 do arquivo) tem uma data inválida: «20260230»."_s;
        QTest::newRow("no date") << ofx(u"<STMTTRN><TRNAMT>1</STMTTRN>"_s)
                                 << u"A transação 1 do extrato (linha 8 do arquivo) não tem data."_s;
        for (const QString valor : {u"1.005"_s, u"-10000000000000"_s, u"1e3"_s, u"1.234,56"_s, u"--1"_s, u"."_s}) {
            QTest::addRow("amount %s", qPrintable(valor))
                << ofx(trn(u"20260105"_s, valor, u"a"_s, u"x"_s))
                << u"A transação 1 do extrato (linha 8 do arquivo) tem um valor inválido: «%1»."_s.arg(valor);
        }
        QTest::newRow("csv impossible date") << QByteArray("Data;Hist\xc3\xb3rico;Valor\n31/02/2026;x;1\n")
                                             << u"A linha 2 do arquivo tem uma data inválida: «31/02/2026»."_s;
        QTest::newRow("csv without the year") << QByteArray("Data;Hist\xc3\xb3rico;Valor\n31/01;x;1\n")
                                              << u"A linha 2 do arquivo tem uma data inválida: «31/01»."_s;
        QTest::newRow("csv without amount") << QByteArray("Data;Hist\xc3\xb3rico;Valor\n\n05/01/2026;x;\n")
                                            << u"A linha 3 do arquivo não tem valor."_s;
        QTest::newRow("csv balances only") << QByteArray("Data;Hist\xc3\xb3rico;Valor\n05/01/2026;Saldo;1\n")
                                           << SemTransacao;
        QTest::newRow("csv cut in quotes") << QByteArray("Data;Hist\xc3\xb3rico;Valor\n05/01/2026;\"x;1\n")
                                           << Cortado.arg(2);
    }
    void badFilesAreRefused()
    {
        QFETCH(QByteArray, arquivo);
        QFETCH(QString, mensagem);
        ExtratoBanco lido;
        QCOMPARE(leEm(lido, arquivo), mensagem);
    }

    // Through the file: read as the bytes are, refused unread at 100 MB.
    void fromAFile()
    {
        QTemporaryDir pasta;
        QVERIFY(pasta.isValid());
        const exemplo::ExtratoExemplo exemplo = exemplo::ofxXml(9);
        QFile arquivo(pasta.filePath(u"extrato.ofx"_s));
        QVERIFY(arquivo.open(QIODevice::WriteOnly));
        QCOMPARE(arquivo.write(exemplo.bytes), exemplo.bytes.size());
        arquivo.close();
        QCOMPARE(leExtratoBanco(arquivo.fileName()).linhas, exemplo.linhas);

        for (const qint64 tamanho : {TamanhoMaximoExtrato - 1, TamanhoMaximoExtrato}) {
            QVERIFY(arquivo.resize(tamanho)); // sparse: the sample then zeros
            QString mensagem;
            try {
                leExtratoBanco(arquivo.fileName());
            } catch (const Error &e) {
                mensagem = e.message();
            }
            QCOMPARE(mensagem, tamanho < TamanhoMaximoExtrato
                                   ? u"O arquivo não é de texto: não é um extrato do banco em OFX nem em CSV."_s
                                   : u"O arquivo tem 100 MB ou mais: é grande demais para um extrato do banco."_s);
        }
        QVERIFY(arquivo.remove());
        try {
            leExtratoBanco(arquivo.fileName());
            QFAIL("a missing file was read");
        } catch (const Error &e) {
            QCOMPARE(e.message(), u"Não foi possível abrir o arquivo do extrato."_s);
            QVERIFY(!e.details().isEmpty());
        }
    }
};

QTEST_APPLESS_MAIN(TestLeitorExtrato)
#include "test_leitor_extrato.moc"
