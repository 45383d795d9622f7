#include "support/pessoa.h"

#include <QTest>
#include <QWidget>

namespace cofrel::test {

void digita(QWidget *widget, const QString &texto)
{
    for (const QChar c : texto) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
        } else {
            // Latin-1 letters have key codes of their own (Qt::Key_Eacute...); others none.
            const QChar maiuscula = c.toUpper();
            const auto tecla = maiuscula.unicode() <= 0xFF ? Qt::Key(maiuscula.unicode()) : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Press, widget, tecla, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, tecla, QString(c), Qt::NoModifier);
        }
    }
}

void clica(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

} // namespace cofrel::test
