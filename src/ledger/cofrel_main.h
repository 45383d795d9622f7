#pragma once

#include <QWidget>

class TformCofrelMain final : public QWidget {
    Q_OBJECT
public:
    explicit TformCofrelMain(QWidget *parent = nullptr);
};
