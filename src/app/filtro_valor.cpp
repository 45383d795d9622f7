#include "app/filtro_valor.h"

#include "app/cofrel_uteis.h"
#include "app/interaction.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QValidator>

#include <optional>

namespace cofrel {

using namespace Qt::StringLiterals;

namespace {

// True when \a chunk, typed key by key into a box holding \a around,
// would pass the key filter whole. Control characters are keys, not text.
bool passaInteiro(QString around, const QString &chunk)
{
    for (const QChar c : chunk) {
        if (c.unicode() < 32 || FiltroTeclaValor(around, c).isNull())
            return false;
        around.append(c);
    }
    return true;
}

// \a chunk without its group separators when it reads as an amount in the
// person's own number format, groups of three in their places ("1.234,56"
// in Portuguese, "1,234.56" in English); a null text otherwise.
QString semSeparadorDeMilhar(const QString &chunk)
{
    const QString grupo = QLocale().groupSeparator();
    const QString decimal = separadorDecimal();
    if (grupo.isEmpty() || grupo == decimal)
        return {};
    const QRegularExpression lido(u"^[0-9]{1,3}(?:%1[0-9]{3})+(?:%2[0-9]*)?$"_s.arg(
        QRegularExpression::escape(grupo), QRegularExpression::escape(decimal)));
    if (!lido.match(chunk).hasMatch())
        return {};
    return QString(chunk).remove(grupo);
}

// What an amount box holding \a around (its selection already taken out)
// takes of \a chunk, put in at once: the chunk, blanks trimmed around, as
// it stands or without its group separators, when it fits in \a limite
// characters; nothing otherwise.
std::optional<QString> textoAceito(const QString &around, const QString &chunk, int limite)
{
    const QString aparado = chunk.trimmed();
    for (const QString &texto : {aparado, semSeparadorDeMilhar(aparado)}) {
        if (!texto.isNull() && passaInteiro(around, texto) && around.size() + texto.size() <= limite)
            return texto;
    }
    return std::nullopt;
}

// FiltroTeclaValor in front of everything that reaches an amount box. A
// key passes the filter or is swallowed. Text put in at once (pasted by
// keys, menu or middle button, dropped, composed by an input method) is
// taken whole or refused whole with the beep: a person who pastes sees
// what they pasted and expects that amount or nothing. What the program
// puts in the box (setText) stays as it is: an amount that no box could
// hold is refused when read, never silently changed.
class FiltroValor final : public QValidator {
public:
    explicit FiltroValor(QLineEdit *edit)
        : QValidator(edit)
        , m_edit(edit)
        , m_previous(edit->text())
    {
        // Also what the program sets, which no validator sees.
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { m_previous = text; });
    }

    // Input methods and everything else that inserts: the box held
    // m_previous; the new text keeps a head and a tail of it around what
    // was put in, which ends at the cursor.
    State validate(QString &input, int &pos) const override
    {
        if (!m_edit->isModified())
            return Acceptable; // set by the program (setText resets the flag)
        const qsizetype tail = qMin(commonTail(m_previous, input), input.size() - pos);
        qsizetype head = 0;
        while (head < pos && head < m_previous.size() - tail && m_previous.at(head) == input.at(head))
            ++head;
        const QString inserted = input.mid(head, pos - head);
        if (inserted.isEmpty())
            return Acceptable; // a deletion
        const QString around = input.left(head) + input.right(tail);
        const std::optional<QString> aceito = textoAceito(around, inserted, m_edit->maxLength());
        if (!aceito) {
            interaction().beep();
            return Invalid; // the box goes back to what it held
        }
        input = around.left(head) + *aceito + around.mid(head);
        pos = int(head + aceito->size());
        return Acceptable;
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (m_reenviando)
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            return teclaFiltrada(static_cast<QKeyEvent *>(event));
        case QEvent::Drop:
            return soltado(static_cast<QDropEvent *>(event));
        case QEvent::MouseButtonRelease:
            return selecaoColada(static_cast<QMouseEvent *>(event));
        case QEvent::ContextMenu:
            return menuDeContexto(static_cast<QContextMenuEvent *>(event));
        default:
            return false;
        }
    }

private:
    // The box cuts what is put in at its maximum length before any
    // validator sees it: text put in at once is judged here first, whole.

    bool teclaFiltrada(QKeyEvent *key)
    {
        if (key->matches(QKeySequence::Paste)) {
            if (!m_edit->isReadOnly())
                cola(QGuiApplication::clipboard()->text());
            return true;
        }
        const QString text = key->text();
        if (text.size() != 1)
            return false; // navigation and editing keys carry no character
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false; // shortcuts (mnemonics) are not typing
        return FiltroTeclaValor(m_edit->text(), text.at(0)).isNull();
    }

    // Replaces the selection, as a paste does.
    void cola(const QString &text)
    {
        QString around = m_edit->text();
        if (m_edit->hasSelectedText())
            around.remove(m_edit->selectionStart(), m_edit->selectedText().size());
        if (const std::optional<QString> aceito = textoAceito(around, text, m_edit->maxLength()))
            m_edit->insert(*aceito);
        else
            interaction().beep();
    }

    // Dropped from elsewhere: the box takes the accepted text where it was
    // dropped, or nothing. A drag within the box moves what it held.
    bool soltado(QDropEvent *drop)
    {
        if (drop->source() == m_edit || m_edit->isReadOnly() || !drop->mimeData()->hasText())
            return false;
        const std::optional<QString> aceito
            = textoAceito(m_edit->text(), drop->mimeData()->text(), m_edit->maxLength());
        if (!aceito)
            interaction().beep();
        QMimeData texto;
        if (aceito)
            texto.setText(*aceito);
        QDropEvent copia(drop->position(), drop->possibleActions(), &texto, drop->buttons(), drop->modifiers());
        {
            QScopedValueRollback reenviando(m_reenviando, true);
            QCoreApplication::sendEvent(m_edit, &copia);
        }
        drop->setDropAction(copia.dropAction());
        drop->setAccepted(copia.isAccepted());
        return true;
    }

    // The middle button pastes the selection where the platform has one.
    bool selecaoColada(QMouseEvent *mouse)
    {
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (mouse->button() != Qt::MiddleButton || !clipboard->supportsSelection() || m_edit->isReadOnly()
            || !m_edit->rect().contains(mouse->position().toPoint()))
            return false;
        m_edit->deselect();
        cola(clipboard->text(QClipboard::Selection));
        return true;
    }

    // The box's own menu, its "Paste" going through cola().
    bool menuDeContexto(QContextMenuEvent *event)
    {
        QMenu *menu = m_edit->createStandardContextMenu();
        for (QAction *action : menu->actions()) {
            // The box connects its menu by name.
            if (disconnect(action, SIGNAL(triggered()), m_edit, SLOT(paste())))
                connect(action, &QAction::triggered, this, [this] { cola(QGuiApplication::clipboard()->text()); });
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
        return true;
    }

    static qsizetype commonTail(const QString &a, const QString &b)
    {
        qsizetype n = 0;
        while (n < a.size() && n < b.size() && a.at(a.size() - 1 - n) == b.at(b.size() - 1 - n))
            ++n;
        return n;
    }

    QLineEdit *m_edit;
    QString m_previous;
    bool m_reenviando = false;
};

} // namespace

void instalaFiltroValor(QLineEdit *edit)
{
    auto *filtro = new FiltroValor(edit);
    edit->installEventFilter(filtro);
    edit->setValidator(filtro);
}

} // namespace cofrel
