#pragma once

#include <QDialog>

class TformIncluiMes final : public QDialog {
    Q_OBJECT
public:
    explicit TformIncluiMes(QWidget *parent = nullptr);
};
