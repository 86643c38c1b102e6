#include "single_instance/random_pause.h"

#include <QRandomGenerator>
#include <QThread>

int randomPauseMilliseconds(quint32 random)
{
    return 8 + int((quint64(random) * 10) >> 32);
}

void randomPause()
{
    QThread::msleep(ulong(randomPauseMilliseconds(QRandomGenerator::global()->generate())));
}
