#include "ledger/caixa_relatorio.h"

CaixaRelatorio::CaixaRelatorio(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void CaixaRelatorio::guardaRelatorio(const QString &report)
{
    clear();
    m_pendente = report;
    if (isVisible())
        assentaPendente();
}

QString CaixaRelatorio::relatorio() const
{
    return m_pendente ? *m_pendente : toPlainText();
}

void CaixaRelatorio::showEvent(QShowEvent *event)
{
    assentaPendente();
    QPlainTextEdit::showEvent(event);
}

void CaixaRelatorio::assentaPendente()
{
    if (m_pendente) {
        setPlainText(*m_pendente);
        m_pendente.reset();
    }
}
