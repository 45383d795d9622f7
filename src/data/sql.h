#pragma once

#include <QString>

// The statements the program runs, built from the name the texts give a
// table: the file name without ".db" ("f7" for f7.db).
namespace cofrel::data::sql {

QString statement(const QString &table);     // "Completo": every row
QString statementFrom(const QString &table); // the rows from :inicio on
QString balance(const QString &table);
QString categorySum(const QString &table);
QString periodSum(const QString &table);
QString dueEntries(const QString &planTable);

} // namespace cofrel::data::sql
