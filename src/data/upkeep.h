#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

namespace cofrel::data {

// What the program makes in the data folder is its owner's alone.
inline constexpr QFile::Permissions OwnerOnlyFile = QFile::ReadOwner | QFile::WriteOwner;
inline constexpr QFile::Permissions OwnerOnlyFolder = OwnerOnlyFile | QFile::ExeOwner;

// Housekeeping of the data folder at start-up: what the program keeps
// there is its owner's alone, and nothing of an interrupted write stays.

// Makes the folder and each of the program's own files in it (the tables,
// their journals, the main database and its super-journals, the notes of
// work in progress) its owner's alone: copied from elsewhere or unpacked
// from an archive, they may be open to everyone. Group and other lose
// every right; the owner's own bits are never added to, so a ledger made
// read-only (0400) stays read-only. Links are left alone; a mode that
// cannot be changed is left as it is.
void tightenModes(const QString &folder);

// The journals of the folder's files ("f1.DB-journal") and the
// super-journals of its main database file \a mainFileName
// (".cofrel-principal.db-mj0A1B2C3D"), as paths.
QStringList journalsIn(const QString &folder);
QStringList superJournalsIn(const QString &folder, const QString &mainFileName);

} // namespace cofrel::data
