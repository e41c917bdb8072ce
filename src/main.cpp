#include "app/application.h"

int main(int argc, char* argv[])
{
    return velko::runApplication(argc, argv);
}
