#pragma once

#include "support/linhas.h"
#include "support/modal.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

// What the reliability tests look at, read straight from the files with
// connections of their own, never through the program's data layer.
namespace cofrel::test {

struct UsuarioGravado {
    QString nome;
    QByteArray senha; // decoded
    QMap<qint64, Lancamento> lancamentos; // by number; amounts to the cent
    QMap<qint64, Lancamento> plano;
    bool operator==(const UsuarioGravado &) const = default;
};

// Everything the data folder holds, by user number.
using Estado = QMap<int, UsuarioGravado>;

// Reads the registry and every registered user's two tables. Throws
// std::runtime_error when a file is missing or cannot be read (a user
// without files is a half-made user).
Estado leEstado(const QString &pastaDados);

// One line per row, sorted: for comparing and for showing a difference.
QStringList descreve(const Estado &estado);
// The first lines where two states differ, for a failure message.
QString diferenca(const Estado &esperado, const Estado &real);

// "ok" or what PRAGMA integrity_check (or opening the file) said.
QString integridade(const QString &arquivo);

// Every file of the folder (hidden ones too) with a hash of its bytes.
QMap<QString, QByteArray> impressoes(const QString &pasta);

// Copies every file of \a de into \a para, replacing what is there and
// removing files \a de does not hold.
void copiaPasta(const QString &de, const QString &para);

// Runs \a sql on its own connection to \a arquivo; the first column of the
// first row.
QVariant consultaUm(const QString &arquivo, const QString &sql);

} // namespace cofrel::test
