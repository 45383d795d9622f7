#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

class QLineEdit;
class QWidget;

namespace cofrel {

// A password box: shows "*" for every character and refuses any character
// outside Latin-1, so each character is one byte of the scrambled form.
// \a maximo limits the number of characters (0: no limit of ours).
QLineEdit *criaCampoSenha(QWidget *parent, const QString &nome, const QRect &limites, int maximo = 0);

// The bytes a password box holds (its text in Latin-1).
QByteArray bytesDaSenha(const QLineEdit *campo);

} // namespace cofrel
