#include "app/ui_effects.h"

#include <QApplication>

void disableUiEffects()
{
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, false);
}
