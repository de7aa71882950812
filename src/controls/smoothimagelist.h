#pragma once

#include <QAccessible>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QPainter;
class QVariantAnimation;

// The carousel: one horizontal row of owner-drawn items (a picture with a caption under it)
// that scrolls smoothly by whole items. Items are addressed by index, 0 = the left-most.
//
// Selection: a click or the left/right keys select an item and emit ItemSelect; the program
// selects with SetSelectedIndex, which emits nothing. A selected index at or beyond Count() is
// remembered and shows as soon as that many items exist (SelectedIndex() reports -1 until then),
// so a host may pick item 0 before filling the carousel.
//
// Scrolling: the first visible item (TopIndex) changes at once; only the picture slides, in a
// short animation. ItemRect and IndexAt always answer for the state, never for the animation.
class TSmoothImageList final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int count READ Count NOTIFY CountChanged)
    Q_PROPERTY(int selectedIndex READ SelectedIndex WRITE SetSelectedIndex NOTIFY SelectedIndexChanged)
    Q_PROPERTY(int topIndex READ TopIndex NOTIFY TopIndexChanged)

public:
    // hint: in, the item's own hint; out, the hint to show for the item.
    using ItemHintHandler = std::function<void(int index, QString& hint)>;
    // allow: true on entry; clearing it refuses the zoom.
    using ItemZoomHandler = std::function<void(int index, bool& allow)>;
    // Replaces the default drawing of an item; the selection is drawn behind it first.
    using ItemDrawHandler = std::function<void(QPainter& painter, int index, const QRectF& rect)>;
    // name and description: in, the caption and the plain hint; out, what a screen reader says.
    using ItemAccessibleTextHandler = std::function<void(int index, QString& name, QString& description)>;

    explicit TSmoothImageList(QWidget* parent = nullptr);
    ~TSmoothImageList() override;
    Q_DISABLE_COPY_MOVE(TSmoothImageList)

    // Items. AddItem returns the new item's index.
    int AddItem(const QString& caption = QString(), const QPixmap& image = QPixmap());
    void DeleteItem(int index);
    void ClearItems();
    int Count() const { return static_cast<int>(m_items.size()); }
    // Changes between BeginUpdate and the matching EndUpdate repaint once, at the end.
    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return m_updateLock > 0; }

    QString ItemCaption(int index) const;
    void SetItemCaption(int index, const QString& caption);
    QPixmap ItemImage(int index) const;
    void SetItemImage(int index, const QPixmap& image);
    QString ItemHint(int index) const;
    void SetItemHint(int index, const QString& hint);
    QColor ItemFontColor(int index) const;
    void SetItemFontColor(int index, const QColor& color);

    int SelectedIndex() const;
    void SetSelectedIndex(int index);

    // First visible item, and how many whole items fit.
    int TopIndex() const { return m_topIndex; }
    int VisibleCount() const;
    // Scrolls the least needed to show the item whole.
    void ScrollToItem(int index);
    // The same as that many wheel steps: +1 scrolls one item towards the start, -1 towards the end.
    void WheelStep(int steps);

    // An item's rectangle in the carousel's coordinates (it may lie outside the widget), and the
    // item at a point, -1 for none.
    QRect ItemRect(int index) const;
    int IndexAt(const QPoint& point) const;

    void SetOnItemHint(ItemHintHandler handler) { m_onItemHint = std::move(handler); }
    void SetOnItemZoom(ItemZoomHandler handler) { m_onItemZoom = std::move(handler); }
    void SetOnItemDraw(ItemDrawHandler handler);
    void SetOnItemAccessibleText(ItemAccessibleTextHandler handler) {
        m_onItemAccessibleText = std::move(handler);
    }

    // What a screen reader says of an item (QAccessible::Name or Description).
    QString ItemAccessibleText(int index, QAccessible::Text text) const;
    // Selects an item as a click on it does (ItemSelect included), scrolling it into view.
    void SelectItemByUser(int index);

    // Look. The defaults are those of the suspects window.
    QSize ItemSize() const { return m_itemSize; }
    void SetItemSize(const QSize& size);
    int ImageSize() const { return m_imageSize; }
    int ImageTopMargin() const { return m_imageTop; }
    int TextHeight() const { return m_textHeight; }
    int ItemSpacing() const { return m_spacing; }
    QColor SelectionColor() const { return m_selectionColor; }
    void SetSelectionColor(const QColor& color);
    int SelectionRounding() const { return m_rounding; }
    void SetSelectionRounding(int radius);
    // Length of the slide of one scroll, in milliseconds; 0 jumps.
    int ScrollDuration() const { return m_scrollDuration; }
    void SetScrollDuration(int milliseconds) { m_scrollDuration = milliseconds; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The user clicked (or chose with the keyboard) an item.
    void ItemSelect(int index);
    // A zoom that the zoom handler allowed.
    void ItemZoomed(int index);
    // Emitted after the carousel handled a mouse button release.
    void MouseButtonReleased();
    void CountChanged(int count);
    void SelectedIndexChanged(int index);
    void TopIndexChanged(int topIndex);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct Item {
        QString caption;
        QPixmap image;
        QString hint;
        QColor fontColor;
    };

    bool IsValid(int index) const { return index >= 0 && index < Count(); }
    int Pitch() const { return m_itemSize.width() + m_spacing; }
    int MaxTopIndex() const;
    int LeftMargin() const;
    int ItemTop() const;
    void SetTopIndex(int topIndex, bool animate);
    void StopScrollAnimation();
    void Changed();
    void UpdateHover();
    void SetHoverIndex(int index);
    void SelectByUser(int index);
    void DrawSelection(QPainter& painter, const QRectF& rect) const;
    void DrawItem(QPainter& painter, int index, const QRectF& rect) const;
    void DrawFocus(QPainter& painter, qreal left) const;
    // Tells an assistive tool which item is selected (and focused) now.
    void NotifyAccessibleSelection();

    std::vector<Item> m_items;
    int m_selected = -1;
    int m_topIndex = 0;
    int m_hoverIndex = -1;
    std::optional<QPoint> m_mousePos; // while the mouse is over the carousel
    qreal m_scrollOffset = 0;         // pixels of the drawn row left of the start; follows m_topIndex
    int m_wheelRemainder = 0;
    int m_updateLock = 0;
    bool m_dirty = false;

    QSize m_itemSize{90, 75};
    int m_imageSize = 48;
    int m_imageTop = 5;
    int m_textHeight = 12;
    int m_spacing = 4;
    QColor m_selectionColor{0x7A, 0x96, 0xDF};
    int m_rounding = 9;
    int m_scrollDuration = 150;

    QVariantAnimation* m_scrollAnimation = nullptr;
    ItemHintHandler m_onItemHint;
    ItemZoomHandler m_onItemZoom;
    ItemDrawHandler m_onItemDraw;
    ItemAccessibleTextHandler m_onItemAccessibleText;
};
