#include "controls/timage.h"

#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NoSystemBackground);
}

TImage::~TImage() {
    if (m_movie)
        m_movie->disconnect(this);
}

void TImage::SetStretch(bool on) {
    m_stretch = on;
    update();
}

void TImage::SetCenter(bool on) {
    m_center = on;
    update();
}

void TImage::SetTransparent(bool on) {
    m_transparent = on;
    setAttribute(Qt::WA_NoSystemBackground, on);
    update();
}

void TImage::SetAutoSize(bool on) {
    m_autoSize = on;
    PictureChanged();
}

void TImage::SetPicture(const QImage& picture) {
    if (m_movie) {
        m_movie->disconnect(this);
        m_movie.reset();
    }
    m_picture = picture;
    PictureChanged();
}

void TImage::SetPicture(const QPixmap& picture) {
    SetPicture(picture.toImage());
}

void TImage::SetMovie(std::unique_ptr<QMovie> movie, int speedPercent) {
    if (m_movie)
        m_movie->disconnect(this);
    m_picture = QImage();
    m_movie = std::move(movie);
    if (m_movie) {
        m_movie->setSpeed(speedPercent > 0 ? speedPercent : 100);
        connect(m_movie.get(), &QMovie::frameChanged, this, [this] { update(); });
        if (m_movie->state() == QMovie::NotRunning)
            m_movie->jumpToFrame(0);
        if (isVisible())
            m_movie->start();
    }
    PictureChanged();
}

void TImage::Clear() {
    if (m_movie) {
        m_movie->disconnect(this);
        m_movie.reset();
    }
    m_picture = QImage();
    update();
}

bool TImage::HasPicture() const {
    return m_movie != nullptr || !m_picture.isNull();
}

QSize TImage::PictureSize() const {
    if (m_movie) {
        const QSize frame = m_movie->currentImage().size();
        return frame.isEmpty() ? m_movie->frameRect().size() : frame;
    }
    if (m_picture.isNull())
        return {};
    return m_picture.deviceIndependentSize().toSize();
}

QImage TImage::CurrentPicture() const {
    return m_movie ? m_movie->currentImage() : m_picture;
}

QSize TImage::sizeHint() const {
    const QSize size = PictureSize();
    return size.isEmpty() ? QSize(16, 16) : size;
}

void TImage::PictureChanged() {
    if (m_autoSize && HasPicture())
        resize(PictureSize());
    updateGeometry();
    update();
}

QRectF TImage::TargetRect(const QSizeF& picture) const {
    if (m_stretch)
        return QRectF(rect());
    if (m_center)
        return {QPointF((width() - picture.width()) / 2.0, (height() - picture.height()) / 2.0), picture};
    return {QPointF(0, 0), picture};
}

void TImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_transparent)
        painter.fillRect(rect(), palette().window());
    const QImage picture = CurrentPicture();
    if (picture.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_stretch);
    const QSizeF logical = m_movie ? QSizeF(picture.size()) : picture.deviceIndependentSize();
    painter.drawImage(TargetRect(logical), picture, QRectF(picture.rect()));
}

void TImage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_movie)
        return;
    if (m_movie->state() == QMovie::Paused)
        m_movie->setPaused(false);
    else if (m_movie->state() == QMovie::NotRunning)
        m_movie->start();
}

void TImage::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_movie && m_movie->state() == QMovie::Running)
        m_movie->setPaused(true);
}
