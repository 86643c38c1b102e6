#include "art_pictures.h"

#include "art_palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace ArtPictures {

namespace {

QLinearGradient brandGradient(const QRectF &rect, const QColor &from = Palette::indigo,
                              const QColor &to = Palette::violet)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(alpha);
    return color;
}

// Pictures at the top of the window body follow its rounded top corners.
QPainterPath roundedTop(const QSizeF &size, qreal radius)
{
    QPainterPath path;
    path.moveTo(0, size.height());
    path.lineTo(0, radius);
    path.arcTo(QRectF(0, 0, 2 * radius, 2 * radius), 180, -90);
    path.lineTo(size.width() - radius, 0);
    path.arcTo(QRectF(size.width() - 2 * radius, 0, 2 * radius, 2 * radius), 90, -90);
    path.lineTo(size.width(), size.height());
    path.closeSubpath();
    return path;
}

// Three passes of a box blur over the alpha channel approximate a Gaussian.
void blurAlpha(QImage &image, int radius)
{
    const int width = image.width();
    const int height = image.height();
    std::vector<float> alpha(std::size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            alpha[std::size_t(y) * width + x] = qAlpha(image.pixel(x, y));
    std::vector<float> scratch(alpha.size());
    const auto pass = [&](bool horizontal) {
        const int lines = horizontal ? height : width;
        const int length = horizontal ? width : height;
        for (int line = 0; line < lines; ++line) {
            for (int i = 0; i < length; ++i) {
                float sum = 0;
                for (int k = std::max(0, i - radius); k <= std::min(length - 1, i + radius); ++k) {
                    const std::size_t index = horizontal ? std::size_t(line) * width + k
                                                         : std::size_t(k) * width + line;
                    sum += alpha[index];
                }
                const std::size_t index
                    = horizontal ? std::size_t(line) * width + i : std::size_t(i) * width + line;
                scratch[index] = sum / float(2 * radius + 1);
            }
        }
        alpha.swap(scratch);
    };
    for (int round = 0; round < 3; ++round) {
        pass(true);
        pass(false);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgba(0, 0, 0, std::clamp(int(alpha[std::size_t(y) * width + x]), 0, 255)));
}

// Behind a white glyph, a faint dark halo keeps it legible on light spots.
void drawGlyph(QPainter &painter, const QPainterPath &glyph, qreal width)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(QColor(0, 0, 0, 40), width + 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(glyph);
    painter.setPen(QPen(Palette::white, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawPath(glyph);
}

void drawDisc(QPainter &painter, const QSizeF &size, const QColor &light, const QColor &dark)
{
    const QRectF disc(0.5, 0.5, size.width() - 1, size.height() - 1);
    QLinearGradient gradient(disc.topLeft(), disc.bottomLeft());
    gradient.setColorAt(0, light);
    gradient.setColorAt(1, dark);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(disc);
}

// A soft round glow.
void drawGlow(QPainter &painter, const QPointF &centre, qreal radius, const QColor &color)
{
    QRadialGradient glow(centre, radius);
    glow.setColorAt(0, color);
    glow.setColorAt(1, withAlpha(color, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius, radius);
}

// A four-pointed sparkle.
void drawSparkle(QPainter &painter, const QPointF &centre, qreal radius, const QColor &color)
{
    QPainterPath star;
    star.moveTo(centre.x(), centre.y() - radius);
    star.quadTo(centre, QPointF(centre.x() + radius, centre.y()));
    star.quadTo(centre, QPointF(centre.x(), centre.y() + radius));
    star.quadTo(centre, QPointF(centre.x() - radius, centre.y()));
    star.quadTo(centre, QPointF(centre.x(), centre.y() - radius));
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(star);
}

// Background circles and sweeping lines shared by the brand pictures.
void drawBrandBackdrop(QPainter &painter, const QSizeF &size, const QColor &from, const QColor &to)
{
    const QRectF all(QPointF(0, 0), size);
    painter.fillRect(all, brandGradient(all, from, to));
    drawGlow(painter, QPointF(size.width() * 0.85, size.height() * 0.1), size.height() * 0.9,
             withAlpha(Palette::cyan, 0.28));
    drawGlow(painter, QPointF(size.width() * 0.08, size.height() * 0.95), size.height() * 0.8,
             withAlpha(Palette::pink, 0.22));
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 4; ++i) {
        painter.setPen(QPen(withAlpha(Palette::white, 0.10 - i * 0.015), 1.2));
        QPainterPath wave;
        const qreal y = size.height() * (0.55 + i * 0.09);
        wave.moveTo(-10, y);
        wave.cubicTo(size.width() * 0.3, y - 60 + i * 12, size.width() * 0.6, y + 50 - i * 10,
                     size.width() + 10, y - 20);
        painter.drawPath(wave);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(Palette::white, 0.06));
    painter.drawEllipse(QPointF(size.width() * 0.9, -size.height() * 0.05), size.height() * 0.55,
                        size.height() * 0.55);
    painter.drawEllipse(QPointF(size.width() * 0.05, size.height() * 0.2), size.height() * 0.25,
                        size.height() * 0.25);
}

void drawCheckMark(QPainter &painter, const QPointF &a, const QPointF &b, const QPointF &c,
                   qreal width, const QColor &color)
{
    QPainterPath check;
    check.moveTo(a);
    check.lineTo(b);
    check.lineTo(c);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(check);
}

// A floating application window, for the second slide.
void drawCard(QPainter &painter, const QRectF &card, const QColor &accent)
{
    painter.setPen(Qt::NoPen);
    for (int i = 3; i >= 1; --i) {
        painter.setBrush(QColor(20, 10, 60, 14));
        painter.drawRoundedRect(card.adjusted(-i, -i + 4, i, i + 6), 10 + i, 10 + i);
    }
    painter.setBrush(Palette::white);
    painter.drawRoundedRect(card, 10, 10);
    painter.setBrush(withAlpha(accent, 0.14));
    QPainterPath header;
    header.addRoundedRect(QRectF(card.left(), card.top(), card.width(), 22), 10, 10);
    header.addRect(QRectF(card.left(), card.top() + 11, card.width(), 11));
    painter.drawPath(header.simplified());
    const QColor dots[] = { Palette::red, Palette::amber, Palette::green };
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(dots[i]);
        painter.drawEllipse(QPointF(card.left() + 12 + i * 10, card.top() + 11), 3, 3);
    }
    painter.setBrush(brandGradient(card, accent, accent.lighter(130)));
    painter.drawRoundedRect(
        QRectF(card.left() + 12, card.top() + 34, card.width() * 0.36, card.height() - 48), 6, 6);
    painter.setBrush(QColor(0xe8, 0xea, 0xf3));
    for (int i = 0; i < 3; ++i) {
        const qreal width = (card.width() * 0.5 - 10) * (1.0 - i * 0.2);
        painter.drawRoundedRect(
            QRectF(card.left() + card.width() * 0.36 + 22, card.top() + 36 + i * 14, width, 7), 3.5,
            3.5);
    }
}

} // namespace

QImage render(const QSize &size, qreal scale, const Drawing &drawing)
{
    QImage image(QSize(qRound(size.width() * scale), qRound(size.height() * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    drawing(painter, QSizeF(size));
    painter.end();
    return image;
}

void drawMark(QPainter &painter, const QSizeF &size)
{
    const qreal s = size.width();
    const QRectF body(0, 0, s, s);
    painter.setPen(Qt::NoPen);
    painter.setBrush(brandGradient(body));
    painter.drawRoundedRect(body, s * 0.24, s * 0.24);
    // A soft light from the top left gives the square some depth.
    painter.save();
    QPainterPath clip;
    clip.addRoundedRect(body, s * 0.24, s * 0.24);
    painter.setClipPath(clip);
    drawGlow(painter, QPointF(s * 0.2, s * 0.1), s * 0.8, withAlpha(Palette::white, 0.22));
    painter.restore();

    QPainterPath chevron;
    chevron.moveTo(s * 0.27, s * 0.42);
    chevron.lineTo(s * 0.5, s * 0.68);
    chevron.lineTo(s * 0.73, s * 0.42);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(Palette::white, std::max(1.6, s * 0.12), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(chevron);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::cyan);
    painter.drawEllipse(QPointF(s * 0.5, s * 0.25), std::max(1.2, s * 0.08),
                        std::max(1.2, s * 0.08));
}

QImage shadow(int margin, int radius, qreal scale)
{
    // The slices reach past the body's rounded corners so that the corner
    // pieces also carry the shadow beside the curve.
    const int slice = margin + radius;
    const QSize size(2 * slice + 2, 2 * slice + 2);
    QImage image = render(size, scale, [&](QPainter &painter, const QSizeF &area) {
        const QRectF body = QRectF(QPointF(0, 0), area).adjusted(margin, margin, -margin, -margin);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(16, 18, 48, 90));
        painter.drawRoundedRect(body.translated(0, 2), radius, radius);
    });
    blurAlpha(image, qRound(3 * scale));
    // Tint the shadow towards the brand ink rather than pure black, and
    // leave the body itself clear: the body draws its own background.
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), QColor(18, 16, 52));
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.scale(scale, scale);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(size))
                                .adjusted(margin + 1, margin + 1, -margin - 1, -margin - 1),
                            radius, radius);
    return image;
}

void drawSystemButton(QPainter &painter, const QSizeF &size, SystemButton button, ButtonState state)
{
    const QRectF face = QRectF(QPointF(0, 0), size).adjusted(2, 2, -2, -2);
    painter.setPen(Qt::NoPen);
    if (state == ButtonState::Disabled)
        painter.setOpacity(0.4);
    if (state == ButtonState::Hover || state == ButtonState::Pressed) {
        QColor fill = withAlpha(Palette::white, state == ButtonState::Hover ? 0.22 : 0.34);
        if (button == SystemButton::Close)
            fill = state == ButtonState::Hover ? Palette::red : Palette::red.darker(118);
        painter.setBrush(fill);
        painter.drawRoundedRect(face, 4, 4);
    }

    const qreal cx = size.width() / 2;
    const qreal cy = size.height() / 2;
    QPainterPath glyph;
    switch (button) {
    case SystemButton::Minimize:
        glyph.moveTo(cx - 5, cy + 0.5);
        glyph.lineTo(cx + 5, cy + 0.5);
        break;
    case SystemButton::Maximize:
        glyph.addRect(QRectF(cx - 4.5, cy - 4.5, 9, 9));
        break;
    case SystemButton::Restore:
        glyph.addRect(QRectF(cx - 4.5, cy - 2.5, 7, 7));
        glyph.moveTo(cx - 2.5, cy - 2.5);
        glyph.lineTo(cx - 2.5, cy - 4.5);
        glyph.lineTo(cx + 4.5, cy - 4.5);
        glyph.lineTo(cx + 4.5, cy + 2.5);
        glyph.lineTo(cx + 2.5, cy + 2.5);
        break;
    case SystemButton::Close:
        glyph.moveTo(cx - 4.5, cy - 4.5);
        glyph.lineTo(cx + 4.5, cy + 4.5);
        glyph.moveTo(cx + 4.5, cy - 4.5);
        glyph.lineTo(cx - 4.5, cy + 4.5);
        break;
    }
    drawGlyph(painter, glyph, button == SystemButton::Close ? 1.3 : 1.1);
}

void drawMessageIcon(QPainter &painter, const QSizeF &size)
{
    drawDisc(painter, size, QColor(0xfb, 0xbf, 0x24), Palette::amber);
    const qreal s = size.width();
    painter.setPen(QPen(Palette::white, s * 0.11, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(s / 2, s * 0.25), QPointF(s / 2, s * 0.58));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::white);
    painter.drawEllipse(QPointF(s / 2, s * 0.74), s * 0.065, s * 0.065);
}

void drawSuccessFlag(QPainter &painter, const QSizeF &size)
{
    drawDisc(painter, size, QColor(0x22, 0xc5, 0x5e), Palette::green);
    const qreal s = size.width();
    drawCheckMark(painter, QPointF(s * 0.28, s * 0.52), QPointF(s * 0.44, s * 0.68),
                  QPointF(s * 0.73, s * 0.36), s * 0.1, Palette::white);
}

void drawFailFlag(QPainter &painter, const QSizeF &size)
{
    drawDisc(painter, size, QColor(0xf8, 0x71, 0x71), Palette::red);
    const qreal s = size.width();
    painter.setPen(QPen(Palette::white, s * 0.1, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(s * 0.34, s * 0.34), QPointF(s * 0.66, s * 0.66));
    painter.drawLine(QPointF(s * 0.66, s * 0.34), QPointF(s * 0.34, s * 0.66));
}

void drawCheckBox(QPainter &painter, const QSizeF &size, bool checked, bool hover, bool enabled)
{
    const QRectF box = QRectF(QPointF(0, 0), size).adjusted(1, 1, -1, -1);
    if (checked) {
        painter.setPen(Qt::NoPen);
        QColor from = hover ? Palette::indigo.lighter(112) : Palette::indigo;
        QColor to = hover ? Palette::violet.lighter(112) : Palette::violet;
        if (!enabled) {
            from = QColor(0xc7, 0xc9, 0xe8);
            to = QColor(0xd4, 0xc6, 0xf0);
        }
        painter.setBrush(brandGradient(box, from, to));
        painter.drawRoundedRect(box, 3.5, 3.5);
        const qreal s = size.width();
        drawCheckMark(painter, QPointF(s * 0.27, s * 0.52), QPointF(s * 0.43, s * 0.68),
                      QPointF(s * 0.74, s * 0.34), 1.8, Palette::white);
        return;
    }
    painter.setBrush(enabled ? Palette::white : QColor(0xf1, 0xf2, 0xf6));
    const QColor border = !enabled ? QColor(0xdd, 0xe0, 0xe8)
        : hover                    ? Palette::indigo
                                   : QColor(0xb8, 0xbd, 0xcc);
    painter.setPen(QPen(border, 1.2));
    painter.drawRoundedRect(box.adjusted(0.1, 0.1, -0.1, -0.1), 3.5, 3.5);
}

void drawStartHero(QPainter &painter, const QSizeF &size)
{
    painter.setClipPath(roundedTop(size, 8));
    drawBrandBackdrop(painter, size, Palette::deepIndigo, Palette::violet);

    // The mark, floating in a glow, with a light reflection below it.
    const qreal mark = 64;
    const QPointF centre(size.width() / 2, size.height() * 0.40);
    drawGlow(painter, centre, 90, withAlpha(Palette::white, 0.20));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(10, 6, 40, 50));
    painter.drawEllipse(QPointF(centre.x(), centre.y() + mark * 0.62), mark * 0.42, 5);
    painter.save();
    painter.translate(centre.x() - mark / 2, centre.y() - mark / 2);
    painter.setPen(QPen(withAlpha(Palette::white, 0.5), 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(-0.6, -0.6, mark + 1.2, mark + 1.2), mark * 0.25, mark * 0.25);
    drawMark(painter, QSizeF(mark, mark));
    painter.restore();
    drawSparkle(painter, QPointF(centre.x() + 64, centre.y() - 30), 7,
                withAlpha(Palette::white, 0.9));
    drawSparkle(painter, QPointF(centre.x() - 78, centre.y() + 8), 5,
                withAlpha(Palette::cyan, 0.9));
    drawSparkle(painter, QPointF(centre.x() + 96, centre.y() + 24), 4,
                withAlpha(Palette::white, 0.6));

    // The white wave the install button sits on.
    QPainterPath wave;
    const qreal h = size.height();
    wave.moveTo(0, h * 0.80);
    wave.cubicTo(size.width() * 0.30, h * 0.66, size.width() * 0.62, h * 0.98, size.width(),
                 h * 0.76);
    wave.lineTo(size.width(), h + 1);
    wave.lineTo(0, h + 1);
    wave.closeSubpath();
    painter.setBrush(withAlpha(Palette::white, 0.35));
    painter.drawPath(wave.translated(0, -8));
    painter.setBrush(Palette::white);
    painter.drawPath(wave);
}

void drawResultBand(QPainter &painter, const QSizeF &size, bool success)
{
    painter.setClipPath(roundedTop(size, 8));
    QPainterPath band;
    const qreal h = size.height();
    band.moveTo(0, 0);
    band.lineTo(size.width(), 0);
    band.lineTo(size.width(), h * 0.62);
    band.cubicTo(size.width() * 0.65, h * 1.0, size.width() * 0.35, h * 0.55, 0, h * 0.85);
    band.closeSubpath();
    painter.setClipPath(band, Qt::IntersectClip);
    drawBrandBackdrop(painter, size, success ? Palette::indigo : Palette::deepIndigo,
                      success ? Palette::violet : QColor(0x47, 0x55, 0x69));
    if (success) {
        // A little confetti.
        const QColor colors[] = { Palette::cyan, Palette::pink, Palette::amber, Palette::white };
        for (int i = 0; i < 22; ++i) {
            const qreal x = std::fmod(i * 83.7 + 17, size.width());
            const qreal y = std::fmod(i * 37.3 + 9, h * 0.6);
            painter.save();
            painter.translate(x, y);
            painter.rotate(i * 37);
            painter.setPen(Qt::NoPen);
            painter.setBrush(withAlpha(colors[i % 4], 0.75));
            painter.drawRoundedRect(QRectF(-3, -1.2, 6, 2.4), 1, 1);
            painter.restore();
        }
    }
}

void drawSlide(QPainter &painter, const QSizeF &size, int index)
{
    painter.setClipPath(roundedTop(size, 8));
    const qreal w = size.width();
    const qreal h = size.height();
    const QPointF centre(w / 2, h * 0.47);
    if (index == 1) {
        // Fast delivery: a cloud handing down the package.
        drawBrandBackdrop(painter, size, Palette::deepIndigo, Palette::indigo);
        painter.setBrush(Qt::NoBrush);
        for (int i = 1; i <= 3; ++i) {
            painter.setPen(QPen(withAlpha(Palette::white, 0.16 / i), 1.2));
            painter.drawEllipse(centre, 80.0 + i * 26, 50.0 + i * 18);
        }
        drawGlow(painter, centre, 110, withAlpha(Palette::cyan, 0.25));
        QPainterPath cloud;
        cloud.setFillRule(Qt::WindingFill);
        cloud.addEllipse(QPointF(centre.x() - 38, centre.y() + 8), 30, 26);
        cloud.addEllipse(QPointF(centre.x() + 2, centre.y() - 12), 40, 38);
        cloud.addEllipse(QPointF(centre.x() + 44, centre.y() + 6), 30, 28);
        cloud.addRoundedRect(QRectF(centre.x() - 68, centre.y() + 4, 142, 34), 17, 17);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(10, 6, 50, 45));
        painter.drawPath(cloud.simplified().translated(0, 6));
        painter.setBrush(Palette::white);
        painter.drawPath(cloud.simplified());
        painter.setPen(QPen(QBrush(brandGradient(QRectF(centre.x() - 12, centre.y() - 20, 24, 44))),
                            6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(QPointF(centre.x() + 2, centre.y() - 18),
                         QPointF(centre.x() + 2, centre.y() + 18));
        painter.drawPolyline(QPolygonF({ QPointF(centre.x() - 12, centre.y() + 5),
                                         QPointF(centre.x() + 2, centre.y() + 19),
                                         QPointF(centre.x() + 16, centre.y() + 5) }));
        for (int i = 0; i < 14; ++i) {
            const qreal x = std::fmod(i * 71.3 + 20, w);
            const qreal y = std::fmod(i * 43.1 + 15, h * 0.9);
            painter.setPen(Qt::NoPen);
            painter.setBrush(withAlpha(i % 3 ? Palette::white : Palette::cyan, 0.5));
            painter.drawEllipse(QPointF(x, y), 1.6, 1.6);
        }
    } else if (index == 2) {
        // Everything in one place: floating application windows.
        drawBrandBackdrop(painter, size, Palette::violet, Palette::pink);
        drawCard(painter, QRectF(centre.x() - 170, centre.y() - 40, 150, 96), Palette::teal);
        drawCard(painter, QRectF(centre.x() + 30, centre.y() - 52, 150, 96), Palette::amber);
        drawCard(painter, QRectF(centre.x() - 85, centre.y() - 70, 170, 112), Palette::indigo);
        drawSparkle(painter, QPointF(centre.x() + 120, centre.y() + 66), 7,
                    withAlpha(Palette::white, 0.9));
        drawSparkle(painter, QPointF(centre.x() - 150, centre.y() - 62), 5,
                    withAlpha(Palette::white, 0.8));
    } else {
        // Safe and sound: a shield with a check.
        drawBrandBackdrop(painter, size, Palette::teal.darker(130), Palette::indigo);
        drawGlow(painter, centre, 120, withAlpha(Palette::white, 0.18));
        QPainterPath shield;
        shield.moveTo(centre.x(), centre.y() - 62);
        shield.cubicTo(centre.x() + 30, centre.y() - 46, centre.x() + 48, centre.y() - 46,
                       centre.x() + 54, centre.y() - 44);
        shield.cubicTo(centre.x() + 56, centre.y() + 6, centre.x() + 38, centre.y() + 46,
                       centre.x(), centre.y() + 66);
        shield.cubicTo(centre.x() - 38, centre.y() + 46, centre.x() - 56, centre.y() + 6,
                       centre.x() - 54, centre.y() - 44);
        shield.cubicTo(centre.x() - 48, centre.y() - 46, centre.x() - 30, centre.y() - 46,
                       centre.x(), centre.y() - 62);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(6, 20, 40, 50));
        painter.drawPath(shield.translated(0, 6));
        painter.setBrush(Palette::white);
        painter.drawPath(shield);
        QPainterPath inner = QTransform()
                                 .translate(centre.x(), centre.y())
                                 .scale(0.78, 0.78)
                                 .translate(-centre.x(), -centre.y())
                                 .map(shield);
        painter.setBrush(brandGradient(inner.boundingRect(), Palette::teal, Palette::indigo));
        painter.drawPath(inner);
        drawCheckMark(painter, QPointF(centre.x() - 18, centre.y() + 2),
                      QPointF(centre.x() - 4, centre.y() + 16),
                      QPointF(centre.x() + 22, centre.y() - 14), 7, Palette::white);
        drawSparkle(painter, QPointF(centre.x() + 92, centre.y() - 40), 8,
                    withAlpha(Palette::white, 0.9));
        drawSparkle(painter, QPointF(centre.x() - 96, centre.y() + 30), 6,
                    withAlpha(Palette::cyan, 0.9));
        drawSparkle(painter, QPointF(centre.x() + 70, centre.y() + 52), 4,
                    withAlpha(Palette::white, 0.7));
    }
}

} // namespace ArtPictures
