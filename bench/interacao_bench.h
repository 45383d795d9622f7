#pragma once

#include "app/interaction.h"

#include <QStringList>

namespace cofrel::bench {

// Nobody sits at the benchmark: messages and errors are recorded (an error
// spoils the figure it happened in), questions are answered No, the beep
// and the help are counted and ignored. Installed for its lifetime.
class InteracaoBench final : public Interaction {
public:
    InteracaoBench();
    ~InteracaoBench() override;

    void message(const QString &text) override;
    bool question(const QString &text, const QString &title, QuestionIcon icon) override;
    void error(const QString &text, const QString &details) override;
    void beep() override;
    void showHelp(const QString &file, int context) override;
    QString openFileName(const QString &, const QString &) override { return arquivo; }

    QString arquivo; // the answer of the file dialog
    QStringList mensagens;
    QStringList erros;
    int bipes = 0;
};

} // namespace cofrel::bench
