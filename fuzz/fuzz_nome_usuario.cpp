// User names of any Unicode and any length, through the registry as the
// new-user and login windows use it: the name's key, the row written with
// the name bound as a parameter, found again by the name and read back
// unchanged. Each input's row is rolled back, so the registry stays empty.
#include "apoio_fuzz.h"

#include "accounts/senha.h"
#include "data/database.h"
#include "data/schema.h"
#include "data/tables.h"
#include "data/templates.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <memory>

namespace {

using namespace Qt::StringLiterals;
using cofrel::fuzz::exige;
namespace data = cofrel::data;

std::unique_ptr<QTemporaryDir> &pasta()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

std::unique_ptr<data::Database> &banco()
{
    static std::unique_ptr<data::Database> db;
    return db;
}

void confere(const QString &nome)
{
    const QString chave = data::foldedKey(nome);
    exige(data::foldedKey(nome) == chave, "a chave muda de uma vez para outra");

    data::UserTable usuarios(*banco());
    data::Transaction transacao(*banco(), {QString(data::UserTable::FileName)}); // never committed
    // The new-user window's lookup, on an empty registry.
    exige(!usuarios.find(QLocale().toUpper(nome)) && !usuarios.find(nome), "achou num registro vazio");
    usuarios.insert(nome, cofrel::CodificaSenha("x"));
    const std::optional<data::UserTable::Usuario> achado = usuarios.find(nome);
    exige(achado.has_value(), "o nome gravado não se acha");
    // What is not text (U+FFFF, a lone surrogate) is stored as U+FFFD.
    exige(achado->nome == data::storableText(nome), "o nome não volta igual");
    exige(usuarios.names().size() == 1, "uma linha só");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    cofrel::fuzz::iniciaQt();
    // In memory where there is a tmpfs: the engine syncs every write.
    const QString base = QDir(u"/dev/shm"_s).exists() ? u"/dev/shm/cofrel-fuzz-XXXXXX"_s : QString();
    pasta() = base.isEmpty() ? std::make_unique<QTemporaryDir>() : std::make_unique<QTemporaryDir>(base);
    data::createTemplates(pasta()->filePath(u"dados"_s));
    banco() = std::make_unique<data::Database>(pasta()->filePath(u"dados"_s));
    std::atexit([] {
        banco().reset();
        pasta().reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    confere(cofrel::fuzz::comoUtf8(dados, tamanho));
    return 0;
}
