#include "ledger/caixa_relatorio.h"

CaixaRelatorio::CaixaRelatorio(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void CaixaRelatorio::guardaRelatorio(const QByteArray &utf8)
{
    clear();
    m_pendente = utf8;
    if (isVisible())
        assentaPendente();
}

QString CaixaRelatorio::relatorio() const
{
    return m_pendente ? QString::fromUtf8(*m_pendente) : toPlainText();
}

void CaixaRelatorio::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange && !isVisible()) {
        m_fontePendente = true;
        QAbstractScrollArea::changeEvent(event); // what the text box would do, less the document's font
        return;
    }
    QPlainTextEdit::changeEvent(event);
}

void CaixaRelatorio::showEvent(QShowEvent *event)
{
    assentaPendente();
    QPlainTextEdit::showEvent(event);
}

void CaixaRelatorio::assentaPendente()
{
    if (m_fontePendente) {
        document()->setDefaultFont(font());
        m_fontePendente = false;
    }
    if (m_pendente) {
        setPlainText(QString::fromUtf8(*m_pendente));
        m_pendente.reset();
    }
}
