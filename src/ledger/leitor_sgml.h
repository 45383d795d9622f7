#pragma once

#include <QString>
#include <QStringView>

// The tags of an OFX 1.x file, one by one. The format is SGML without its
// DTD: a leaf's value runs to the next tag or the end of the line and needs
// no closing tag; aggregates are opened by a tag with no value and closed
// (or not, by sloppy banks) by their end tag. Anything before the first
// tag (the "KEY:value" header) and text between tags are skipped; comments,
// declarations and processing instructions too. Linear in the text; no
// copy but the leaf values with entities.
namespace cofrel {

class LeitorSgml final {
public:
    enum class Tipo { Abre, Fecha, Folha, Fim };
    struct Marca {
        Tipo tipo = Tipo::Fim;
        QStringView nome; // as written; compare ignoring case
        QString valor;    // a leaf's, trimmed, entities decoded
        int linha = 0;    // the tag's line, from 1
    };

    explicit LeitorSgml(QStringView texto) : m_texto(texto) {}

    // The next tag; Fim after the last. Throws cofrel::Error (the file is
    // cut) when the text ends inside a tag.
    Marca proxima();
    int linha() const { return m_linha; }

private:
    void avancaAte(qsizetype posicao);

    QStringView m_texto;
    qsizetype m_pos = 0;
    int m_linha = 1;
};

// &amp; &lt; &gt; &quot; &apos; &nbsp; and numeric references (&#233;
// &#xE9;) decoded; anything else that starts with '&' is kept as written.
QString decodificaEntidades(QStringView texto);

} // namespace cofrel
