#include "app/cofrel_app.h"

int main(int argc, char *argv[])
{
    return cofrel::runCofrel(argc, argv);
}
