#include "controls/zrunbutton.h"

#include <QDialog>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

namespace {

// The flat fallback: the greys of the product's panels, one step lighter than the panel.
struct FlatColours {
    QColor fill;
    QColor border;
};

FlatColours FlatFor(TZRUNButton::SkinState state) {
    switch (state) {
    case TZRUNButton::StateOver:
        return {QColor(0x6E, 0x6E, 0x70), QColor(0x9A, 0x9A, 0x9C)};
    case TZRUNButton::StateDown:
        return {QColor(0x3C, 0x3C, 0x3D), QColor(0x80, 0x80, 0x82)};
    case TZRUNButton::StateDisabled:
        return {QColor(0x55, 0x55, 0x56), QColor(0x62, 0x62, 0x63)};
    case TZRUNButton::StateNormal:
        break;
    }
    return {QColor(0x60, 0x60, 0x62), QColor(0x8A, 0x8A, 0x8C)};
}

QSizeF LogicalSize(const QImage& image) {
    return image.deviceIndependentSize();
}

} // namespace

void TZRUNSkinList::SetSize(int width, int height) {
    m_width = std::max(0, width);
    m_height = std::max(0, height);
}

void TZRUNSkinList::Add(const QImage& face) {
    if (face.isNull()) {
        AddBlank();
        return;
    }
    if (m_width == 0 && m_height == 0) {
        const QSizeF size = LogicalSize(face);
        SetSize(qRound(size.width()), qRound(size.height()));
    }
    m_faces.push_back({face, false});
}

void TZRUNSkinList::AddBlank() {
    QImage blank;
    if (m_width > 0 && m_height > 0) {
        blank = QImage(m_width, m_height, QImage::Format_ARGB32_Premultiplied);
        blank.fill(Qt::transparent);
    }
    m_faces.push_back({blank, true});
}

QImage TZRUNSkinList::Face(int index) const {
    if (index < 0 || index >= Count())
        return {};
    return m_faces[static_cast<std::size_t>(index)].image;
}

bool TZRUNSkinList::IsBlank(int index) const {
    if (index < 0 || index >= Count())
        return true;
    return m_faces[static_cast<std::size_t>(index)].blank;
}

TZRUNButton::TZRUNButton(QWidget* parent) : QAbstractButton(parent) {
    m_fontColor.fill(Qt::white);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    QFont face = font();
    face.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    face.setPixelSize(11);
    setFont(face);
    // Ends the dialog before the window's own click handlers run, as a modal result does.
    connect(this, &QAbstractButton::clicked, this, &TZRUNButton::EndDialog);
}

TZRUNButton::~TZRUNButton() {
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
}

void TZRUNButton::SetCaption(const QString& caption) {
    setText(caption);
    updateGeometry();
}

int TZRUNButton::CaptionWidth() const {
    return fontMetrics().horizontalAdvance(text());
}

void TZRUNButton::SetFallbackCaption(const QString& caption) {
    m_fallbackCaption = caption;
    update();
}

void TZRUNButton::SkinsChanged() {
    update();
}

void TZRUNButton::SetSkinImageIndex(int state, int index) {
    if (state < StateNormal || state > StateDisabled)
        return;
    m_faceOf[static_cast<std::size_t>(state)] = index;
    update();
}

int TZRUNButton::SkinImageIndex(int state) const {
    if (state < StateNormal || state > StateDisabled)
        return -1;
    return m_faceOf[static_cast<std::size_t>(state)];
}

void TZRUNButton::SetStrechSkin(bool on) {
    m_stretch = on;
    update();
}

void TZRUNButton::SetStretchMargin(int margin) {
    m_stretchMargin = std::max(0, margin);
    update();
}

void TZRUNButton::SetTransparent(bool on) {
    m_transparent = on;
    update();
}

void TZRUNButton::SetNormalBkGndColor(const QColor& color) {
    m_bkGndColor = color;
    update();
}

void TZRUNButton::SetNormalFontColor(const QColor& color) {
    m_fontColor[StateNormal] = color;
    update();
}

void TZRUNButton::SetOverFontColor(const QColor& color) {
    m_fontColor[StateOver] = color;
    update();
}

void TZRUNButton::SetDownFontColor(const QColor& color) {
    m_fontColor[StateDown] = color;
    update();
}

void TZRUNButton::SetAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

TZRUNButton::SkinState TZRUNButton::CurrentState() const {
    if (!isEnabled())
        return StateDisabled;
    if (isDown())
        return StateDown;
    if (m_hover)
        return StateOver;
    return StateNormal;
}

int TZRUNButton::CurrentFaceIndex() const {
    const int wanted = m_faceOf[static_cast<std::size_t>(CurrentState())];
    if (!m_skins.IsBlank(wanted))
        return wanted;
    // A state without its own face shows the normal one rather than nothing.
    const int normal = m_faceOf[StateNormal];
    return m_skins.IsBlank(normal) ? -1 : normal;
}

QSize TZRUNButton::sizeHint() const {
    const int width = std::max(m_skins.Width(), CaptionWidth() + 20);
    const int height = std::max({m_skins.Height(), 19, fontMetrics().height() + 4});
    return {width, height};
}

QSize TZRUNButton::minimumSizeHint() const {
    return {m_skins.Width(), m_skins.Height()};
}

void TZRUNButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_transparent && m_bkGndColor.isValid())
        painter.fillRect(rect(), m_bkGndColor);

    const SkinState state = CurrentState();
    const int faceIndex = CurrentFaceIndex();
    if (faceIndex >= 0)
        DrawFace(painter, m_skins.Face(faceIndex));
    else
        DrawFlat(painter, state);

    if (hasFocus() && state != StateDisabled) {
        // The focused button is the one Enter answers: a light inner ring tells it apart.
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(255, 255, 255, 150), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 2, 2);
        painter.restore();
    }

    const QString caption = text().isEmpty() && faceIndex < 0 ? m_fallbackCaption : text();
    if (caption.isEmpty())
        return;
    QColor colour = state == StateDisabled ? m_fontColor[StateNormal] : m_fontColor[state];
    if (state == StateDisabled)
        colour.setAlphaF(0.45f);
    painter.setPen(colour);
    painter.setFont(font());
    // A few pixels in from the ends so that a caption set to one side clears the rounded ends.
    painter.drawText(rect().adjusted(4, 0, -4, 0), int(m_alignment) | Qt::TextSingleLine, caption);
}

void TZRUNButton::DrawFace(QPainter& painter, const QImage& face) const {
    const QSizeF logical = LogicalSize(face);
    if (!m_stretch) {
        const QPointF topLeft((width() - logical.width()) / 2.0, (height() - logical.height()) / 2.0);
        painter.drawImage(QRectF(topLeft, logical), face, QRectF(face.rect()));
        return;
    }
    // Nine slices: corners 1:1, edges stretched one way, the middle both ways. The stretched
    // columns and rows are alike, so nearest-neighbour scaling keeps every edge sharp.
    const qreal dpr = face.devicePixelRatio();
    const qreal mx = std::min<qreal>(m_stretchMargin, std::floor(logical.width() / 2.0));
    const qreal my = std::min<qreal>(m_stretchMargin, std::floor(logical.height() / 2.0));
    const qreal sw = logical.width(), sh = logical.height();
    const qreal tw = width(), th = height();
    const qreal sx[4] = {0, mx, sw - mx, sw};
    const qreal sy[4] = {0, my, sh - my, sh};
    const qreal tx[4] = {0, mx, tw - mx, tw};
    const qreal ty[4] = {0, my, th - my, th};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRectF source(sx[col] * dpr, sy[row] * dpr, (sx[col + 1] - sx[col]) * dpr,
                                (sy[row + 1] - sy[row]) * dpr);
            const QRectF target(tx[col], ty[row], tx[col + 1] - tx[col], ty[row + 1] - ty[row]);
            if (source.isEmpty() || target.width() <= 0 || target.height() <= 0)
                continue;
            painter.drawImage(target, face, source);
        }
    }
}

void TZRUNButton::DrawFlat(QPainter& painter, SkinState state) const {
    const FlatColours colours = FlatFor(state);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min<qreal>(3.0, box.height() / 2.0);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, colours.fill.lighter(state == StateDown ? 100 : 112));
    fill.setColorAt(1, colours.fill);
    painter.setPen(QPen(colours.border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, radius, radius);
    painter.restore();
}

void TZRUNButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Q_EMIT MouseDown();
    QAbstractButton::mousePressEvent(event);
}

void TZRUNButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Q_EMIT MouseUp();
    QAbstractButton::mouseReleaseEvent(event);
}

void TZRUNButton::enterEvent(QEnterEvent* event) {
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TZRUNButton::leaveEvent(QEvent* event) {
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
    Q_EMIT MouseLeave();
}

void TZRUNButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !(event->modifiers() & ~Qt::KeypadModifier)) {
        event->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void TZRUNButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        WatchWindow();
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        m_hover = false;
    QAbstractButton::changeEvent(event);
}

void TZRUNButton::showEvent(QShowEvent* event) {
    WatchWindow();
    QAbstractButton::showEvent(event);
}

// Enter and Escape that nobody in the window took reach the window itself; there the Default
// and Cancel buttons answer them.
void TZRUNButton::WatchWindow() {
    QWidget* top = window();
    if (top == this)
        top = nullptr;
    if (top == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = top;
    if (top)
        top->installEventFilter(this);
}

bool TZRUNButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_watchedWindow || event->type() != QEvent::KeyPress)
        return QAbstractButton::eventFilter(watched, event);
    if (!isVisible() || !isEnabled())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = !(key->modifiers() & ~Qt::KeypadModifier);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if ((m_default && enter && plain) || (m_cancel && key->key() == Qt::Key_Escape && plain)) {
        click();
        return true;
    }
    return false;
}

void TZRUNButton::EndDialog() {
    if (m_modalResult == 0)
        return;
    if (auto* dialog = qobject_cast<QDialog*>(window()))
        dialog->done(m_modalResult);
}
