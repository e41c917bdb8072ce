#include "app/application.h"
#include "core/processguard.h"

int main(int argc, char* argv[])
{
    velko::guardProcess();
    return velko::runApplication(argc, argv);
}
