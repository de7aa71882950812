// Button faces: the text buttons, the carousel's side strips, the caption buttons and the history
// grid's row actions. Every face of a set shares one shape; the states differ only in light.

#include "catalogue.h"

namespace artgen {
namespace {

enum class State { Normal, Hover, Pressed, Disabled };

QString stateName(State state) {
    switch (state) {
    case State::Normal:
        return QStringLiteral("normal");
    case State::Hover:
        return QStringLiteral("hover");
    case State::Pressed:
        return QStringLiteral("pressed");
    case State::Disabled:
        return QStringLiteral("disabled");
    }
    return {};
}

// A 1 px line just inside a shape's rim: light along the top for raised faces, dark for pressed ones.
void strokeInnerRim(QPainter& p, const QRectF& rim, qreal radius, const QColor& top, qreal fadeAt) {
    const QRectF inner = rim.adjusted(1, 1, -1, -1);
    QLinearGradient fade(0, inner.top(), 0, inner.bottom());
    fade.setColorAt(0, top);
    fade.setColorAt(fadeAt, withAlpha(top, 0));
    fade.setColorAt(1, withAlpha(top, 0));
    p.setPen(QPen(QBrush(fade), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(inner, radius - 1, radius - 1);
}

// Text buttons (113 × 19 and 97 × 19 in the windows) stretch this face with 10 px margins, so its
// middle columns are identical and its corners fit well inside the margins.
void drawTextButtonFace(QPainter& p, QSizeF size, State state) {
    const QRectF rim = strokeRect(QRectF(QPointF(0, 0), size));
    const qreal radius = skin::kButtonRadius - 0.5;
    QColor top = skin::kAccentTop;
    QColor bottom = skin::kAccentBottom;
    QColor edge = skin::kAccentRim;
    switch (state) {
    case State::Normal:
        break;
    case State::Hover:
        top = top.lighter(114);
        bottom = bottom.lighter(116);
        break;
    case State::Pressed:
        top = skin::kAccentDeep;
        bottom = skin::kAccentBottom;
        edge = edge.darker(115);
        break;
    case State::Disabled:
        top = skin::kGrey3.lighter(104);
        bottom = mix(skin::kGrey3, skin::kGrey2, 0.45);
        edge = skin::kGrey1;
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(verticalGradient(rim.top(), rim.bottom(), top, bottom));
    p.drawRoundedRect(rim, radius, radius);

    if (state == State::Pressed) {
        strokeInnerRim(p, rim, radius, withAlpha(Qt::black, 90), 0.5);
    } else {
        const int light = state == State::Hover ? 120 : state == State::Disabled ? 40 : 88;
        strokeInnerRim(p, rim, radius, withAlpha(Qt::white, light), 0.55);
    }
    p.setPen(QPen(edge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(rim, radius, radius);
}

// The carousel's side strips: a recessed gutter the height of the carousel with a chevron.
void drawCarouselStrip(QPainter& p, QSizeF size, bool pointsLeft, State state) {
    if (!pointsLeft) {
        p.translate(size.width(), 0);
        p.scale(-1, 1);
    }
    const qreal w = size.width();
    const qreal h = size.height();
    QColor outer = skin::kGrey2.lighter(112);
    QColor inner = skin::kPanel.darker(104);
    QColor chevron = skin::kGrey5;
    switch (state) {
    case State::Hover:
        outer = skin::kPanel;
        inner = skin::kPanel.lighter(112);
        chevron = Qt::white;
        break;
    case State::Pressed:
        outer = skin::kGrey2;
        inner = skin::kGrey2.lighter(106);
        chevron = skin::kAzure;
        break;
    default:
        break;
    }
    QLinearGradient across(0, 0, w, 0);
    across.setColorAt(0, outer);
    across.setColorAt(1, inner);
    p.fillRect(QRectF(0, 0, w, h), across);
    if (state == State::Pressed) {
        QLinearGradient shade(0, 0, 4, 0);
        shade.setColorAt(0, withAlpha(Qt::black, 70));
        shade.setColorAt(1, withAlpha(Qt::black, 0));
        p.fillRect(QRectF(0, 0, 4, h), shade);
    }
    // The seam toward the items: a dark line with a faint light one beside it.
    p.fillRect(QRectF(w - 1, 0, 1, h), skin::kGrey1);
    p.fillRect(QRectF(w - 2, 0, 1, h), withAlpha(Qt::white, state == State::Hover ? 20 : 10));

    const qreal cx = w / 2 - 0.5;
    const qreal cy = h / 2;
    QPainterPath mark;
    mark.moveTo(cx + 2.5, cy - 6);
    mark.lineTo(cx - 3.5, cy);
    mark.lineTo(cx + 2.5, cy + 6);
    p.setBrush(Qt::NoBrush);
    p.setPen(glyphPen(withAlpha(Qt::black, 90)));
    p.drawPath(mark.translated(0, 1));
    p.setPen(glyphPen(chevron));
    p.drawPath(mark);
}

enum class Caption { Close, Minimise, Maximise, Restore };

void drawCaptionGlyph(QPainter& p, Caption kind, const QColor& colour) {
    p.setBrush(Qt::NoBrush);
    switch (kind) {
    case Caption::Close: {
        QPen pen = glyphPen(colour, 1.6);
        p.setPen(pen);
        p.drawLine(QPointF(8.5, 4), QPointF(15.5, 11));
        p.drawLine(QPointF(15.5, 4), QPointF(8.5, 11));
        break;
    }
    case Caption::Minimise:
        p.fillRect(QRectF(8, 9, 8, 2), colour);
        break;
    case Caption::Maximise:
        p.setPen(QPen(colour, 1));
        p.drawRect(QRectF(8.5, 4.5, 7, 6));
        p.fillRect(QRectF(8, 4, 8, 2), colour);
        break;
    case Caption::Restore:
        p.setPen(QPen(colour, 1));
        p.drawPolyline(
            QPolygonF({QPointF(10.5, 4.5), QPointF(16.5, 4.5), QPointF(16.5, 9.5), QPointF(15, 9.5)}));
        p.fillRect(QRectF(10, 3, 7, 2), colour);
        p.drawRect(QRectF(7.5, 7.5, 6, 4));
        p.fillRect(QRectF(7, 6, 7, 2), colour);
        break;
    }
}

// Caption buttons sit flush with the top of the caption bar: a tab with rounded lower corners.
void drawCaptionButton(QPainter& p, QSizeF size, Caption kind, State state) {
    const QRectF area(0.5, 0, size.width() - 1, size.height() - 0.5);
    QPainterPath tab;
    const qreal r = skin::kButtonRadius;
    tab.moveTo(area.topLeft());
    tab.lineTo(area.topRight());
    tab.lineTo(area.right(), area.bottom() - r);
    tab.quadTo(area.bottomRight(), QPointF(area.right() - r, area.bottom()));
    tab.lineTo(area.left() + r, area.bottom());
    tab.quadTo(area.bottomLeft(), QPointF(area.left(), area.bottom() - r));
    tab.closeSubpath();

    QColor glyph = skin::kGrey6;
    if (state == State::Hover || state == State::Pressed) {
        const bool pressed = state == State::Pressed;
        if (kind == Caption::Close) {
            const QColor top = pressed ? skin::kDangerBottom.darker(115) : skin::kDangerTop;
            const QColor bottom = pressed ? skin::kDangerBottom : skin::kDangerBottom.lighter(104);
            p.fillPath(tab, verticalGradient(area.top(), area.bottom(), top, bottom));
        } else {
            p.fillPath(tab, pressed ? withAlpha(Qt::black, 60) : withAlpha(Qt::white, 30));
        }
        glyph = pressed ? skin::kGrey6 : Qt::white;
    }
    // A dark shadow under the glyph keeps it legible on the red face as well as on the panel.
    p.save();
    p.translate(0, 1);
    drawCaptionGlyph(p, kind, withAlpha(Qt::black, 55));
    p.restore();
    drawCaptionGlyph(p, kind, glyph);
}

enum class RowAction { Remove, Undo, Redo };

void drawTrashCan(QPainter& p, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    // Handle, lid and a body that narrows a little toward its rounded foot.
    p.drawRect(QRectF(8, 3, 5, 1));
    p.drawRect(QRectF(8, 4, 1, 1));
    p.drawRect(QRectF(12, 4, 1, 1));
    p.drawRoundedRect(QRectF(4.5, 5, 12, 2), 1, 1);
    QPainterPath body;
    body.moveTo(6, 8);
    body.lineTo(15, 8);
    body.lineTo(14.4, 16);
    body.quadTo(14.3, 17, 13.3, 17);
    body.lineTo(7.7, 17);
    body.quadTo(6.7, 17, 6.6, 16);
    body.closeSubpath();
    QPainterPath slits;
    slits.addRect(QRectF(8.5, 10, 1, 5));
    slits.addRect(QRectF(11.5, 10, 1, 5));
    p.drawPath(body.subtracted(slits));
}

void drawBackArrow(QPainter& p, const QColor& colour) {
    QPainterPath stem;
    stem.moveTo(8, 8);
    stem.lineTo(12, 8);
    stem.arcTo(QRectF(8.5, 8, 7, 7), 90, -180);
    stem.lineTo(8, 15);
    p.setBrush(Qt::NoBrush);
    p.setPen(glyphPen(colour));
    p.drawPath(stem);
    QPainterPath head;
    head.moveTo(3.5, 8);
    head.lineTo(8.5, 4);
    head.lineTo(8.5, 12);
    head.closeSubpath();
    p.setPen(QPen(colour, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPath(head);
}

// The history grid's row buttons lie on the light-blue selected row: dark glyphs that light up on a
// raised chip when hovered and turn white on the accent when pressed.
void drawRowAction(QPainter& p, QSizeF size, RowAction action, State state) {
    const QRectF chip = strokeRect(QRectF(QPointF(1, 1), size - QSizeF(2, 2)));
    const qreal radius = skin::kButtonRadius - 0.5;
    const QColor ink{0x2B, 0x44, 0x6A};
    QColor glyph = ink;
    if (state == State::Hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(verticalGradient(chip.top(), chip.bottom(), withAlpha(Qt::white, 235),
                                    withAlpha(Qt::white, 170)));
        p.drawRoundedRect(chip, radius, radius);
        p.setPen(QPen(skin::kSelection, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(chip, radius, radius);
        glyph = action == RowAction::Remove ? skin::kDangerBottom : skin::kAccentDeep;
    } else if (state == State::Pressed) {
        p.setPen(Qt::NoPen);
        p.setBrush(verticalGradient(chip.top(), chip.bottom(), skin::kAccentBottom, skin::kAccentTop));
        p.drawRoundedRect(chip, radius, radius);
        strokeInnerRim(p, chip, radius, withAlpha(Qt::black, 70), 0.5);
        p.setPen(QPen(skin::kAccentRim, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(chip, radius, radius);
        glyph = Qt::white;
    }
    p.save();
    if (action == RowAction::Redo) {
        p.translate(size.width(), 0);
        p.scale(-1, 1);
    }
    if (action == RowAction::Remove) {
        drawTrashCan(p, glyph);
    } else {
        drawBackArrow(p, glyph);
    }
    p.restore();
}

template <typename Draw>
void addStates(std::vector<Picture>& pictures, const QString& title, QSize size, Backdrop backdrop,
               const std::vector<std::pair<std::uint32_t, State>>& numbers, Draw draw) {
    for (const auto& [number, state] : numbers) {
        const QSizeF logical(size);
        pictures.push_back({number, size, title + QStringLiteral(", ") + stateName(state), backdrop,
                            [draw, logical, state = state](QPainter& p) { draw(p, logical, state); }});
    }
}

} // namespace

void addTextButtonFaces(std::vector<Picture>& pictures) {
    addStates(
        pictures, QStringLiteral("Text button"), QSize(40, 19), Backdrop::Panel,
        {{20143, State::Normal}, {20144, State::Hover}, {20145, State::Pressed}, {20146, State::Disabled}},
        drawTextButtonFace);
}

void addCarouselButtons(std::vector<Picture>& pictures) {
    const QSize size(24, 84);
    addStates(pictures, QStringLiteral("Carousel left"), size, Backdrop::Panel,
              {{20171, State::Normal}, {20172, State::Hover}, {20173, State::Pressed}},
              [](QPainter& p, QSizeF s, State state) { drawCarouselStrip(p, s, true, state); });
    addStates(pictures, QStringLiteral("Carousel right"), size, Backdrop::Panel,
              {{20174, State::Normal}, {20175, State::Hover}, {20176, State::Pressed}},
              [](QPainter& p, QSizeF s, State state) { drawCarouselStrip(p, s, false, state); });
}

void addCaptionButtons(std::vector<Picture>& pictures) {
    const QSize size(24, 15);
    const auto add = [&](const QString& title, Caption kind, std::uint32_t normal, std::uint32_t hover,
                         std::uint32_t pressed) {
        addStates(pictures, title, size, Backdrop::Panel,
                  {{normal, State::Normal}, {hover, State::Hover}, {pressed, State::Pressed}},
                  [kind](QPainter& p, QSizeF s, State state) { drawCaptionButton(p, s, kind, state); });
    };
    add(QStringLiteral("Close"), Caption::Close, 20029, 20030, 20028);
    add(QStringLiteral("Minimise"), Caption::Minimise, 20004, 20005, 20003);
    add(QStringLiteral("Maximise"), Caption::Maximise, 20062, 20063, 20064);
    add(QStringLiteral("Restore"), Caption::Restore, 20065, 20066, 20067);
}

void addRowActionButtons(std::vector<Picture>& pictures) {
    const QSize size(21, 21);
    const auto add = [&](const QString& title, RowAction action, std::uint32_t first) {
        addStates(pictures, title, size, Backdrop::SelectedRow,
                  {{first, State::Normal}, {first + 1, State::Hover}, {first + 2, State::Pressed}},
                  [action](QPainter& p, QSizeF s, State state) { drawRowAction(p, s, action, state); });
    };
    add(QStringLiteral("Remove action"), RowAction::Remove, 20131);
    add(QStringLiteral("Undo action"), RowAction::Undo, 20134);
    add(QStringLiteral("Redo action"), RowAction::Redo, 20187);
}

} // namespace artgen
