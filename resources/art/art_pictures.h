#pragma once

#include <QImage>
#include <QSize>

#include <functional>

class QPainter;

// Every picture of the style resource, drawn in logical pixels. A painter
// set up for scale 1 gives the normal picture, scale 2 the "@2x" one that Qt
// picks on high-DPI screens (QT_SCALE_FACTOR 1.5 and up).
namespace ArtPictures {

using Drawing = std::function<void(QPainter &painter, const QSizeF &size)>;

// A transparent image of size * scale with the drawing done in logical units.
QImage render(const QSize &size, qreal scale, const Drawing &drawing);

// The product mark: a rounded square in the brand gradient with a white
// chevron and a highlight dot, used for the window icon and the title icon.
void drawMark(QPainter &painter, const QSizeF &size);

// The window shadow as a 9-slice: a blurred, rounded body outline with
// `margin` pixels of shadow on every side.
QImage shadow(int margin, int radius, qreal scale);

enum class SystemButton { Minimize, Maximize, Restore, Close };
enum class ButtonState { Normal, Hover, Pressed, Disabled };
void drawSystemButton(QPainter &painter, const QSizeF &size, SystemButton button,
                      ButtonState state);

// The message-box icon (a friendly warning sign).
void drawMessageIcon(QPainter &painter, const QSizeF &size);

// Result-page flags: a green check or a red cross in a disc.
void drawSuccessFlag(QPainter &painter, const QSizeF &size);
void drawFailFlag(QPainter &painter, const QSizeF &size);

// Check-box indicators.
void drawCheckBox(QPainter &painter, const QSizeF &size, bool checked, bool hover, bool enabled);

// The start page's hero: brand gradient with the mark, fading into white.
void drawStartHero(QPainter &painter, const QSizeF &size);

// The result pages' header band.
void drawResultBand(QPainter &painter, const QSizeF &size, bool success);

// The three slideshow pictures (index 1..3).
void drawSlide(QPainter &painter, const QSizeF &size, int index);

} // namespace ArtPictures
