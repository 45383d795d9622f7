#pragma once

#include <QDialog>

class TformIncluirValor final : public QDialog {
    Q_OBJECT
public:
    explicit TformIncluirValor(QWidget *parent = nullptr);
};
