#include "ledger/leitor_ofx.h"

#include "ledger/extrato_comum.h"
#include "ledger/leitor_sgml.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace cofrel {

namespace {

// The tags the reader acts on; every other is Outra.
enum class Marca {
    Ofx,
    BankTranList,
    StmtTrn,
    DtPosted,
    TrnAmt,
    FitId,
    Name,
    Memo,
    // Tags that only come after a statement's transaction list: seeing one
    // ends the list even when the bank left it open.
    DepoisDaLista,
    Outra,
};

Marca marcaDe(QStringView nome)
{
    struct Par {
        QStringView nome;
        Marca marca;
    };
    static constexpr Par Marcas[] = {
        {u"OFX", Marca::Ofx},
        {u"BANKTRANLIST", Marca::BankTranList},
        {u"STMTTRN", Marca::StmtTrn},
        {u"DTPOSTED", Marca::DtPosted},
        {u"TRNAMT", Marca::TrnAmt},
        {u"FITID", Marca::FitId},
        {u"NAME", Marca::Name},
        {u"MEMO", Marca::Memo},
        {u"LEDGERBAL", Marca::DepoisDaLista},
        {u"AVAILBAL", Marca::DepoisDaLista},
        {u"STMTRS", Marca::DepoisDaLista},
        {u"CCSTMTRS", Marca::DepoisDaLista},
        {u"STMTTRNRS", Marca::DepoisDaLista},
        {u"CCSTMTTRNRS", Marca::DepoisDaLista},
        {u"BANKMSGSRSV1", Marca::DepoisDaLista},
        {u"CREDITCARDMSGSRSV1", Marca::DepoisDaLista},
    };
    for (const Par &p : Marcas) {
        if (nome.size() == p.nome.size() && nome.compare(p.nome, Qt::CaseInsensitive) == 0)
            return p.marca;
    }
    return Marca::Outra;
}

bool ehFolha(Marca m)
{
    return m == Marca::DtPosted || m == Marca::TrnAmt || m == Marca::FitId || m == Marca::Name
           || m == Marca::Memo;
}

// One STMTTRN as written; the first of each leaf counts.
struct TransacaoOfx {
    int linha = 0;
    std::optional<QString> dtposted, trnamt, fitid, name, memo;
};

std::optional<QDate> dataOfx(QStringView texto)
{
    if (texto.size() < 8)
        return std::nullopt;
    for (const QChar c : texto.first(8)) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    // yyyymmdd; the time and the zone that may follow do not move the day.
    return extrato::dataValida(texto.first(4).toInt(), texto.sliced(4, 2).toInt(), texto.sliced(6, 2).toInt());
}

std::optional<qint64> valorOfx(QStringView texto)
{
    return extrato::leCentavos(texto, texto.contains(u',') ? u',' : u'.');
}

// Builds the lines from the tags of either reader, in the file's order.
class ColetorOfx final {
public:
    void abre(Marca m, int linha)
    {
        switch (m) {
        case Marca::Ofx:
            m_achouOfx = true;
            break;
        case Marca::BankTranList:
            encerraTransacao();
            m_naLista = true;
            break;
        case Marca::StmtTrn:
            encerraTransacao();
            if (m_naLista)
                m_atual = TransacaoOfx{linha, {}, {}, {}, {}, {}};
            break;
        case Marca::DepoisDaLista:
            encerraLista();
            break;
        default:
            break;
        }
    }

    void fecha(Marca m)
    {
        switch (m) {
        case Marca::StmtTrn:
            encerraTransacao();
            break;
        case Marca::BankTranList:
        case Marca::DepoisDaLista:
            encerraLista();
            break;
        case Marca::Ofx:
            encerraLista();
            m_terminou = true;
            break;
        default:
            break;
        }
    }

    bool querFolha() const { return m_atual.has_value(); }

    void folha(Marca m, QString valor)
    {
        if (!m_atual)
            return;
        std::optional<QString> *campo = nullptr;
        switch (m) {
        case Marca::DtPosted: campo = &m_atual->dtposted; break;
        case Marca::TrnAmt: campo = &m_atual->trnamt; break;
        case Marca::FitId: campo = &m_atual->fitid; break;
        case Marca::Name: campo = &m_atual->name; break;
        case Marca::Memo: campo = &m_atual->memo; break;
        default: return;
        }
        if (!campo->has_value())
            *campo = std::move(valor).trimmed();
    }

    bool achouOfx() const { return m_achouOfx; }
    bool terminou() const { return m_terminou; }
    QList<LinhaExtrato> &linhas() { return m_linhas; }

private:
    void encerraLista()
    {
        encerraTransacao();
        m_naLista = false;
    }

    void encerraTransacao();
    [[noreturn]] void recusaTransacao(const TransacaoOfx &t, const QString &semCampo, const QString &ilegivel,
                                      const QString &campo, const std::optional<QString> &valor) const;

    std::optional<TransacaoOfx> m_atual;
    QList<LinhaExtrato> m_linhas;
    int m_transacoes = 0;
    bool m_naLista = false;
    bool m_achouOfx = false;
    bool m_terminou = false;
};

// The message names the transaction by its place among the file's and by
// its line; the detail names the tag.
void ColetorOfx::recusaTransacao(const TransacaoOfx &t, const QString &semCampo, const QString &ilegivel,
                                 const QString &campo, const std::optional<QString> &valor) const
{
    const QString onde = u"A transação %1 do extrato (linha %2 do arquivo) "_s.arg(m_transacoes).arg(t.linha);
    if (!valor || valor->isEmpty())
        extrato::recusa(onde + semCampo + u'.', campo);
    extrato::recusa(onde + ilegivel + u": «" + extrato::trecho(*valor) + u"».", campo);
}

void ColetorOfx::encerraTransacao()
{
    if (!m_atual)
        return;
    const TransacaoOfx t = std::move(*m_atual);
    m_atual.reset();
    if (++m_transacoes > MaximoLinhasExtrato)
        extrato::recusa(
            u"O extrato tem mais de %1 transações: não é o extrato de uma pessoa."_s.arg(MaximoLinhasExtrato));
    const std::optional<QDate> data = dataOfx(t.dtposted.value_or(QString()));
    if (!data)
        recusaTransacao(t, u"não tem data"_s, u"tem uma data inválida"_s, u"DTPOSTED"_s, t.dtposted);
    const std::optional<qint64> centavos = valorOfx(t.trnamt.value_or(QString()));
    if (!centavos)
        recusaTransacao(t, u"não tem valor"_s, u"tem um valor inválido"_s, u"TRNAMT"_s, t.trnamt);
    QString descricao = extrato::limpaDescricao(t.memo.value_or(QString()));
    if (descricao.isEmpty())
        descricao = extrato::limpaDescricao(t.name.value_or(QString()));
    if (extrato::ehLinhaDeSaldo(descricao))
        return;
    m_linhas.append({*data, *centavos, std::move(descricao), t.fitid.value_or(QString())});
}

bool ehXml(QStringView texto)
{
    return texto.startsWith(u"<?xml", Qt::CaseInsensitive) || texto.startsWith(u"<?OFX", Qt::CaseInsensitive);
}

QStringView semBrancosNoInicio(QStringView texto)
{
    qsizetype i = 0;
    while (i < texto.size() && (texto[i].isSpace() || texto[i] == QChar::ByteOrderMark))
        ++i;
    return texto.sliced(i);
}

void leSgml(QStringView texto, ColetorOfx &coletor)
{
    LeitorSgml leitor(texto);
    while (!coletor.terminou()) {
        LeitorSgml::Marca marca = leitor.proxima();
        switch (marca.tipo) {
        case LeitorSgml::Tipo::Abre: coletor.abre(marcaDe(marca.nome), marca.linha); break;
        case LeitorSgml::Tipo::Fecha: coletor.fecha(marcaDe(marca.nome)); break;
        case LeitorSgml::Tipo::Folha: {
            // A leaf named like an aggregate (<STMTTRN> followed by text on
            // its line) still opens it.
            const Marca m = marcaDe(marca.nome);
            if (ehFolha(m))
                coletor.folha(m, std::move(marca.valor));
            else
                coletor.abre(m, marca.linha);
            break;
        }
        case LeitorSgml::Tipo::Fim:
            if (!coletor.achouOfx())
                extrato::recusaNaoExtrato();
            extrato::recusaCortado(leitor.linha());
        }
    }
}

// False when the text is not well-formed XML (the tolerant reader then
// has its turn); throws when it is cut short.
bool leXml(const QString &texto, ColetorOfx &coletor)
{
    QXmlStreamReader xml(texto);
    while (!coletor.terminou() && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            const Marca m = marcaDe(xml.name());
            if (ehFolha(m) && coletor.querFolha())
                coletor.folha(m, xml.readElementText(QXmlStreamReader::SkipChildElements));
            else
                coletor.abre(m, int(xml.lineNumber()));
            break;
        }
        case QXmlStreamReader::EndElement: coletor.fecha(marcaDe(xml.name())); break;
        default: break;
        }
    }
    if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        extrato::recusaCortado(int(xml.lineNumber()));
    if (xml.hasError())
        return false;
    if (!coletor.achouOfx())
        extrato::recusaNaoExtrato();
    if (!coletor.terminou())
        extrato::recusaCortado(int(xml.lineNumber()));
    return true;
}

} // namespace

bool pareceOfx(QStringView texto)
{
    texto = semBrancosNoInicio(texto);
    if (texto.startsWith(u"OFXHEADER", Qt::CaseInsensitive) || ehXml(texto))
        return true;
    // Without the header: the <OFX> tag first, or soon after a header of
    // some other shape; no CSV holds it.
    constexpr qsizetype Inicio = 64 * 1024;
    return texto.first(std::min(texto.size(), Inicio)).contains(u"<OFX>", Qt::CaseInsensitive);
}

QList<LinhaExtrato> leOfx(const QString &texto)
{
    ColetorOfx coletor;
    if (!ehXml(semBrancosNoInicio(texto)) || !leXml(texto, coletor)) {
        coletor = ColetorOfx();
        leSgml(texto, coletor);
    }
    QList<LinhaExtrato> &linhas = coletor.linhas();
    if (linhas.isEmpty())
        extrato::recusaSemTransacao();
    extrato::completaIdentidades(linhas);
    return std::move(linhas);
}

} // namespace cofrel
