#include "toolkit/plain_disabled_text_style.h"

PlainDisabledTextStyle::PlainDisabledTextStyle(const QString &key)
    : QProxyStyle(key)
{
}

int PlainDisabledTextStyle::styleHint(StyleHint hint, const QStyleOption *option,
                                      const QWidget *widget, QStyleHintReturn *returnData) const
{
    if (hint == SH_EtchDisabledText || hint == SH_DitherDisabledText)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
