#pragma once

#include "single_instance/single_application.h"

// The installer's application object. All it adds to SingleApplication is
// its own class name; the single-instance guard runs in the base constructor.
class Application : public SingleApplication
{
    Q_OBJECT

public:
    Application(int &argc, char **argv, bool allowSecondary, InstanceOptions options, int timeout,
                const QString &userData);
};
