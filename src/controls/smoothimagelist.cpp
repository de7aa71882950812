#include "controls/smoothimagelist.h"

#include "controls/focusframe.h"
#include "controls/smoothimagelistaccessible.h"
#include "support/htmltext.h"

#include <QEasingCurve>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kWheelStepUnits = 120;
constexpr int kTextSideMargin = 3;
constexpr int kTextGap = 4; // between the picture area and the caption
} // namespace

TSmoothImageList::TSmoothImageList(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    TSmoothImageListAccessible::Install();

    m_scrollAnimation = new QVariantAnimation(this);
    m_scrollAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_scrollAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_scrollOffset = value.toReal();
        update();
    });
}

TSmoothImageList::~TSmoothImageList() {
    TSmoothImageListAccessible::Uninstall();
}

int TSmoothImageList::AddItem(const QString& caption, const QPixmap& image) {
    m_items.push_back(Item{caption, image, QString(), palette().color(QPalette::WindowText)});
    Q_EMIT CountChanged(Count());
    if (m_selected == Count() - 1)
        Q_EMIT SelectedIndexChanged(m_selected);
    Changed();
    return Count() - 1;
}

void TSmoothImageList::DeleteItem(int index) {
    if (!IsValid(index))
        return;
    m_items.erase(m_items.begin() + index);
    const int oldSelected = SelectedIndex();
    if (m_selected > index || (m_selected == index && m_selected >= Count()))
        m_selected = std::max(-1, m_selected - 1);
    if (m_hoverIndex >= Count())
        m_hoverIndex = -1;
    Q_EMIT CountChanged(Count());
    if (SelectedIndex() != oldSelected)
        Q_EMIT SelectedIndexChanged(SelectedIndex());
    if (m_topIndex > MaxTopIndex())
        SetTopIndex(MaxTopIndex(), false);
    UpdateHover();
    Changed();
}

void TSmoothImageList::ClearItems() {
    if (m_items.empty() && m_selected < 0)
        return;
    const bool hadSelection = SelectedIndex() >= 0;
    m_items.clear();
    m_selected = -1;
    m_hoverIndex = -1;
    StopScrollAnimation();
    SetTopIndex(0, false);
    setToolTip(QString());
    Q_EMIT CountChanged(0);
    if (hadSelection)
        Q_EMIT SelectedIndexChanged(-1);
    Changed();
}

void TSmoothImageList::BeginUpdate() {
    ++m_updateLock;
}

void TSmoothImageList::EndUpdate() {
    if (m_updateLock == 0)
        return;
    if (--m_updateLock == 0 && m_dirty) {
        m_dirty = false;
        UpdateHover();
        update();
    }
}

QString TSmoothImageList::ItemCaption(int index) const {
    return IsValid(index) ? m_items[index].caption : QString();
}

void TSmoothImageList::SetItemCaption(int index, const QString& caption) {
    if (!IsValid(index))
        return;
    m_items[index].caption = caption;
    Changed();
}

QPixmap TSmoothImageList::ItemImage(int index) const {
    return IsValid(index) ? m_items[index].image : QPixmap();
}

void TSmoothImageList::SetItemImage(int index, const QPixmap& image) {
    if (!IsValid(index))
        return;
    m_items[index].image = image;
    Changed();
}

QString TSmoothImageList::ItemHint(int index) const {
    return IsValid(index) ? m_items[index].hint : QString();
}

void TSmoothImageList::SetItemHint(int index, const QString& hint) {
    if (!IsValid(index))
        return;
    m_items[index].hint = hint;
    if (index == m_hoverIndex)
        UpdateHover();
}

QColor TSmoothImageList::ItemFontColor(int index) const {
    return IsValid(index) ? m_items[index].fontColor : QColor();
}

void TSmoothImageList::SetItemFontColor(int index, const QColor& color) {
    if (!IsValid(index))
        return;
    m_items[index].fontColor = color;
    Changed();
}

int TSmoothImageList::SelectedIndex() const {
    return m_selected < Count() ? m_selected : -1;
}

void TSmoothImageList::SetSelectedIndex(int index) {
    index = std::max(-1, index);
    if (index == m_selected)
        return;
    const int old = SelectedIndex();
    m_selected = index;
    if (SelectedIndex() != old) {
        Q_EMIT SelectedIndexChanged(SelectedIndex());
        NotifyAccessibleSelection();
    }
    Changed();
}

int TSmoothImageList::VisibleCount() const {
    const int pitch = Pitch();
    if (pitch <= 0)
        return 0;
    return std::max(1, (width() + m_spacing) / pitch);
}

int TSmoothImageList::MaxTopIndex() const {
    return std::max(0, Count() - VisibleCount());
}

// Whole items sit centred in the width; parts of items never show at rest.
int TSmoothImageList::LeftMargin() const {
    const int used = VisibleCount() * Pitch() - m_spacing;
    return std::max(0, (width() - used) / 2);
}

int TSmoothImageList::ItemTop() const {
    return std::max(0, (height() - m_itemSize.height()) / 2);
}

void TSmoothImageList::ScrollToItem(int index) {
    if (Count() == 0) {
        SetTopIndex(0, false);
        return;
    }
    index = std::clamp(index, 0, Count() - 1);
    int top = m_topIndex;
    if (index < top)
        top = index;
    else if (index >= top + VisibleCount())
        top = index - VisibleCount() + 1;
    SetTopIndex(std::clamp(top, 0, MaxTopIndex()), true);
}

void TSmoothImageList::WheelStep(int steps) {
    if (steps == 0 || Count() == 0)
        return;
    SetTopIndex(std::clamp(m_topIndex - steps, 0, MaxTopIndex()), true);
}

void TSmoothImageList::SetTopIndex(int topIndex, bool animate) {
    const qreal target = static_cast<qreal>(topIndex) * Pitch();
    if (topIndex == m_topIndex && qFuzzyCompare(1.0 + m_scrollOffset, 1.0 + target))
        return;
    const bool changed = topIndex != m_topIndex;
    m_topIndex = topIndex;
    StopScrollAnimation();
    if (animate && m_scrollDuration > 0 && isVisible() && m_updateLock == 0) {
        m_scrollAnimation->setDuration(m_scrollDuration);
        m_scrollAnimation->setStartValue(m_scrollOffset);
        m_scrollAnimation->setEndValue(target);
        m_scrollAnimation->start();
    } else {
        m_scrollOffset = target;
        Changed();
    }
    if (changed) {
        UpdateHover();
        Q_EMIT TopIndexChanged(m_topIndex);
    }
}

void TSmoothImageList::StopScrollAnimation() {
    if (m_scrollAnimation->state() != QAbstractAnimation::Stopped)
        m_scrollAnimation->stop();
}

QRect TSmoothImageList::ItemRect(int index) const {
    return QRect(LeftMargin() + (index - m_topIndex) * Pitch(), ItemTop(), m_itemSize.width(),
                 m_itemSize.height());
}

int TSmoothImageList::IndexAt(const QPoint& point) const {
    if (!rect().contains(point))
        return -1;
    const int x = point.x() - LeftMargin();
    if (x < 0)
        return -1;
    const int index = m_topIndex + x / Pitch();
    if (!IsValid(index) || !ItemRect(index).contains(point))
        return -1;
    return index;
}

void TSmoothImageList::SetOnItemDraw(ItemDrawHandler handler) {
    m_onItemDraw = std::move(handler);
    Changed();
}

void TSmoothImageList::SetItemSize(const QSize& size) {
    m_itemSize = size.expandedTo(QSize(1, 1));
    SetTopIndex(std::min(m_topIndex, MaxTopIndex()), false);
    updateGeometry();
    Changed();
}

void TSmoothImageList::SetSelectionColor(const QColor& color) {
    m_selectionColor = color;
    Changed();
}

void TSmoothImageList::SetSelectionRounding(int radius) {
    m_rounding = std::max(0, radius);
    Changed();
}

QSize TSmoothImageList::sizeHint() const {
    return QSize(5 * Pitch() - m_spacing, m_itemSize.height() + 8);
}

QSize TSmoothImageList::minimumSizeHint() const {
    return m_itemSize;
}

void TSmoothImageList::Changed() {
    if (m_updateLock > 0) {
        m_dirty = true;
        return;
    }
    update();
}

void TSmoothImageList::UpdateHover() {
    if (m_updateLock > 0 || !m_mousePos) {
        SetHoverIndex(-1);
        return;
    }
    SetHoverIndex(IndexAt(*m_mousePos));
}

// The application's tooltip request reads toolTip(), so it must already name the item
// under the mouse when the request comes.
void TSmoothImageList::SetHoverIndex(int index) {
    const bool changed = index != m_hoverIndex;
    m_hoverIndex = index;
    QString hint;
    if (IsValid(index)) {
        hint = m_items[index].hint;
        if (m_onItemHint)
            m_onItemHint(index, hint);
    }
    if (hint != toolTip())
        setToolTip(hint);
    if (changed)
        update();
}

void TSmoothImageList::SelectByUser(int index) {
    if (!IsValid(index))
        return;
    SetSelectedIndex(index);
    Q_EMIT ItemSelect(index);
}

void TSmoothImageList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    StopScrollAnimation();
    m_topIndex = std::min(m_topIndex, MaxTopIndex());
    m_scrollOffset = static_cast<qreal>(m_topIndex) * Pitch();
    UpdateHover();
}

void TSmoothImageList::mousePressEvent(QMouseEvent* event) {
    m_mousePos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const int index = IndexAt(event->position().toPoint());
        if (index >= 0)
            SelectByUser(index);
    }
    event->accept();
}

void TSmoothImageList::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT MouseButtonReleased();
}

void TSmoothImageList::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const int index = IndexAt(event->position().toPoint());
    if (index < 0)
        return;
    bool allow = true;
    if (m_onItemZoom)
        m_onItemZoom(index, allow);
    if (allow)
        Q_EMIT ItemZoomed(index);
}

void TSmoothImageList::mouseMoveEvent(QMouseEvent* event) {
    m_mousePos = event->position().toPoint();
    SetHoverIndex(IndexAt(*m_mousePos));
    QWidget::mouseMoveEvent(event);
}

void TSmoothImageList::leaveEvent(QEvent* event) {
    m_mousePos.reset();
    SetHoverIndex(-1);
    QWidget::leaveEvent(event);
}

void TSmoothImageList::wheelEvent(QWheelEvent* event) {
    if (rect().contains(event->position().toPoint()))
        m_mousePos = event->position().toPoint();
    const QPoint delta = event->angleDelta();
    // High-resolution wheels send parts of a step; they add up to whole items.
    m_wheelRemainder += delta.y() != 0 ? delta.y() : delta.x();
    const int steps = m_wheelRemainder / kWheelStepUnits;
    m_wheelRemainder -= steps * kWheelStepUnits;
    WheelStep(steps);
    event->accept();
}

void TSmoothImageList::SelectItemByUser(int index) {
    if (!IsValid(index))
        return;
    ScrollToItem(index);
    SelectByUser(index);
}

QString TSmoothImageList::ItemAccessibleText(int index, QAccessible::Text text) const {
    if (!IsValid(index))
        return QString();
    QString name = m_items[index].caption;
    QString description = HtmlToPlainText(m_items[index].hint);
    if (m_onItemAccessibleText)
        m_onItemAccessibleText(index, name, description);
    switch (text) {
    case QAccessible::Name:
        return name;
    case QAccessible::Description:
        return description;
    default:
        return QString();
    }
}

void TSmoothImageList::NotifyAccessibleSelection() {
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(this);
    QAccessibleInterface* item = list ? list->child(SelectedIndex()) : nullptr;
    if (!item)
        return;
    QAccessibleEvent selection(item, QAccessible::Selection);
    QAccessible::updateAccessibility(&selection);
    if (hasFocus()) {
        QAccessibleEvent focus(item, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void TSmoothImageList::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
    NotifyAccessibleSelection();
}

void TSmoothImageList::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void TSmoothImageList::keyPressEvent(QKeyEvent* event) {
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Left:
        target = SelectedIndex() < 0 ? 0 : SelectedIndex() - 1;
        break;
    case Qt::Key_Right:
        target = SelectedIndex() < 0 ? 0 : SelectedIndex() + 1;
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = Count() - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (IsValid(target) && target != SelectedIndex())
        SelectItemByUser(target);
    event->accept();
}

void TSmoothImageList::paintEvent(QPaintEvent* event) {
    if (m_items.empty()) {
        if (hasFocus()) {
            QPainter painter(this);
            focusframe::Paint(painter, rect(), focusframe::kOnDark);
        }
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const int pitch = Pitch();
    const qreal left = LeftMargin() - m_scrollOffset;
    const int first = std::max(0, static_cast<int>(std::floor(-left / pitch)));
    const int last = std::min(Count() - 1, static_cast<int>(std::ceil((width() - left) / pitch)));
    const int selected = SelectedIndex();
    for (int i = first; i <= last; ++i) {
        const QRectF itemRect(left + i * pitch, ItemTop(), m_itemSize.width(), m_itemSize.height());
        if (!itemRect.intersects(QRectF(event->rect())))
            continue;
        if (i == selected) {
            DrawSelection(painter, itemRect);
        } else if (i == m_hoverIndex && isEnabled()) {
            QColor hover = Qt::white;
            hover.setAlpha(22);
            painter.setPen(Qt::NoPen);
            painter.setBrush(hover);
            painter.drawRoundedRect(itemRect.adjusted(0.5, 0.5, -0.5, -0.5), m_rounding, m_rounding);
        }
        painter.save();
        if (m_onItemDraw)
            m_onItemDraw(painter, i, itemRect);
        else
            DrawItem(painter, i, itemRect);
        painter.restore();
    }
    if (hasFocus())
        DrawFocus(painter, left);
}

// On the selected item, over what it drew; on the whole carousel while nothing is selected.
void TSmoothImageList::DrawFocus(QPainter& painter, qreal left) const {
    const int selected = SelectedIndex();
    if (selected < 0) {
        focusframe::Paint(painter, rect(), focusframe::kOnDark);
        return;
    }
    const QRectF itemRect(left + selected * Pitch(), ItemTop(), m_itemSize.width(), m_itemSize.height());
    focusframe::Paint(painter, itemRect.adjusted(1, 1, -1, -1), focusframe::kOnDark,
                      std::max(0, m_rounding - 1));
}

void TSmoothImageList::DrawSelection(QPainter& painter, const QRectF& rect) const {
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_selectionColor);
    painter.drawRoundedRect(rect, m_rounding, m_rounding);
}

void TSmoothImageList::DrawItem(QPainter& painter, int index, const QRectF& rect) const {
    const Item& item = m_items[index];
    if (!item.image.isNull()) {
        const QSizeF size = item.image.deviceIndependentSize();
        const QPointF at(std::trunc(rect.x() + (rect.width() - size.width()) * 0.5),
                         std::trunc(rect.y() + m_imageTop + (m_imageSize - size.height()) * 0.5));
        painter.drawPixmap(at, item.image);
    }
    if (item.caption.isEmpty())
        return;
    const QRectF textRect(rect.x() + kTextSideMargin, rect.y() + m_imageTop + m_imageSize + kTextGap,
                          rect.width() - 2 * kTextSideMargin, m_textHeight);
    painter.setFont(font());
    painter.setPen(item.fontColor.isValid() ? item.fontColor : palette().color(QPalette::WindowText));
    const QString text =
        painter.fontMetrics().elidedText(item.caption, Qt::ElideRight, int(textRect.width()));
    // A line of 12 px is shorter than some fonts' descent: let descenders hang below it.
    painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                     text);
}
