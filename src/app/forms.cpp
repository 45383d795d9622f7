#include "app/forms.h"

#include "app/errors.h"

namespace cofrel {

Forms &forms()
{
    static Forms instances;
    return instances;
}

TDados &dados()
{
    if (!forms().Dados)
        throw Error(QStringLiteral("O módulo de dados ainda não foi criado."));
    return *forms().Dados;
}

} // namespace cofrel
