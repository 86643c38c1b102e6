#include "single_instance/single_application.h"

SingleApplication::SingleApplication(int &argc, char **argv, bool allowSecondary,
                                     InstanceOptions options, int timeout,
                                     const QString &userData)
    : QApplication(argc, argv)
{
    Q_UNUSED(allowSecondary)
    Q_UNUSED(options)
    Q_UNUSED(timeout)
    Q_UNUSED(userData)
}
