#include "canvas.h"

#include <QPainterPathStroker>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <vector>

namespace artgen {

QImage render(QSize logicalSize, int scale, const DrawFunction& draw) {
    QImage image(logicalSize * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    draw(painter);
    painter.end();
    return image;
}

QRectF strokeRect(const QRectF& bounds) {
    return bounds.adjusted(0.5, 0.5, -0.5, -0.5);
}

QColor withAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

QColor mix(const QColor& from, const QColor& to, qreal t) {
    const auto channel = [t](int a, int b) { return qRound(a + (b - a) * t); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()), channel(from.alpha(), to.alpha()));
}

QLinearGradient verticalGradient(qreal top, qreal bottom, const QColor& from, const QColor& to) {
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

QPen glyphPen(const QColor& colour, qreal width) {
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

namespace {

// One horizontal and one vertical box pass over every channel of a premultiplied image.
void boxBlur(QImage& image, int radius) {
    if (radius <= 0) {
        return;
    }
    const int width = image.width();
    const int height = image.height();
    std::vector<int> line(static_cast<std::size_t>(std::max(width, height)) * 4);
    const auto pass = [&](int count, int length, auto pixelAt) {
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < length; ++j) {
                const QRgb value = *pixelAt(i, j);
                line[j * 4 + 0] = qAlpha(value);
                line[j * 4 + 1] = qRed(value);
                line[j * 4 + 2] = qGreen(value);
                line[j * 4 + 3] = qBlue(value);
            }
            const int window = radius * 2 + 1;
            for (int j = 0; j < length; ++j) {
                int sums[4] = {0, 0, 0, 0};
                for (int k = j - radius; k <= j + radius; ++k) {
                    if (k >= 0 && k < length) {
                        for (int c = 0; c < 4; ++c) {
                            sums[c] += line[k * 4 + c];
                        }
                    }
                }
                *pixelAt(i, j) =
                    qRgba(sums[1] / window, sums[2] / window, sums[3] / window, sums[0] / window);
            }
        }
    };
    pass(height, width, [&](int y, int x) { return reinterpret_cast<QRgb*>(image.scanLine(y)) + x; });
    pass(width, height, [&](int x, int y) { return reinterpret_cast<QRgb*>(image.scanLine(y)) + x; });
}

// Three box passes come close enough to a Gaussian for shadows.
void softBlur(QImage& image, qreal radius) {
    const int box = std::max(1, qRound(radius / 2.0));
    for (int i = 0; i < 3; ++i) {
        boxBlur(image, box);
    }
}

struct DeviceLayer {
    QImage image;
    QPoint origin;
};

DeviceLayer layerFor(const QPainter& painter, const QRectF& logicalBounds) {
    const QRect device = painter.transform().mapRect(logicalBounds).toAlignedRect();
    DeviceLayer layer{QImage(device.size(), QImage::Format_ARGB32_Premultiplied), device.topLeft()};
    layer.image.fill(Qt::transparent);
    return layer;
}

void beginLayerPainter(QPainter& layerPainter, const QPainter& painter, const DeviceLayer& layer) {
    layerPainter.setRenderHint(QPainter::Antialiasing);
    layerPainter.translate(-layer.origin);
    layerPainter.setTransform(painter.transform(), true);
}

// Keeps only what lies inside the shape. Composition modes act only where a source is drawn, so the
// shape goes through a full-size mask image.
void keepInside(const QPainter& painter, DeviceLayer& layer, const QPainterPath& shape) {
    QImage mask(layer.image.size(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter maskPainter(&mask);
        beginLayerPainter(maskPainter, painter, layer);
        maskPainter.fillPath(shape, Qt::black);
    }
    QPainter layerPainter(&layer.image);
    layerPainter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    layerPainter.drawImage(0, 0, mask);
}

void drawLayer(QPainter& painter, const DeviceLayer& layer) {
    painter.save();
    painter.resetTransform();
    painter.drawImage(layer.origin, layer.image);
    painter.restore();
}

} // namespace

void paintShadow(QPainter& painter, const QPainterPath& shape, QPointF offset, qreal blurRadius,
                 const QColor& colour) {
    const qreal scale = painter.transform().m11();
    const qreal margin = blurRadius * 2 + 2;
    DeviceLayer layer =
        layerFor(painter, shape.boundingRect().translated(offset).adjusted(-margin, -margin, margin, margin));
    {
        QPainter layerPainter(&layer.image);
        beginLayerPainter(layerPainter, painter, layer);
        layerPainter.fillPath(shape.translated(offset), colour);
    }
    softBlur(layer.image, blurRadius * scale);
    drawLayer(painter, layer);
}

void paintInnerShadow(QPainter& painter, const QPainterPath& shape, QPointF offset, qreal blurRadius,
                      const QColor& colour) {
    const qreal scale = painter.transform().m11();
    const qreal margin = blurRadius * 2 + 2;
    const QRectF bounds = shape.boundingRect().adjusted(-margin, -margin, margin, margin);
    DeviceLayer layer = layerFor(painter, bounds);
    {
        QPainter layerPainter(&layer.image);
        beginLayerPainter(layerPainter, painter, layer);
        QPainterPath outside;
        outside.addRect(bounds.adjusted(-margin, -margin, margin, margin));
        outside = outside.subtracted(shape.translated(offset));
        layerPainter.fillPath(outside, colour);
    }
    softBlur(layer.image, blurRadius * scale);
    keepInside(painter, layer, shape);
    drawLayer(painter, layer);
}

void strokeLitOutline(QPainter& painter, const QPainterPath& outline, qreal width, const Lighting& lighting) {
    const qreal margin = width + 2;
    DeviceLayer layer = layerFor(painter, outline.boundingRect().adjusted(-margin, -margin, margin, margin));
    QPainter layerPainter(&layer.image);
    beginLayerPainter(layerPainter, painter, layer);

    // First the colours, on a band wider than the line, stretch by stretch of the flattened outline.
    // Flat ends keep each stretch's colour to itself, so straight runs stay uniform to their ends;
    // the side colour underneath fills the slivers between the stretches of a curve.
    layerPainter.setPen(QPen(lighting.side, width + 2));
    layerPainter.drawPath(outline);
    const QTransform fine = QTransform::fromScale(8, 8);
    for (const QPolygonF& fineRing : outline.toSubpathPolygons(fine)) {
        const QPolygonF ring = fine.inverted().map(fineRing);
        qreal area = 0;
        for (int i = 0; i + 1 < ring.size(); ++i) {
            area += ring[i].x() * ring[i + 1].y() - ring[i + 1].x() * ring[i].y();
        }
        const qreal outward = area > 0 ? 1 : -1;
        for (int i = 0; i + 1 < ring.size(); ++i) {
            const QPointF d = ring[i + 1] - ring[i];
            const qreal length = std::hypot(d.x(), d.y());
            if (length < 1e-6) {
                continue;
            }
            const qreal facing = -outward * d.x() / length; // -1 facing up, +1 facing down
            const QColor colour = facing < 0 ? mix(lighting.side, lighting.top, -facing)
                                             : mix(lighting.side, lighting.bottom, facing);
            layerPainter.setPen(QPen(colour, width + 2, Qt::SolidLine, Qt::FlatCap));
            layerPainter.drawLine(ring[i], ring[i + 1]);
        }
    }
    layerPainter.end();
    // Then cut to the antialiased line itself.
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setJoinStyle(Qt::RoundJoin);
    keepInside(painter, layer, stroker.createStroke(outline));
    drawLayer(painter, layer);
}

} // namespace artgen
