#pragma once

class TDados;
class TformCofrelMain;
class TformCofrelInclui;
class TformIncluirValor;
class TformPlanejamento;
class TformIncluiMes;
class TformCofrelLogin;

namespace cofrel {

// The single instances of the run: created once at start-up, in this order,
// and reached through here by the windows that use one another.
struct Forms {
    TformCofrelMain *CofrelMain = nullptr;
    TDados *Dados = nullptr;
    TformCofrelInclui *CofrelInclui = nullptr;
    TformIncluirValor *IncluirValor = nullptr;
    TformPlanejamento *Planejamento = nullptr;
    TformIncluiMes *IncluiMes = nullptr;
    TformCofrelLogin *CofrelLogin = nullptr;
};

Forms &forms();
// The data module; throws while it has not been created.
TDados &dados();

} // namespace cofrel
