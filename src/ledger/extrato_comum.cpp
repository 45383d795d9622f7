#include "ledger/extrato_comum.h"

#include "app/errors.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace cofrel::extrato {

namespace {

// 10^13 reais, LimiteValor: whole parts of 13 digits and more are refused.
constexpr int MaximoDigitosInteiros = 13;
constexpr int TamanhoMaximoFitid = 255;

bool ehDigito(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString chaveAutomatica(const LinhaExtrato &linha)
{
    return u"auto:"_s + linha.data.toString(u"yyyyMMdd"_s) + u':' + QString::number(linha.centavos) + u':'
           + linha.descricao;
}

} // namespace

std::optional<qint64> leCentavos(QStringView texto, QChar decimal, QChar milhar)
{
    texto = texto.trimmed();
    bool negativo = false;
    if (!texto.isEmpty() && (texto.front() == u'-' || texto.front() == u'+')) {
        negativo = texto.front() == u'-';
        texto = texto.sliced(1);
    }
    qint64 reais = 0;
    int digitosInteiros = 0; // significant ones, past leading zeros
    int digitos = 0;
    qsizetype i = 0;
    for (; i < texto.size() && texto[i] != decimal; ++i) {
        const QChar c = texto[i];
        if (!milhar.isNull() && c == milhar && digitos > 0)
            continue;
        if (!ehDigito(c))
            return std::nullopt;
        ++digitos;
        if (reais == 0 && c == u'0')
            continue;
        if (++digitosInteiros >= MaximoDigitosInteiros + 1)
            return std::nullopt;
        reais = reais * 10 + (c.unicode() - u'0');
    }
    qint64 centavos = 0;
    if (i < texto.size()) { // past the decimal separator
        for (qsizetype j = i + 1, casa = 0; j < texto.size(); ++j, ++casa) {
            const QChar c = texto[j];
            if (!ehDigito(c))
                return std::nullopt;
            ++digitos;
            if (casa < 2)
                centavos += (c.unicode() - u'0') * (casa == 0 ? 10 : 1);
            else if (c != u'0')
                return std::nullopt; // a fraction of a cent
        }
    }
    if (digitos == 0)
        return std::nullopt;
    const qint64 total = reais * 100 + centavos;
    return negativo ? -total : total;
}

std::optional<QDate> dataValida(int ano, int mes, int dia)
{
    const QDate data(ano, mes, dia);
    if (ano < 1 || !data.isValid())
        return std::nullopt;
    return data;
}

QString limpaDescricao(QStringView texto)
{
    QString limpo = texto.toString();
    for (QChar &c : limpo) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)) // C0, DEL and C1 controls
            c = u' ';
    }
    limpo = std::move(limpo).simplified();
    if (limpo.size() > TamanhoDescricaoExtrato) {
        qsizetype corte = TamanhoDescricaoExtrato;
        if (limpo[corte - 1].isHighSurrogate())
            --corte;
        limpo.truncate(corte);
        limpo = std::move(limpo).trimmed();
    }
    return limpo;
}

bool ehLinhaDeSaldo(QStringView descricao)
{
    constexpr QStringView Saldo = u"SALDO";
    descricao = descricao.trimmed();
    return descricao.startsWith(Saldo, Qt::CaseInsensitive)
           && (descricao.size() == Saldo.size() || !descricao[Saldo.size()].isLetterOrNumber());
}

void completaIdentidades(QList<LinhaExtrato> &linhas)
{
    QHash<QString, int> usos;
    for (const LinhaExtrato &l : linhas) {
        if (!l.identidade.isEmpty())
            ++usos[l.identidade];
    }
    const auto precisaChave = [&](const LinhaExtrato &l) {
        return l.identidade.isEmpty() || l.identidade.size() > TamanhoMaximoFitid || usos.value(l.identidade) > 1;
    };
    if (!std::any_of(linhas.cbegin(), linhas.cend(), precisaChave))
        return;
    // n counts every line with the same date, amount and description, in
    // the file's order: a later statement covering the same days gives the
    // same keys, and two identical coffees on one day stay two lines.
    QHash<QString, int> iguais;
    for (LinhaExtrato &l : linhas) {
        const QString chave = chaveAutomatica(l);
        const int n = ++iguais[chave];
        if (precisaChave(l))
            l.identidade = chave + u':' + QString::number(n);
    }
}

QString trecho(QStringView texto)
{
    constexpr qsizetype Maximo = 40;
    texto = texto.trimmed();
    if (texto.size() <= Maximo)
        return texto.toString();
    qsizetype corte = Maximo;
    if (texto[corte - 1].isHighSurrogate())
        --corte;
    return texto.first(corte).toString() + u'…';
}

void recusa(const QString &motivo, const QString &detalhe)
{
    throw Error(motivo, detalhe);
}

void recusaNaoExtrato()
{
    recusa(u"O arquivo não é um extrato do banco em OFX nem em CSV."_s);
}

void recusaCortado(int linha)
{
    recusa(u"O extrato está incompleto: o arquivo termina antes do fim (linha %1). "
           u"Baixe o extrato do banco de novo."_s.arg(linha));
}

void recusaSemTransacao()
{
    recusa(u"O extrato não tem nenhuma transação."_s);
}

} // namespace cofrel::extrato
