#include "extratos_exemplo.h"

#include "ledger/extrato_comum.h"

#include <QStringEncoder>

#include <array>
#include <random>

using namespace Qt::StringLiterals;

namespace cofrel::exemplo {

namespace {

// The standard engine is fixed by the standard; the library's
// distributions are not, so the draws are made here.
class Sorteio final {
public:
    explicit Sorteio(std::uint64_t semente) : m_engine(semente) {}
    qint64 entre(qint64 menor, qint64 maior) // both included
    {
        return menor + qint64(m_engine() % std::uint64_t(maior - menor + 1));
    }
    bool chance(int porCento) { return entre(1, 100) <= porCento; }

private:
    std::mt19937_64 m_engine;
};

struct Modelo {
    const char16_t *texto;
    bool credito;
    int menor, maior; // reais
};

const std::array<Modelo, 16> Modelos = {{
    {u"Padaria São João", false, 3, 60},
    {u"Supermercado Pão de Açúcar", false, 20, 900},
    {u"Pagamento de boleto - Condomínio", false, 300, 1500},
    {u"Transferência recebida - Inês Araújo", true, 50, 3000},
    {u"Farmácia Popular", false, 8, 400},
    {u"Tarifa de manutenção de conta", false, 15, 60},
    {u"Saque 24h - Estação da Sé", false, 20, 1000},
    {u"Depósito em cheque", true, 100, 5000},
    {u"Pix recebido - José Conceição", true, 10, 2000},
    {u"Conta de luz - Companhia Energética", false, 60, 700},
    {u"Restaurante Coração de Maria", false, 25, 300},
    {u"Joaquim & Filhos <loja 2>", false, 10, 900},
    {u"Posto Ipê Amarelo", false, 50, 400},
    {u"Salário", true, 2000, 15000},
    {u"Rendimento poupança", true, 1, 200},
    {u"Compra no débito - Açougue Três Irmãos", false, 15, 350},
}};

const std::array<const char16_t *, 5> Complementos = {u"parcela 2/10", u"ref. março", u"cartão final 1234",
                                                       u"agência 0999", u"nº 4471"};

// Lines of a made-up account from January 2026 on, several a day, with
// FITIDs of the bank's kind.
QList<LinhaExtrato> sorteiaLinhas(Sorteio &s, int quantas)
{
    QList<LinhaExtrato> linhas;
    linhas.reserve(quantas);
    QDate data(2026, 1, 2);
    for (int i = 0; i < quantas; ++i) {
        if (s.chance(35))
            data = data.addDays(s.entre(1, 3));
        // The first has accents of both encodings' kinds.
        const Modelo &m = Modelos[i == 0 ? 0 : size_t(s.entre(0, Modelos.size() - 1))];
        QString descricao = QString::fromUtf16(m.texto);
        if (s.chance(25))
            descricao += u" - " + QString::fromUtf16(Complementos[size_t(s.entre(0, Complementos.size() - 1))]);
        const qint64 centavos = s.entre(qint64(m.menor) * 100, qint64(m.maior) * 100);
        linhas.append({data, m.credito ? centavos : -centavos, descricao,
                       u"%1%2"_s.arg(data.toString(u"yyyyMMdd"_s)).arg(i + 1, 6, 10, QChar(u'0'))});
    }
    return linhas;
}

QString valorTexto(qint64 centavos, QChar decimal, bool milhares = false)
{
    const qint64 absoluto = centavos < 0 ? -centavos : centavos;
    QString reais = QString::number(absoluto / 100);
    if (milhares) {
        for (qsizetype i = reais.size() - 3; i > 0; i -= 3)
            reais.insert(i, u'.');
    }
    return (centavos < 0 ? u"-"_s : QString()) + reais + decimal + u"%1"_s.arg(absoluto % 100, 2, 10, QChar(u'0'));
}

QString escapaSgml(QString texto)
{
    return texto.replace(u'&', u"&amp;"_s).replace(u'<', u"&lt;"_s).replace(u'>', u"&gt;"_s);
}

// The day's date with the kinds of time banks write after it; none of them
// moves the day.
QString dtposted(Sorteio &s, const QDate &data)
{
    static const std::array<const char16_t *, 4> Horas = {u"", u"120000[-3:BRT]", u"235959[-3:BRT]",
                                                         u"000000.000[-03:BRT]"};
    return data.toString(u"yyyyMMdd"_s) + QString::fromUtf16(Horas[size_t(s.entre(0, Horas.size() - 1))]);
}

const QString CabecalhoSgml = u"OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\n"
                              u"ENCODING:USASCII\r\nCHARSET:1252\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\n"
                              u"NEWFILEUID:NONE\r\n\r\n"_s;

QString inicioSgml()
{
    return CabecalhoSgml
           + u"<OFX>\n<SIGNONMSGSRSV1>\n<SONRS>\n<STATUS>\n<CODE>0\n<SEVERITY>INFO\n</STATUS>\n"
             u"<DTSERVER>20260401100000[-3:BRT]\n<LANGUAGE>POR\n</SONRS>\n</SIGNONMSGSRSV1>\n"
             u"<BANKMSGSRSV1>\n<STMTTRNRS>\n<TRNUID>1001\n<STATUS>\n<CODE>0\n<SEVERITY>INFO\n</STATUS>\n"
             u"<STMTRS>\n<CURDEF>BRL\n<BANKACCTFROM>\n<BANKID>0999\n<ACCTID>12345-6\n<ACCTTYPE>CHECKING\n"
             u"</BANKACCTFROM>\n<BANKTRANLIST>\n<DTSTART>20260101000000[-3:BRT]\n<DTEND>20260331000000[-3:BRT]\n"_s;
}

const QString FimSgml = u"</BANKTRANLIST>\n<LEDGERBAL>\n<BALAMT>1234.56\n<DTASOF>20260331\n</LEDGERBAL>\n"
                        u"</STMTRS>\n</STMTTRNRS>\n</BANKMSGSRSV1>\n</OFX>\n"_s;

// One STMTTRN with no closing tags on its leaves. The description goes in
// MEMO, in NAME, or in MEMO beside a NAME it wins over; now and then with
// its blanks doubled.
QString transacaoSgml(Sorteio &s, const LinhaExtrato &l, const QString &fitid, QChar decimal)
{
    QString descricao = l.descricao;
    if (s.chance(10))
        descricao = u"  " + descricao.replace(u' ', u"  "_s) + u' ';
    descricao = escapaSgml(descricao);
    QString t = u"<STMTTRN>\n<TRNTYPE>"_s + (l.centavos < 0 ? u"DEBIT"_s : u"CREDIT"_s) + u"\n<DTPOSTED>"
                + dtposted(s, l.data) + u"\n<TRNAMT>" + valorTexto(l.centavos, decimal) + u"\n<FITID>" + fitid
                + u'\n';
    if (s.chance(30))
        t += u"<CHECKNUM>%1\n"_s.arg(s.entre(1, 999999));
    switch (s.entre(0, 2)) {
    case 0: t += u"<MEMO>" + descricao + u'\n'; break;
    case 1: t += u"<NAME>" + descricao + u'\n'; break;
    default: t += u"<NAME>PAGAMENTO\n<MEMO>" + descricao + u'\n'; break;
    }
    return t + u"</STMTTRN>\n";
}

QByteArray windows1252(const QString &texto)
{
    QStringEncoder codificador("windows-1252");
    if (!codificador.isValid())
        codificador = QStringEncoder(QStringEncoder::Latin1);
    return codificador.encode(texto);
}

} // namespace

ExtratoExemplo ofxSgml(std::uint64_t semente, int linhas)
{
    Sorteio s(semente);
    ExtratoExemplo e{{}, sorteiaLinhas(s, linhas)};
    QString texto = inicioSgml();
    for (const LinhaExtrato &l : e.linhas)
        texto += transacaoSgml(s, l, l.identidade, s.chance(20) ? u',' : u'.');
    texto += FimSgml;
    e.bytes = windows1252(texto.replace(u'\n', u"\r\n"_s));
    return e;
}

ExtratoExemplo ofxXml(std::uint64_t semente, int linhas)
{
    Sorteio s(semente);
    ExtratoExemplo e{{}, sorteiaLinhas(s, linhas)};
    const auto escapa = [](QString t) { return escapaSgml(std::move(t)); };
    QString texto = u"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                    u"<?OFX OFXHEADER=\"200\" VERSION=\"220\" SECURITY=\"NONE\" OLDFILEUID=\"NONE\" "
                    u"NEWFILEUID=\"NONE\"?>\n<OFX>\n  <SIGNONMSGSRSV1><SONRS><STATUS><CODE>0</CODE>"
                    u"<SEVERITY>INFO</SEVERITY></STATUS><DTSERVER>20260401100000[-3:BRT]</DTSERVER>"
                    u"<LANGUAGE>POR</LANGUAGE></SONRS></SIGNONMSGSRSV1>\n  <CREDITCARDMSGSRSV1><CCSTMTTRNRS>"
                    u"<TRNUID>1</TRNUID><STATUS><CODE>0</CODE><SEVERITY>INFO</SEVERITY></STATUS>\n"
                    u"    <CCSTMTRS><CURDEF>BRL</CURDEF><CCACCTFROM><ACCTID>5555666677778888</ACCTID></CCACCTFROM>\n"
                    u"      <BANKTRANLIST><DTSTART>20260101</DTSTART><DTEND>20260331</DTEND>\n"_s;
    for (const LinhaExtrato &l : e.linhas) {
        texto += u"        <STMTTRN><TRNTYPE>"_s + (l.centavos < 0 ? u"DEBIT"_s : u"CREDIT"_s)
                 + u"</TRNTYPE><DTPOSTED>" + dtposted(s, l.data) + u"</DTPOSTED><TRNAMT>"
                 + valorTexto(l.centavos, u'.') + u"</TRNAMT><FITID>" + l.identidade + u"</FITID><NAME>"
                 + escapa(l.descricao) + u"</NAME></STMTTRN>\n";
    }
    texto += u"      </BANKTRANLIST>\n      <LEDGERBAL><BALAMT>-321.00</BALAMT><DTASOF>20260331</DTASOF></LEDGERBAL>\n"
             u"    </CCSTMTRS>\n  </CCSTMTTRNRS></CREDITCARDMSGSRSV1>\n</OFX>\n"_s;
    e.bytes = texto.toUtf8();
    return e;
}

ExtratoExemplo ofxSaldos(std::uint64_t semente)
{
    Sorteio s(semente);
    ExtratoExemplo e{{}, sorteiaLinhas(s, 10)};
    // FITIDs: line 1 empty, line 2 without the tag, lines 3 and 4 the same
    // one; line 6 copies line 5 but for its FITID, left empty on both.
    e.linhas[5] = e.linhas[4];
    QStringList fitids;
    for (qsizetype i = 0; i < e.linhas.size(); ++i)
        fitids << e.linhas[i].identidade;
    fitids[0] = fitids[1] = QString();
    fitids[3] = fitids[2];
    fitids[4] = fitids[5] = QString();
    for (const qsizetype i : {0, 1, 2, 3, 4, 5})
        e.linhas[i].identidade.clear();

    QString texto = inicioSgml();
    const QDate primeiro = e.linhas.front().data;
    texto += u"<STMTTRN>\n<TRNTYPE>OTHER\n<DTPOSTED>%1\n<TRNAMT>1500.00\n<FITID>\n<MEMO>SALDO ANTERIOR\n</STMTTRN>\n"_s
                 .arg(primeiro.toString(u"yyyyMMdd"_s));
    for (qsizetype i = 0; i < e.linhas.size(); ++i) {
        QString t = transacaoSgml(s, e.linhas[i], fitids[i], u'.');
        if (i == 1)
            t.remove(u"<FITID>\n"_s);
        texto += t;
        if (i == 6)
            texto += u"<STMTTRN>\n<TRNTYPE>OTHER\n<DTPOSTED>%1\n<TRNAMT>0\n<FITID>\n<NAME>Saldo do dia\n</STMTTRN>\n"_s
                         .arg(e.linhas[i].data.toString(u"yyyyMMdd"_s));
    }
    e.bytes = (texto + FimSgml).toUtf8();
    extrato::completaIdentidades(e.linhas);
    return e;
}

ExtratoExemplo csvPontoEVirgula(std::uint64_t semente, int linhas)
{
    Sorteio s(semente);
    ExtratoExemplo e{{}, sorteiaLinhas(s, linhas)};
    QString texto = u"\uFEFFExtrato de conta corrente\r\nAgência: 0999;Conta: 12345-6\r\n\r\n"
                    u"Data;Histórico;Documento;Valor (R$);Saldo (R$)\r\n"_s;
    texto += e.linhas.front().data.toString(u"dd/MM/yyyy"_s) + u";SALDO ANTERIOR;;;1.500,00\r\n";
    qint64 saldo = 150000;
    for (qsizetype i = 0; i < e.linhas.size(); ++i) {
        LinhaExtrato &l = e.linhas[i];
        saldo += l.centavos;
        if (i == 0 || s.chance(15)) // a ';' and quotes inside the quotes
            l.descricao += u"; \"à vista\""_s;
        l.identidade.clear();
        texto += l.data.toString(u"dd/MM/yyyy"_s) + u";\"" + QString(l.descricao).replace(u'"', u"\"\""_s)
                 + u"\";" + QString::number(s.entre(1000, 99999)) + u';' + valorTexto(l.centavos, u',', true) + u';'
                 + valorTexto(saldo, u',', true) + u"\r\n";
    }
    e.bytes = texto.toUtf8();
    extrato::completaIdentidades(e.linhas);
    return e;
}

} // namespace cofrel::exemplo
