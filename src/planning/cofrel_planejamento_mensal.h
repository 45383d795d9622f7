#pragma once

#include <QDialog>

class TformPlanejamento final : public QDialog {
    Q_OBJECT
public:
    explicit TformPlanejamento(QWidget *parent = nullptr);
};
