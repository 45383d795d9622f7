#include "ledger/leitor_sgml.h"

#include "ledger/extrato_comum.h"

namespace cofrel {

namespace {

bool fimDeValor(QChar c)
{
    return c == u'<' || c == u'\n' || c == u'\r';
}

// The character of a numeric reference ("#233", "#xE9"), or none when it
// names no character a text may hold.
QString caractereNumerico(QStringView ref)
{
    const bool hexa = ref.size() > 1 && (ref[1] == u'x' || ref[1] == u'X');
    bool ok = false;
    const uint codigo = ref.sliced(hexa ? 2 : 1).toUInt(&ok, hexa ? 16 : 10);
    if (!ok || codigo == 0 || codigo > 0x10FFFF || QChar::isSurrogate(codigo))
        return {};
    const char32_t c = codigo;
    return QString::fromUcs4(&c, 1);
}

QString entidade(QStringView nome)
{
    if (nome.startsWith(u'#'))
        return caractereNumerico(nome);
    if (nome == u"amp")
        return QStringLiteral("&");
    if (nome == u"lt")
        return QStringLiteral("<");
    if (nome == u"gt")
        return QStringLiteral(">");
    if (nome == u"quot")
        return QStringLiteral("\"");
    if (nome == u"apos")
        return QStringLiteral("'");
    if (nome == u"nbsp")
        return QString(QChar(0xA0));
    return {};
}

} // namespace

QString decodificaEntidades(QStringView texto)
{
    if (!texto.contains(u'&'))
        return texto.toString();
    constexpr qsizetype MaiorNome = 10; // "#x10FFFF" and room
    QString saida;
    saida.reserve(texto.size());
    qsizetype i = 0;
    while (i < texto.size()) {
        const qsizetype e = texto.indexOf(u'&', i);
        if (e < 0) {
            saida += texto.sliced(i);
            break;
        }
        saida += texto.sliced(i, e - i);
        const qsizetype fim = texto.sliced(e, std::min(texto.size() - e, MaiorNome + 2)).indexOf(u';');
        const QString c = fim > 1 ? entidade(texto.sliced(e + 1, fim - 1)) : QString();
        if (c.isEmpty()) {
            saida += u'&';
            i = e + 1;
        } else {
            saida += c;
            i = e + fim + 1;
        }
    }
    return saida;
}

void LeitorSgml::avancaAte(qsizetype posicao)
{
    m_linha += int(m_texto.sliced(m_pos, posicao - m_pos).count(u'\n'));
    m_pos = posicao;
}

LeitorSgml::Marca LeitorSgml::proxima()
{
    const qsizetype tamanho = m_texto.size();
    for (;;) {
        const qsizetype abre = m_texto.indexOf(u'<', m_pos);
        if (abre < 0) {
            avancaAte(tamanho);
            return {Tipo::Fim, {}, {}, m_linha};
        }
        avancaAte(abre);
        const QStringView resto = m_texto.sliced(abre);
        if (resto.startsWith(u"<!") || resto.startsWith(u"<?")) {
            const bool comentario = resto.startsWith(u"<!--");
            const qsizetype fim = comentario ? resto.indexOf(u"-->", 4) : resto.indexOf(u'>');
            if (fim < 0)
                extrato::recusaCortado(m_linha);
            avancaAte(abre + fim + (comentario ? 3 : 1));
            continue;
        }
        // A tag's name does not cross a line nor hold a '<': such a '<' is
        // a stray one in the text.
        qsizetype fecha = abre + 1;
        while (fecha < tamanho && m_texto[fecha] != u'>' && !fimDeValor(m_texto[fecha]))
            ++fecha;
        if (fecha == tamanho)
            extrato::recusaCortado(m_linha);
        if (m_texto[fecha] != u'>') {
            avancaAte(abre + 1);
            continue;
        }
        const int linhaDaMarca = m_linha;
        QStringView dentro = m_texto.sliced(abre + 1, fecha - abre - 1).trimmed();
        avancaAte(fecha + 1);
        const bool ehFim = dentro.startsWith(u'/');
        if (ehFim)
            dentro = dentro.sliced(1);
        else if (dentro.endsWith(u'/'))
            dentro.chop(1); // <TAG/>, an empty element
        qsizetype n = 0;
        while (n < dentro.size() && !dentro[n].isSpace())
            ++n;
        const QStringView nome = dentro.first(n); // attributes, if any, ignored
        if (nome.isEmpty())
            continue;
        if (ehFim)
            return {Tipo::Fecha, nome, {}, linhaDaMarca};
        qsizetype fimValor = m_pos;
        while (fimValor < tamanho && !fimDeValor(m_texto[fimValor]))
            ++fimValor;
        const QStringView valor = m_texto.sliced(m_pos, fimValor - m_pos).trimmed();
        avancaAte(fimValor);
        if (valor.isEmpty())
            return {Tipo::Abre, nome, {}, linhaDaMarca};
        return {Tipo::Folha, nome, decodificaEntidades(valor), linhaDaMarca};
    }
}

} // namespace cofrel
