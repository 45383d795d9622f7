// Prepares the program folder: fundo.bmp, the help page and dados/ with the
// empty templates. A dados/ that already holds users is never overwritten.
#include "data/templates.h"
#include "fundo.h"

#include <QFile>
#include <QGuiApplication>
#include <QDir>
#include <QTextStream>

#include <exception>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "uso: cofrel_make_assets <pasta do programa> <Ajuda.html>\n";
        return 2;
    }
    const QDir programDir(args.at(1));
    try {
        QDir().mkpath(programDir.absolutePath());
        if (!cofrel::tools::desenhaFundo().save(programDir.filePath(QStringLiteral("fundo.bmp")), "BMP"))
            throw std::runtime_error("fundo.bmp");
        const QString help = programDir.filePath(QStringLiteral("Ajuda.html"));
        QFile::remove(help);
        if (!QFile::copy(args.at(2), help))
            throw std::runtime_error("Ajuda.html");
        QFile::setPermissions(help, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        cofrel::data::createTemplates(programDir.filePath(QStringLiteral("dados")));
    } catch (const std::exception &e) {
        QTextStream(stderr) << "cofrel_make_assets: falhou: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
