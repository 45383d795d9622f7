#pragma once

#include "app/activation.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class TGradBtn;

// The planned-entry dialog: one recurring monthly entry is typed here. The
// caller resets or prefills every control, shows it modally and, only when
// it ends with OK, reads the day and description from the controls and the
// signed amount and category from PlanValor and PlanCategoria. The dialog
// itself never touches a table.
class TformIncluiMes final : public QDialog {
    Q_OBJECT
public:
    explicit TformIncluiMes(QWidget *parent = nullptr);

    QComboBox *comboCategoria() const { return m_comboCategoria; }
    QLineEdit *editDescricao() const { return m_editDescricao; }
    QLineEdit *editValor() const { return m_editValor; }
    QComboBox *comboCredito() const { return m_comboCredito; }
    TGradBtn *buttonOK() const { return m_buttonOK; }
    TGradBtn *buttonSair() const { return m_buttonSair; }
    QComboBox *comboDia() const { return m_comboDia; }

    // Set by OK: the amount typed, negated for "Débito" (0 when unreadable),
    // and the category number 1..8.
    double PlanValor = 0.0;
    int PlanCategoria = 0;

    // Cancel and the close box both end here: never a write.
    void reject() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormActivate();
    void comboCategoriaChange(int index);
    void buttonOKClick();
    void buttonSairClick();

    QComboBox *m_comboCategoria;
    QLineEdit *m_editDescricao;
    QLineEdit *m_editValor;
    QComboBox *m_comboCredito;
    TGradBtn *m_buttonOK;
    TGradBtn *m_buttonSair;
    QComboBox *m_comboDia;
    cofrel::FormActivation m_ativacao;
};
