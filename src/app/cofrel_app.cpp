#include "app/cofrel_app.h"

#include "accounts/cofrel_inclui_usuario.h"
#include "accounts/cofrel_login.h"
#include "app/icone_cofrel.h"
#include "app/cofrel_uteis.h"
#include "app/escala_janela.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "app/program_folders.h"
#include "app/single_instance.h"
#include "app/montagem_janela.h"
#include "data/cofrel_dados.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "planning/cofrel_inclui_mes.h"
#include "planning/cofrel_planejamento_mensal.h"

#include <QApplication>
#include <QDir>

namespace cofrel {

namespace {

ProgramFolders initialiseModule()
{
    const ProgramFolders folders = locateProgramFolders(QCoreApplication::applicationDirPath());
    LoginContext &context = loginContext();
    context.AppDir = folders.appDir;
    context.DataDir = folders.dataDir;
    context.CategoryNames.clear();
    return folders;
}

} // namespace

void createForms()
{
    Forms &f = forms();
    f.CofrelMain = new TformCofrelMain();
    f.Dados = new TDados(loginContext().dataDir());
    f.CofrelInclui = new TformCofrelInclui();
    f.IncluirValor = new TformIncluirValor();
    f.Planejamento = new TformPlanejamento();
    f.IncluiMes = new TformIncluiMes();
    f.CofrelLogin = new TformCofrelLogin();
}

void destroyForms()
{
    Forms &f = forms();
    delete f.CofrelLogin;
    delete f.IncluiMes;
    delete f.Planejamento;
    delete f.IncluirValor;
    delete f.CofrelInclui;
    delete f.Dados;
    delete f.CofrelMain;
    f = Forms{};
}

int runCofrel(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const ProgramFolders folders = initialiseModule();

    // A second copy ends at once, silently; the guard lives until the end.
    SingleInstance instance(QStringLiteral("VelunorCofrel19990526"));
    if (!instance.acquired())
        return 0;

    QApplication::setApplicationName(QString::fromUtf16(AppTitle));
    QApplication::setWindowIcon(iconeCofrel());
    QApplication::setDesktopFileName(QStringLiteral("cofrel"));
    registraFontes();
    // What no window of ours sets (message boxes): sharp on the screens
    // the program starts on, scaled or not.
    QFont fonte = fonteJanela();
    fonte.setFamilies(familiasJanela(app.devicePixelRatio()));
    QApplication::setFont(fonte);

    // Without its data folder the program has nothing to show: the message
    // names what failed, and the program ends.
    if (!guarded([&] { prepareDataFolder(folders); }))
        return 1;

    // Neither loop throws (every handler is guarded); each handler is an
    // operation of its own.
    int result = 0;
    if (guarded([] { createForms(); }) && forms().CofrelLogin->exec() == mrOk) {
        forms().CofrelMain->show();
        result = QApplication::exec();
    }
    destroyForms();
    return result;
}

} // namespace cofrel
