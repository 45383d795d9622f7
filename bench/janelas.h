#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace cofrel::bench {

// Counts the paint events of every widget, application-wide, so a figure
// can say how much was really drawn and a wait can end when a window has
// been drawn. The same counter serves the bare dialog and the program's
// windows, so both are shown and drawn the same way.
class ContaPinturas final : public QObject {
    Q_OBJECT
public:
    ContaPinturas();
    ~ContaPinturas() override;

    int total() const { return m_total; }
    int daJanela(const QWidget *janela) const; // its own and its children's, since the last zero()
    void zera();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_total = 0;
    QHash<const QWidget *, int> m_porJanela;
};

// Shows \a janela and returns once it is exposed and has been drawn.
// False when that did not happen within ten seconds.
bool mostraEPinta(QWidget *janela, ContaPinturas &pinturas);

// Runs what the event loop has pending (the deferred repaints of what a
// handler changed) until nothing is left.
void esvazia();

// Runs the event loop until \a pronto holds; false on a timeout (ten
// seconds unless said).
bool esperaAte(const std::function<bool()> &pronto, int limiteMs = 10000);

// The process's peak resident memory (VmHWM) in megabytes.
double picoMemoriaMb();
// The memory resident now (VmRSS), in megabytes.
double memoriaResidenteMb();
// Starts the peak over from what is resident now; false where the system
// cannot.
bool zeraPicoMemoria();
// The one-minute load average of the machine.
double cargaDoSistema();

} // namespace cofrel::bench
