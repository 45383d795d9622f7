#include "app/filtro_valor.h"

#include "app/cofrel_uteis.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

namespace cofrel {

namespace {

class AmountKeyFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *edit = qobject_cast<QLineEdit *>(watched);
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (!edit || text.size() != 1)
            return false; // navigation and editing keys carry no character
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false; // shortcuts (paste, mnemonics) are not typing
        return FiltroTeclaValor(edit->text(), text.at(0)).isNull();
    }
};

// Text that reaches the box another way (pasted by keys, menu or middle
// button, dropped, composed by an input method) is taken as if its
// characters were typed one by one at the cursor: each passes the key
// filter or is left out. Control characters are keys, not text: left out.
// What the program puts in the box (setText) stays as it is: an amount
// that no box could hold is refused when read, never silently changed.
class AmountTextFilter final : public QValidator {
public:
    explicit AmountTextFilter(QLineEdit *edit)
        : QValidator(edit)
        , m_edit(edit)
        , m_previous(edit->text())
    {
        // Also what the program sets, which no validator sees.
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { m_previous = text; });
    }

    State validate(QString &input, int &pos) const override
    {
        if (!m_edit->isModified())
            return Acceptable; // set by the program (setText resets the flag)
        // The box held m_previous; the new text keeps a head and a tail of
        // it around what was put in, which ends at the cursor.
        const qsizetype tail = qMin(commonTail(m_previous, input), input.size() - pos);
        qsizetype head = 0;
        while (head < pos && head < m_previous.size() - tail && m_previous.at(head) == input.at(head))
            ++head;
        const QString inserted = input.mid(head, pos - head);
        QString text = input.left(head) + input.right(tail);
        qsizetype cursor = head;
        for (const QChar c : inserted) {
            if (c.unicode() < 32 || FiltroTeclaValor(text, c).isNull())
                continue;
            text.insert(cursor++, c);
        }
        input = text;
        pos = int(cursor);
        return Acceptable;
    }

private:
    static qsizetype commonTail(const QString &a, const QString &b)
    {
        qsizetype n = 0;
        while (n < a.size() && n < b.size() && a.at(a.size() - 1 - n) == b.at(b.size() - 1 - n))
            ++n;
        return n;
    }

    QLineEdit *m_edit;
    QString m_previous;
};

} // namespace

void instalaFiltroValor(QLineEdit *edit)
{
    edit->installEventFilter(new AmountKeyFilter(edit));
    edit->setValidator(new AmountTextFilter(edit));
}

} // namespace cofrel
