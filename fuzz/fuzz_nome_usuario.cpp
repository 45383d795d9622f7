// User names of any Unicode and any length, through the registry as the
// new-user and login windows use it: the name's key, the row written with
// the name bound as a parameter, found again by the name and read back
// unchanged. Each input's row is rolled back, so the registry stays empty.
#include "apoio_fuzz.h"

#include "accounts/senha.h"
#include "data/conversions.h"
#include "data/database.h"
#include "data/layouts.h"
#include "data/table.h"
#include "data/templates.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <memory>

namespace {

using namespace Qt::StringLiterals;
using cofrel::fuzz::exige;

const QString Alias = u"CofrelFuzz"_s;

std::unique_ptr<QTemporaryDir> &pasta()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

void confere(const QString &nome)
{
    const QString chave = cofrel::data::foldedKey(nome);
    exige(cofrel::data::foldedKey(nome) == chave, "a chave muda de uma vez para outra");

    cofrel::data::Database &db = cofrel::data::Database::forAlias(Alias);
    cofrel::data::Table usuarios(Alias, u"users.db"_s);
    usuarios.setIndexName(u"users"_s);
    cofrel::data::TableCloser fecha(usuarios);
    usuarios.open();
    cofrel::data::Transaction transacao(db); // never committed
    // The new-user window's lookup, on an empty registry.
    exige(!usuarios.findKey(QLocale().toUpper(nome)) && !usuarios.findKey(nome), "achou num registro vazio");
    usuarios.insert();
    usuarios.fieldByName(u"User"_s).setString(nome);
    usuarios.fieldByName(u"Senha"_s).setBytes(cofrel::CodificaSenha("x"));
    usuarios.post();
    exige(usuarios.findKey(nome), "o nome gravado não se acha");
    // What is not text (U+FFFF, a lone surrogate) is stored as U+FFFD.
    exige(usuarios.fieldByName(u"User"_s).asString() == cofrel::data::storableText(nome), "o nome não volta igual");
    exige(usuarios.recordCount() == 1, "uma linha só");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    cofrel::fuzz::iniciaQt();
    // In memory where there is a tmpfs: the engine syncs every write.
    const QString base = QDir(u"/dev/shm"_s).exists() ? u"/dev/shm/cofrel-fuzz-XXXXXX"_s : QString();
    pasta() = base.isEmpty() ? std::make_unique<QTemporaryDir>() : std::make_unique<QTemporaryDir>(base);
    cofrel::data::createTemplates(pasta()->filePath(u"dados"_s));
    cofrel::data::Database::setAliasFolder(Alias, pasta()->filePath(u"dados"_s));
    std::atexit([] {
        cofrel::data::Database::closeAll();
        pasta().reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    confere(cofrel::fuzz::comoUtf8(dados, tamanho));
    return 0;
}
