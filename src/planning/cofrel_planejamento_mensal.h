#pragma once

#include <QDialog>

class DataGrid;
class TGradBtn;
class TformIncluiMes;

// The monthly planning window: lists the logged-in user's planned entries
// and adds, alters and deletes them through the planned-entry dialog. The
// plan is read when the window is shown and after each change.
class TformPlanejamento final : public QDialog {
    Q_OBJECT
public:
    explicit TformPlanejamento(QWidget *parent = nullptr);

    DataGrid *DBGrid;
    TGradBtn *buttonIncluiValor;
    TGradBtn *buttonAlteraValor;
    TGradBtn *buttonExcluiValor;
    TGradBtn *buttonVoltar;

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void FormShow();
    void FormClose();
    void buttonIncluiValorClick();
    void buttonAlteraValorClick();
    void buttonExcluiValorClick();
    void buttonVoltarClick();
    void releEFicaEm(qint64 transacao, int linha);

    static TformIncluiMes &dialogo();
};
