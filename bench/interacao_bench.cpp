#include "interacao_bench.h"

#include <QTextStream>

namespace cofrel::bench {

InteracaoBench::InteracaoBench()
{
    setInteraction(this);
}

InteracaoBench::~InteracaoBench()
{
    setInteraction(nullptr);
}

void InteracaoBench::message(const QString &text)
{
    mensagens << text;
}

bool InteracaoBench::question(const QString &, const QString &, QuestionIcon)
{
    return false;
}

void InteracaoBench::error(const QString &text, const QString &details)
{
    erros << text;
    QTextStream(stderr) << "cofrel_bench: erro do programa: " << text << ' ' << details << '\n';
}

void InteracaoBench::beep()
{
    ++bipes;
}

void InteracaoBench::showHelp(const QString &, int)
{
}

} // namespace cofrel::bench
