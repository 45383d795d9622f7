#pragma once

#include <QDialog>

class TformCofrelInclui final : public QDialog {
    Q_OBJECT
public:
    explicit TformCofrelInclui(QWidget *parent = nullptr);
};
