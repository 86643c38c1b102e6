#include "app/application.h"

Application::Application(int &argc, char **argv, bool allowSecondary, InstanceOptions options,
                         int timeout, const QString &userData)
    : SingleApplication(argc, argv, allowSecondary, options, timeout, userData)
{
}
