#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QPointer>
#include <array>
#include <vector>

// The face pictures of a skinned button, by index in the order they were added. The list's
// size is the size of a face in logical pixels; until it is set, the first real face sets it.
class TZRUNSkinList final {
public:
    TZRUNSkinList() = default;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetSize(int width, int height);

    // Appends a face. A null image is kept as a blank face so that later faces keep their index.
    void Add(const QImage& face);
    // Appends a blank face of the list's size.
    void AddBlank();
    void Clear() { m_faces.clear(); }

    int Count() const { return static_cast<int>(m_faces.size()); }
    // The face at index, or a null image when the index is out of range.
    QImage Face(int index) const;
    // True for an index out of range and for the blank faces that stand in for missing pictures.
    bool IsBlank(int index) const;

private:
    struct Entry {
        QImage image;
        bool blank = false;
    };
    std::vector<Entry> m_faces;
    int m_width = 0;
    int m_height = 0;
};

// The product's skinned push button: each state draws one face of its skin list, stretched
// nine-slice so that the rounded ends stay crisp at any width, with the caption centred on it.
// Without faces it draws a flat rounded button in the product's greys.
//
// Keys: a focused button answers Enter and Space; a Default button answers Enter and a Cancel
// button Escape anywhere in its window. A click on a button with a non-zero ModalResult ends the
// QDialog it belongs to with that result.
class TZRUNButton final : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool StrechSkin READ StrechSkin WRITE SetStrechSkin)
    Q_PROPERTY(int StretchMargin READ StretchMargin WRITE SetStretchMargin)
    Q_PROPERTY(int OverSkinImageIndex READ OverSkinImageIndex WRITE SetOverSkinImageIndex)
    Q_PROPERTY(int DownSkinImageIndex READ DownSkinImageIndex WRITE SetDownSkinImageIndex)
    Q_PROPERTY(int DisabledSkinImageIndex READ DisabledSkinImageIndex WRITE SetDisabledSkinImageIndex)
    Q_PROPERTY(QColor NormalFontColor READ NormalFontColor WRITE SetNormalFontColor)
    Q_PROPERTY(QColor OverFontColor READ OverFontColor WRITE SetOverFontColor)
    Q_PROPERTY(QColor DownFontColor READ DownFontColor WRITE SetDownFontColor)
    Q_PROPERTY(QColor NormalBkGndColor READ NormalBkGndColor WRITE SetNormalBkGndColor)
    Q_PROPERTY(Qt::Alignment Alignment READ Alignment WRITE SetAlignment)

public:
    // The states a face is chosen for; the value is the first argument of SetSkinImageIndex.
    enum SkinState { StateNormal = 0, StateOver = 1, StateDown = 2, StateDisabled = 3 };

    explicit TZRUNButton(QWidget* parent = nullptr);
    ~TZRUNButton() override;
    Q_DISABLE_COPY_MOVE(TZRUNButton)

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    // Width of the caption drawn with the button's own font, in pixels.
    int CaptionWidth() const;
    // Drawn instead of an empty caption while the button has no face (its pictures are
    // missing): a glyph such as "×" keeps a picture-only button recognisable.
    QString FallbackCaption() const { return m_fallbackCaption; }
    void SetFallbackCaption(const QString& caption);

    TZRUNSkinList& SkinList() { return m_skins; }
    const TZRUNSkinList& SkinList() const { return m_skins; }
    // Faces changed behind the button's back (AddPngToSkinList): draw again.
    void SkinsChanged();

    // Which face of the skin list a state draws: state is a SkinState (0 normal, 1 pointer over,
    // 2 pressed, 3 disabled), index the face's position in the skin list. Out-of-range states are
    // ignored. Defaults: 0, 1, 2, 3.
    void SetSkinImageIndex(int state, int index);
    int SkinImageIndex(int state) const;
    int OverSkinImageIndex() const { return m_faceOf[StateOver]; }
    void SetOverSkinImageIndex(int index) { SetSkinImageIndex(StateOver, index); }
    int DownSkinImageIndex() const { return m_faceOf[StateDown]; }
    void SetDownSkinImageIndex(int index) { SetSkinImageIndex(StateDown, index); }
    int DisabledSkinImageIndex() const { return m_faceOf[StateDisabled]; }
    void SetDisabledSkinImageIndex(int index) { SetSkinImageIndex(StateDisabled, index); }

    // With StrechSkin the face is cut StretchMargin logical pixels in from each end (at most half
    // the face); corners are drawn at their size, only the middle is stretched. Without it the
    // face is drawn at its own size in the centre.
    bool StrechSkin() const { return m_stretch; }
    void SetStrechSkin(bool on);
    int StretchMargin() const { return m_stretchMargin; }
    void SetStretchMargin(int margin);

    // Transparent: nothing is painted under the face. Otherwise NormalBkGndColor, when valid,
    // fills the button's rectangle first (it is unset by default).
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool on);
    QColor NormalBkGndColor() const { return m_bkGndColor; }
    void SetNormalBkGndColor(const QColor& color);

    QColor NormalFontColor() const { return m_fontColor[StateNormal]; }
    void SetNormalFontColor(const QColor& color);
    QColor OverFontColor() const { return m_fontColor[StateOver]; }
    void SetOverFontColor(const QColor& color);
    QColor DownFontColor() const { return m_fontColor[StateDown]; }
    void SetDownFontColor(const QColor& color);

    // Where the caption stands on the face; centred unless set otherwise.
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);

    bool Default() const { return m_default; }
    void SetDefault(bool on) { m_default = on; }
    bool Cancel() const { return m_cancel; }
    void SetCancel(bool on) { m_cancel = on; }
    int ModalResult() const { return m_modalResult; }
    void SetModalResult(int result) { m_modalResult = result; }

    // The state the button draws now, and the face index it draws for it (-1: the flat fallback).
    SkinState CurrentState() const;
    int CurrentFaceIndex() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void MouseDown();
    void MouseUp();
    void MouseLeave();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EndDialog();
    void WatchWindow();
    void DrawFace(QPainter& painter, const QImage& face) const;
    void DrawFlat(QPainter& painter, SkinState state) const;

    TZRUNSkinList m_skins;
    std::array<int, 4> m_faceOf{0, 1, 2, 3};
    std::array<QColor, 3> m_fontColor;
    QColor m_bkGndColor;
    QString m_fallbackCaption;
    QPointer<QWidget> m_watchedWindow;
    Qt::Alignment m_alignment = Qt::AlignCenter;
    int m_stretchMargin = 10;
    int m_modalResult = 0;
    bool m_stretch = false;
    bool m_transparent = false;
    bool m_default = false;
    bool m_cancel = false;
    bool m_hover = false;
};
