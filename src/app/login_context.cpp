#include "app/login_context.h"

namespace cofrel {

QString LoginContext::dataDir() const
{
    return DataDir.isEmpty() ? AppDir + QStringLiteral("dados/") : DataDir;
}

void LoginContext::setUser(const QString &name, int number)
{
    UserName = name;
    UserNumber = number;
    FinTableName = QStringLiteral("f%1.db").arg(number);
    DFinTableName = QStringLiteral("d%1.db").arg(number);
}

LoginContext &loginContext()
{
    static LoginContext context;
    return context;
}

} // namespace cofrel
