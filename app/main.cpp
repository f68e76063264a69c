#include "app/StartUp.h"

int main(int argc, char* argv[])
{
    return shoupai::runApplication(argc, argv);
}
