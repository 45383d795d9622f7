#pragma once

#include <QString>
#include <QStringList>

namespace cofrel {

// Who is logged in and which tables are theirs. One per process; set at
// start-up and at login, never persisted.
struct LoginContext {
    QString AppDir;            // folder of fundo.bmp and the help page, ending in a separator
    QString DataDir;           // the data folder when it is not AppDir + "dados/"
    QStringList CategoryNames; // filled by the entry dialogs at creation
    QString UserName;
    int UserNumber = 0;
    QString FinTableName;      // "f" + UserNumber + ".db"
    QString DFinTableName;     // "d" + UserNumber + ".db"

    // DataDir, or AppDir + "dados/": the folder the alias Cofrel designates.
    QString dataDir() const;
    // Sets UserNumber and both table file names for user \a number.
    void setUser(const QString &name, int number);
};

LoginContext &loginContext();

} // namespace cofrel
