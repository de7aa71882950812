#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <cstddef>
#include <cstdint>

class QKeyEvent;
class QLabel;
class TImage;
class TZRUNButton;

// Helpers every window of the module builds its layout with.
namespace formkit {

// The skin's colours (0xBBGGRR in the layouts).
inline const QColor kPanelColour(0x4C, 0x4B, 0x4B); // 0x4B4B4C
inline const QColor kFrameColour(0x2E, 0x2D, 0x2D); // 0x2D2D2E
inline constexpr int kLayerAlpha = 102;             // 40 % black over a window's own picture

// Fonts by pixel size, with the fonts a Linux desktop has when the Windows ones are missing.
QFont Verdana(int pixels, bool bold = false, bool italic = false);
QFont Tahoma(int pixels, bool bold = false);

void Paint(QWidget* widget, const QColor& colour);
void WhiteText(QWidget* widget);
void TextColour(QWidget* widget, const QColor& colour);

template <class T> T* Make(QWidget* parent, const char* name, const QRect& geometry) {
    auto* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// The main windows swallow Alt and every key pressed with left Alt held, except Alt+F4, which
// closes the window the usual way.
bool SwallowsAltShortcut(QKeyEvent* key);

// Adds the pictures of a skinned button's faces from the resource library, in order.
void LoadFaces(TZRUNButton* button, void* library, const std::uint32_t* faces, std::size_t count);
template <std::size_t N>
void LoadFaces(TZRUNButton* button, void* library, const std::array<std::uint32_t, N>& faces) {
    LoadFaces(button, library, faces.data(), N);
}

} // namespace formkit

// The darkened picture a window shows while an action runs: a snapshot of the window under
// black at 102/255, with the animated picture centred and its text 5 px below. The layer's
// controls belong to the window; this only arranges them.
class TWaitingLayer final {
public:
    TWaitingLayer(QWidget* layer, TImage* background, TImage* animation, QLabel* text)
        : m_layer(layer), m_background(background), m_animation(animation), m_text(text) {}

    // Builds the layer over area (in the layer's parent) from a fresh snapshot of window.
    void Show(QWidget* window, const QRect& area);
    // Builds it again for a window whose size changed; nothing when it is not showing.
    void Rebuild(QWidget* window, const QRect& area);
    void Hide();
    bool IsShowing() const;

private:
    QWidget* m_layer;
    TImage* m_background;
    TImage* m_animation;
    QLabel* m_text;
};
