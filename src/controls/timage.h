#pragma once

#include <QImage>
#include <QMovie>
#include <QPixmap>
#include <QWidget>
#include <memory>

// The windows' picture control: a still picture or an animation, drawn at its size in the
// top-left corner, in the centre (Center) or over the whole control (Stretch).
class TImage final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)

public:
    explicit TImage(QWidget* parent = nullptr);
    ~TImage() override;
    Q_DISABLE_COPY_MOVE(TImage)

    bool Stretch() const { return m_stretch; }
    void SetStretch(bool on);
    bool Center() const { return m_center; }
    void SetCenter(bool on);
    // Transparent (the default): the parent shows around and through the picture. Otherwise
    // the control's palette window colour fills it first.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool on);
    // With AutoSize the control takes the picture's size whenever one is set.
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);

    // A still picture; it replaces an animation. Its device pixel ratio gives its logical size.
    void SetPicture(const QImage& picture);
    void SetPicture(const QPixmap& picture);
    // An animation, owned from now on, played at speedPercent of its own pace (100 as stored).
    // It runs while the control is shown and pauses while hidden.
    void SetMovie(std::unique_ptr<QMovie> movie, int speedPercent = 100);
    void Clear();

    bool HasPicture() const;
    bool IsAnimated() const { return m_movie != nullptr; }
    // Logical size of the picture or of the animation's frames; empty without either.
    QSize PictureSize() const;
    // What the control draws now: the still picture or the animation's current frame.
    QImage CurrentPicture() const;
    QMovie* Movie() const { return m_movie.get(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void PictureChanged();
    QRectF TargetRect(const QSizeF& picture) const;

    QImage m_picture;
    std::unique_ptr<QMovie> m_movie;
    bool m_stretch = false;
    bool m_center = false;
    bool m_transparent = true;
    bool m_autoSize = false;
};
