#include "support/test_folder.h"

#include "accounts/senha.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/login_context.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/tables.h"
#include "data/templates.h"
#include "data/upkeep.h"

#include <QDir>
#include <QFile>
#include <QImage>

namespace cofrel::test {

using namespace Qt::StringLiterals;

namespace {

// AppDir as it was before the first TestFolder of a nest.
QString &savedAppDir()
{
    static QString dir;
    return dir;
}

int &liveFolders()
{
    static int count = 0;
    return count;
}

} // namespace

TestFolder::TestFolder()
{
    if (!m_dir.isValid())
        return;
    data::createTemplates(dataDir());

    QImage background(64, 48, QImage::Format_RGB32);
    background.fill(QColor(0x20, 0x60, 0xa0));
    background.save(appDir() + u"fundo.bmp"_s, "BMP");

    QFile help(appDir() + u"Ajuda.html"_s);
    if (help.open(QIODevice::WriteOnly))
        help.write("<html><body><h1>Cofrel</h1><p>Ajuda do Cofrel.</p></body></html>\n");

    if (liveFolders()++ == 0)
        savedAppDir() = loginContext().AppDir;
    loginContext().AppDir = appDir();
}

TestFolder::~TestFolder()
{
    LoginContext &context = loginContext();
    context.UserName.clear();
    context.UserNumber = 0;
    context.FinTableName.clear();
    context.DFinTableName.clear();
    if (--liveFolders() == 0)
        context.AppDir = savedAppDir();
}

QString TestFolder::appDir() const
{
    return m_dir.path() + u'/';
}

QString TestFolder::dataDir() const
{
    return appDir() + u"dados/"_s;
}

int TestFolder::addUser(const QString &name, const QString &password)
{
    data::Database db(dataDir());
    const int number = data::UserTable(db).insert(name, CodificaSenha(password.toLatin1()));

    // The new user's tables are copies of every file of the templates.
    const QDir dir(dataDir());
    const auto copyAll = [&](const QString &base, const QString &prefix) {
        const QStringList files = dir.entryList({base + u".*"_s}, QDir::Files);
        for (const QString &file : files) {
            const QString target = prefix + QString::number(number) + file.mid(base.size());
            QFile::remove(dir.filePath(target));
            if (!QFile::copy(dir.filePath(file), dir.filePath(target)))
                throw Error(u"Não foi possível copiar %1 para %2."_s.arg(file, target));
            QFile::setPermissions(dir.filePath(target), data::OwnerOnlyFile);
        }
    };
    copyAll(u"fin"_s, u"f"_s);
    copyAll(u"dfin"_s, u"d"_s);
    return number;
}

void TestFolder::loginAs(const QString &name, int number)
{
    loginContext().setUser(name, number);
    if (TDados *dados = forms().Dados)
        dados->setUserTables(loginContext().FinTableName, loginContext().DFinTableName);
}

} // namespace cofrel::test
