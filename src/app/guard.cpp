#include "app/guard.h"

#include "app/errors.h"
#include "app/interaction.h"

#include <QString>

namespace cofrel {

void reportError(const std::exception &error) noexcept
{
    try {
        if (const auto *ours = dynamic_cast<const Error *>(&error))
            interaction().error(ours->message(), ours->details());
        else
            interaction().error(QStringLiteral("Erro inesperado."), QString::fromLocal8Bit(error.what()));
    } catch (...) {
        // The error handler itself must never throw into the event loop.
    }
}

void reportUnknownError() noexcept
{
    try {
        interaction().error(QStringLiteral("Erro inesperado."), {});
    } catch (...) {
    }
}

} // namespace cofrel
