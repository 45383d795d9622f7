#pragma once

#include <QDialog>

class TformCofrelLogin final : public QDialog {
    Q_OBJECT
public:
    explicit TformCofrelLogin(QWidget *parent = nullptr);
};
