#include "main_window_fixture.h"

#include "app/forms.h"
#include "data/cofrel_dados.h"
#include "data/table.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace cofrel::test {

LedgerFixture::LedgerFixture(const QDate &today, bool withMainWindow)
    : m_today(today)
{
    // Start-up order: the main window first, then the data module and the
    // dialogs.
    if (withMainWindow) {
        janela = new TformCofrelMain();
        forms().CofrelMain = janela;
    }
    dados = new TDados();
    forms().Dados = dados;
    dialogo = new TformIncluirValor();
    forms().IncluirValor = dialogo;
    usuario = folder.addUser(QStringLiteral("Ana"), QStringLiteral("segredo"));
    folder.loginAs(QStringLiteral("Ana"), usuario);
}

LedgerFixture::~LedgerFixture()
{
    delete janela;
    delete dialogo;
    delete dados;
    forms() = Forms{};
}

qint64 LedgerFixture::insere(const QDate &data, const QString &descricao, int categoria, double valor)
{
    data::Table &fin = dados->TableFin;
    data::TableCloser closer(fin);
    fin.open();
    fin.insert();
    fin.fieldByName(QStringLiteral("Data")).setDate(data);
    fin.fieldByName(QStringLiteral("Descricao")).setString(descricao);
    fin.fieldByName(QStringLiteral("Categoria")).setInteger(categoria);
    fin.fieldByName(QStringLiteral("Valor")).setFloat(valor);
    fin.post();
    return fin.fieldByName(QStringLiteral("Transacao")).asInteger();
}

QList<Lancamento> LedgerFixture::lancamentos()
{
    QList<Lancamento> list;
    data::Table &fin = dados->TableFin;
    data::TableCloser closer(fin);
    fin.open();
    for (fin.first(); !fin.eof(); fin.next()) {
        list.append({fin.fieldByName(QStringLiteral("Transacao")).asInteger(),
                     fin.fieldByName(QStringLiteral("Data")).asDate(),
                     fin.fieldByName(QStringLiteral("Descricao")).asString(),
                     int(fin.fieldByName(QStringLiteral("Categoria")).asInteger()),
                     fin.fieldByName(QStringLiteral("Valor")).asFloat()});
    }
    return list;
}

QString LedgerFixture::arquivoFin() const
{
    // Named after the template's own extension ("f1.DB").
    const QStringList files =
        QDir(folder.dataDir()).entryList({QStringLiteral("f%1.db").arg(usuario)}, QDir::Files);
    return files.isEmpty() ? QString() : folder.dataFile(files.first());
}

} // namespace cofrel::test
