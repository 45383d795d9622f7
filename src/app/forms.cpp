#include "app/forms.h"

namespace cofrel {

Forms &forms()
{
    static Forms instances;
    return instances;
}

} // namespace cofrel
