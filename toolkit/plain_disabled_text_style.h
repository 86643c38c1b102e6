#pragma once

#include <QProxyStyle>

// The application's style with disabled text drawn in its colour alone. Qt's
// plain Windows style, which the installer's style sheets draw on, etches
// disabled text with a light copy a pixel below and to the right; on the
// styled buttons ("Install now" before "I agree" is ticked) that reads as a
// smudge.
class PlainDisabledTextStyle : public QProxyStyle
{
public:
    // key names the style to wrap, as QStyleFactory knows it.
    explicit PlainDisabledTextStyle(const QString &key);

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr,
                  const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};
