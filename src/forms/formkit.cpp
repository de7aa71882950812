#include "forms/formkit.h"

#include "controls/timage.h"
#include "controls/zrunbutton.h"
#include "platform/hooks.h"
#include "support/utilsresource.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPalette>

namespace formkit {

namespace {

QFont Font(const QStringList& families, int pixels, bool bold, bool italic) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace

QFont Verdana(int pixels, bool bold, bool italic) {
    return Font({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")}, pixels, bold, italic);
}

QFont Tahoma(int pixels, bool bold) {
    return Font({QStringLiteral("Tahoma"), QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")}, pixels,
                bold, false);
}

void Paint(QWidget* widget, const QColor& colour) {
    widget->setAutoFillBackground(true);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
}

void TextColour(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Text, colour);
    widget->setPalette(pal);
}

void WhiteText(QWidget* widget) {
    TextColour(widget, Qt::white);
}

bool SwallowsAltShortcut(QKeyEvent* key) {
    const bool alt = (key->modifiers() & Qt::AltModifier) || platform::IsKeyDown(platform::vk::LAlt);
    const int vk = platform::VirtualKeyOf(key);
    const bool isAltKey = key->key() == Qt::Key_Alt || key->key() == Qt::Key_AltGr ||
                          vk == platform::vk::LAlt || vk == platform::vk::RAlt;
    if (key->key() == Qt::Key_F4 && alt)
        return false;
    return alt || isAltKey;
}

void LoadFaces(TZRUNButton* button, void* library, const std::uint32_t* faces, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        AddPngToSkinList(button->SkinList(), library, faces[i]);
    button->SkinsChanged();
}

} // namespace formkit

void TWaitingLayer::Show(QWidget* window, const QRect& area) {
    m_layer->hide();
    m_background->Clear();
    const QPixmap snapshot = window->grab(area);
    m_layer->setGeometry(area);

    // The picture centred, the text 5 px below it.
    const QSize picture = m_animation->HasPicture() ? m_animation->PictureSize() : QSize(0, 0);
    const int top = m_layer->height() / 2 - picture.height() / 2;
    const int left = m_layer->width() / 2 - picture.width() / 2;
    m_animation->setGeometry(left, top, picture.width(), picture.height());
    m_text->setGeometry(0, top + picture.height() + 5, m_layer->width(), m_text->sizeHint().height());

    QImage darkened(snapshot.size(), QImage::Format_ARGB32_Premultiplied);
    darkened.setDevicePixelRatio(snapshot.devicePixelRatio());
    darkened.fill(Qt::transparent);
    {
        QPainter painter(&darkened);
        painter.drawPixmap(0, 0, snapshot);
        painter.fillRect(QRect(QPoint(0, 0), snapshot.deviceIndependentSize().toSize()),
                         QColor(0, 0, 0, formkit::kLayerAlpha));
        // A quiet plate behind the picture and its text, so that neither fights what shows
        // through the shade.
        const int textWidth = m_text->fontMetrics().horizontalAdvance(m_text->text());
        const QRect text((m_layer->width() - textWidth) / 2, m_text->y(), textWidth, m_text->height());
        const QRect plate = (m_animation->geometry() | text).adjusted(-14, -10, 14, 10);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QColor(0x5E, 0x5D, 0x5D, 140));
        painter.setBrush(QColor(0x2D, 0x2D, 0x2E, 235));
        painter.drawRoundedRect(QRectF(plate).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    }
    m_background->setGeometry(m_layer->rect());
    m_background->SetPicture(darkened);
    m_animation->SetTransparent(false);
    m_animation->SetTransparent(true);
    m_layer->show();
    m_layer->raise();
}

void TWaitingLayer::Rebuild(QWidget* window, const QRect& area) {
    if (!IsShowing())
        return;
    // The old layer must not be in the new snapshot.
    m_layer->hide();
    Show(window, area);
}

void TWaitingLayer::Hide() {
    m_layer->hide();
    m_background->Clear();
}

bool TWaitingLayer::IsShowing() const {
    return m_layer->isVisibleTo(m_layer->parentWidget());
}
