#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// What the crash writer tells whoever watches it, one line per event on
// standard output, each written whole and at once, so a line that arrived
// was written before the process died:
//
//   PRONTO                 the set-up is done; the writes start now
//   B {operation}          an operation starts (what it will store)
//   A {result}             that operation returned: everything it stored is
//                          committed ("id" / "numero": what the engine assigned)
//   E {"erro": text}       an operation failed; the writer stops
//   PASSOS n               (single-step modes) the steps the work took
//
// Operations ("op"): "usuario" (nome, senha in Latin-1), "apaga_usuario"
// (numero), "lancamento" (u, data, cat, desc, centavos), "altera" (u, id,
// data, cat, desc, centavos), "apaga" (u, id), "plano" (u, dia, data, cat,
// desc, centavos), "vencido" (u, plano, nova_data, ok; with ok the booking
// data, cat, desc, centavos). Dates are ISO text; amounts are signed cents.
namespace cofrel::crashwriter {

inline constexpr QLatin1String Pronto{"PRONTO"};
inline constexpr QLatin1String Passos{"PASSOS "};

inline QByteArray linha(char tipo, const QJsonObject &objeto)
{
    return QByteArray(1, tipo) + ' ' + QJsonDocument(objeto).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace cofrel::crashwriter
