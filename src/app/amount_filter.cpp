#include "app/amount_filter.h"

#include "app/cofrel_uteis.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

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

} // namespace

void instalaFiltroValor(QLineEdit *edit)
{
    edit->installEventFilter(new AmountKeyFilter(edit));
}

} // namespace cofrel
