#include "accounts/campo_senha.h"

#include <QLineEdit>
#include <QValidator>

namespace cofrel {

namespace {

class ValidadorLatin1 final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        for (const QChar c : std::as_const(input)) {
            if (c.unicode() > 0xFF)
                return Invalid;
        }
        return Acceptable;
    }
};

} // namespace

QLineEdit *criaCampoSenha(QWidget *parent, const QString &nome, const QRect &limites, int maximo)
{
    auto *campo = new QLineEdit(parent);
    campo->setObjectName(nome);
    campo->setGeometry(limites);
    campo->setEchoMode(QLineEdit::Password);
    campo->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    campo->setValidator(new ValidadorLatin1(campo));
    if (maximo > 0)
        campo->setMaxLength(maximo);
    return campo;
}

QByteArray bytesDaSenha(const QLineEdit *campo)
{
    return campo->text().toLatin1();
}

} // namespace cofrel
