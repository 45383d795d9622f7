#include "apoio_plano.h"

#include "app/forms.h"
#include "app/login_context.h"
#include "data/database.h"
#include "ledger/cofrel_inclui_valor.h"
#include "planning/cofrel_inclui_mes.h"
#include "planning/cofrel_planejamento_mensal.h"
#include "data/cofrel_dados.h"
#include "data/table.h"

#include <QApplication>
#include <QEvent>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

namespace cofrel::test {

RespostaModal::RespostaModal(QString objectName, std::function<void(QWidget *)> action)
    : m_action(std::move(action)), m_objectName(std::move(objectName))
{
    qApp->installEventFilter(this);
}

RespostaModal::~RespostaModal()
{
    qApp->removeEventFilter(this);
}

bool RespostaModal::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show || watched->objectName() != m_objectName)
        return false;
    auto *window = qobject_cast<QWidget *>(watched);
    if (!window || !window->isWindow())
        return false;
    ++m_shown;
    if (m_runs > 0 && !m_repeat)
        return false;
    ++m_runs;
    QPointer<QWidget> target(window);
    QTimer::singleShot(0, this, [this, target] {
        // A person acts once the window is up and active.
        QWidget *shown = target.data();
        if (!shown || !shown->isVisible())
            return;
        if (!shown->isActiveWindow() && !QTest::qWaitForWindowActive(shown, 2000))
            qWarning("%s never became active", qPrintable(m_objectName));
        if (target && shown->isVisible())
            m_action(shown);
    });
    return false;
}

AmbientePlano::AmbientePlano()
{
    Forms &f = forms();
    dados = new TDados();
    f.Dados = dados;
    incluirValor = new TformIncluirValor();
    f.IncluirValor = incluirValor;
    planejamento = new TformPlanejamento();
    f.Planejamento = planejamento;
    incluiMes = new TformIncluiMes();
    f.IncluiMes = incluiMes;
    usuario = folder.addUser(QStringLiteral("ana"), QStringLiteral("segredo"));
    folder.loginAs(QStringLiteral("ana"), usuario);
}

AmbientePlano::~AmbientePlano()
{
    delete incluiMes;
    delete planejamento;
    delete incluirValor;
    delete dados;
    forms() = Forms{};
}

QString AmbientePlano::arquivoPlano() const
{
    return data::Database::forAlias(QString(data::AliasCofrel)).resolveFile(loginContext().DFinTableName);
}

QString AmbientePlano::arquivoExtrato() const
{
    return data::Database::forAlias(QString(data::AliasCofrel)).resolveFile(loginContext().FinTableName);
}

QList<LinhaPlano> lePlano()
{
    data::Table table(QString(data::AliasCofrel), loginContext().DFinTableName);
    table.setIndexFieldNames(QStringLiteral("Transacao"));
    data::TableCloser closer(table);
    table.open();
    QList<LinhaPlano> rows;
    for (table.first(); !table.eof(); table.next()) {
        LinhaPlano row;
        row.transacao = table.fieldByName(QStringLiteral("Transacao")).asInteger();
        row.dia = int(table.fieldByName(QStringLiteral("Dia")).asInteger());
        row.data = table.fieldByName(QStringLiteral("Data")).asDate();
        row.categoria = int(table.fieldByName(QStringLiteral("Categoria")).asInteger());
        row.descricao = table.fieldByName(QStringLiteral("Descricao")).asString();
        row.valor = table.fieldByName(QStringLiteral("Valor")).asFloat();
        rows.append(row);
    }
    return rows;
}

qint64 incluiNoPlano(int dia, const QDate &data, int categoria, const QString &descricao, double valor)
{
    data::Table table(QString(data::AliasCofrel), loginContext().DFinTableName);
    data::TableCloser closer(table);
    table.open();
    table.insert();
    table.fieldByName(QStringLiteral("Dia")).setInteger(dia);
    table.fieldByName(QStringLiteral("Data")).setDate(data);
    table.fieldByName(QStringLiteral("Categoria")).setInteger(categoria);
    table.fieldByName(QStringLiteral("Descricao")).setString(descricao);
    table.fieldByName(QStringLiteral("Valor")).setFloat(valor);
    table.post();
    return table.currentId();
}

QList<LinhaExtrato> leExtrato()
{
    data::Table table(QString(data::AliasCofrel), loginContext().FinTableName);
    table.setIndexFieldNames(QStringLiteral("Transacao"));
    data::TableCloser closer(table);
    table.open();
    QList<LinhaExtrato> rows;
    for (table.first(); !table.eof(); table.next()) {
        LinhaExtrato row;
        row.transacao = table.fieldByName(QStringLiteral("Transacao")).asInteger();
        row.data = table.fieldByName(QStringLiteral("Data")).asDate();
        row.categoria = int(table.fieldByName(QStringLiteral("Categoria")).asInteger());
        row.descricao = table.fieldByName(QStringLiteral("Descricao")).asString();
        row.valor = table.fieldByName(QStringLiteral("Valor")).asFloat();
        rows.append(row);
    }
    return rows;
}

qint64 incluiNoExtrato(const QDate &data, int categoria, const QString &descricao, double valor)
{
    data::Table table(QString(data::AliasCofrel), loginContext().FinTableName);
    data::TableCloser closer(table);
    table.open();
    table.insert();
    table.fieldByName(QStringLiteral("Data")).setDate(data);
    table.fieldByName(QStringLiteral("Categoria")).setInteger(categoria);
    table.fieldByName(QStringLiteral("Descricao")).setString(descricao);
    table.fieldByName(QStringLiteral("Valor")).setFloat(valor);
    table.post();
    return table.currentId();
}

namespace {

void runOnFile(const QString &path, const QString &sql)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
        QSqlQuery query(db);
        if (!query.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

void impedeEscrita(const QString &path, const QString &internalTable)
{
    for (const auto *event : {"INSERT", "UPDATE", "DELETE"}) {
        const QString ev = QString::fromLatin1(event);
        runOnFile(path, QStringLiteral("CREATE TRIGGER IF NOT EXISTS falha_%1_%2 BEFORE %3 ON %1 "
                                       "BEGIN SELECT RAISE(ABORT, 'escrita recusada no teste'); END")
                            .arg(internalTable, ev.toLower(), ev));
    }
}

void liberaEscrita(const QString &path, const QString &internalTable)
{
    for (const auto *event : {"insert", "update", "delete"})
        runOnFile(path, QStringLiteral("DROP TRIGGER IF EXISTS falha_%1_%2").arg(internalTable, QString::fromLatin1(event)));
}

} // namespace cofrel::test
