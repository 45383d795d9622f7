#pragma once

#include "ledger/extrato_banco.h"

#include <QString>
#include <QStringView>

// OFX statements, our own reader on QtCore: 2.x (XML) through
// QXmlStreamReader, 1.x (SGML: a "KEY:value" header, then tags whose
// values need no closing tag) through a small tolerant tag reader. Bank
// and credit-card statements alike: the STMTTRN of every BANKTRANLIST.
namespace cofrel {

// Whether the text is meant as OFX: an OFX header or an XML declaration
// first, or the <OFX> tag near the start.
bool pareceOfx(QStringView texto);

// The statement's lines, balances left out. Throws cofrel::Error when the
// file ends before </OFX>, when a transaction's date (the first eight
// digits of DTPOSTED, yyyymmdd) or amount (TRNAMT, to the cent) cannot be
// read, and when no transaction is left.
QList<LinhaExtrato> leOfx(const QString &texto);

} // namespace cofrel
