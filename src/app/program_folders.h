#pragma once

#include <QString>

namespace cofrel {

// Where the program finds its own files and where it keeps the data.
struct ProgramFolders {
    QString appDir;       // fundo.bmp and the help page, ending in a separator
    QString dataDir;      // the folder of the alias Cofrel, ending in a separator
    QString templatesDir; // the installed empty tables; empty for a portable folder
};

// A portable program folder is the executable's folder holding a dados/:
// everything stays there, a read-only one (a stick, an archived copy)
// included, which reads as it is and refuses writes. Otherwise the program
// is installed: its files lie in ../share/cofrel beside the executable's
// folder (or, failing that, in the executable's folder itself) and the data
// in the person's own data folder, $XDG_DATA_HOME/cofrel/dados
// (~/.local/share/cofrel/dados).
ProgramFolders locateProgramFolders(const QString &executableDir);

// For an installed program: creates the data folder owner-only when it is
// missing and copies into it, owner-only, each empty table it lacks (a
// name already there in any letter case is kept as it is). Nothing to do
// for a portable folder. Throws cofrel::Error naming the folder or file.
void prepareDataFolder(const ProgramFolders &folders);

} // namespace cofrel
