#pragma once

#include <QDialog>

class DataGrid;
class TDados;
class TGradBtn;
class TformIncluiMes;

// The monthly planning window: lists the logged-in user's planned entries
// and adds, alters and deletes them through the planned-entry dialog. The
// plan table is open exactly while the window is shown.
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

    static TDados &dados();
    static TformIncluiMes &dialogo();
};
