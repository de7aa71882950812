#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string_view>

// The skinned frame of a borderless window: eight pictures drawn over the window's edges by an
// overlay child that covers the whole window and keeps itself above its siblings. The mouse goes
// through it, except that with Resizable on its edges and corners resize the window.
class TZRUNBorder final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Resizable READ Resizable WRITE SetResizable)

public:
    // Positions of the pictures in the list handed to SetResources.
    enum Piece {
        TopLeft = 0,
        Top = 1,
        TopRight = 2,
        Right = 3,
        BottomRight = 4,
        Bottom = 5,
        BottomLeft = 6,
        Left = 7,
    };

    // The parent is the window the frame belongs to.
    explicit TZRUNBorder(QWidget* parent);
    ~TZRUNBorder() override;
    Q_DISABLE_COPY_MOVE(TZRUNBorder)

    // Loads the eight pictures from a resource library in the order of Piece. Corners are drawn at
    // their size, edges stretched between them. Pictures that are missing are left out; without
    // any the frame draws nothing. On a high-density screen the double-size set is used when the
    // library has it.
    void SetResources(void* module, const std::array<std::uint32_t, 8>& ids, std::u16string_view type);
    // The pictures as given, for windows that draw their own set.
    void SetPictures(const std::array<QImage, 8>& pictures);
    QImage Picture(Piece piece) const { return m_pieces[piece]; }
    bool HasPictures() const;

    // The frame's rectangle in screen coordinates: the window's outer rectangle.
    void GetRect(QRect& rect) const;
    // Where a piece is drawn, in the window's coordinates; empty when the piece is missing.
    QRect PieceRect(Piece piece) const;

    bool Resizable() const { return m_resizable; }
    void SetResizable(bool on);
    // How far in from the window's edge a press resizes it, in pixels.
    int GripWidth() const;

    // A rounded rectangle covering size, corners of the given radius cut pixel by pixel (a pixel
    // stays when its centre lies inside the rounding): the region for QWidget::setMask of a
    // rounded borderless window.
    static QRegion RoundedWindowRegion(const QSize& size, qreal radius);
    // The radius whose region follows the outline of the product's 6 x 6 frame corners.
    static constexpr qreal kFrameCornerRadius = 5.5;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Qt::Edges EdgesAt(const QPoint& position) const;
    void FollowParent();
    void UpdateMouseRegion();

    std::array<QImage, 8> m_pieces;
    bool m_resizable = false;
    Qt::Edges m_dragEdges;
    QPoint m_pressGlobal;
    QRect m_pressGeometry;
};

// Makes a panel the caption bar of its window: pressing it and dragging moves the whole
// window, through the window system when it can move windows itself, else by hand. Children
// of the bar that do not take the mouse (labels) drag as well.
void InstallCaptionDrag(QWidget* captionBar);
