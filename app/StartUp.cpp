#include "app/StartUp.h"

#include <QApplication>

namespace shoupai {

int runApplication(int argc, char* argv[])
{
    QApplication application(argc, argv);
    return 0;
}

} // namespace shoupai
