#include "single_instance/single_application.h"

#include "single_instance/random_pause.h"
#include "single_instance/single_application_private.h"

#include <cstdlib>

SingleApplication::SingleApplication(int &argc, char **argv, bool allowSecondary,
                                     InstanceOptions options, int timeout, const QString &userData)
    : QApplication(argc, argv)
    , m_private(new SingleApplicationPrivate(this))
{
    m_private->setOptions(options);
    if (!userData.isEmpty())
        m_private->addKeyExtra(userData);
    m_private->computeBlockName();

    // Spread out installers that were started at the same moment.
    randomPause();

    m_private->attachToBlock();
    m_private->waitForConsistentBlock();
    m_private->recoverFromDeadPrimary();

    switch (m_private->decideRole(allowSecondary, timeout)) {
    case SingleApplicationPrivate::Primary:
    case SingleApplicationPrivate::Secondary:
        return;
    case SingleApplicationPrivate::HandedOver:
        break;
    }
    delete m_private;
    m_private = nullptr;
    std::exit(EXIT_SUCCESS);
}

SingleApplication::~SingleApplication()
{
    delete m_private;
}
