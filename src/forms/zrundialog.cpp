#include "forms/zrundialog.h"

#include "controls/htmlabel.h"
#include "controls/timage.h"
#include "controls/zrunborder.h"
#include "controls/zrunbutton.h"
#include "forms/formkit.h"
#include "support/utilsresource.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QWindow>
#include <array>

namespace {

constexpr int kCaptionHeight = 25;

constexpr std::array<std::uint32_t, 3> kCloseFaces{20029, 20030, 20028};
constexpr std::array<std::uint32_t, 3> kTextButtonFaces{20143, 20144, 20145};
constexpr std::array<std::uint32_t, 8> kFrame{21014, 21016, 21015, 21017, 21018, 21010, 21011, 21013};

bool BelongsTo(QObject* target, const QWidget* window) {
    if (auto* widget = qobject_cast<QWidget*>(target))
        return widget->window() == window;
    if (auto* handle = qobject_cast<QWindow*>(target))
        return handle == window->windowHandle();
    return false;
}

} // namespace

TZRUNDialog::TZRUNDialog(QWidget* owner, const Chrome& chrome)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_chrome(chrome) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, chrome.colour);
    colours.setColor(QPalette::WindowText, Qt::white);
    colours.setColor(QPalette::Text, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
    resize(chrome.clientWidth, chrome.clientHeight);

    pnlCaption = new QWidget(this);
    pnlCaption->setObjectName(QStringLiteral("pnlCaption"));
    pnlCaption->setGeometry(0, 0, chrome.clientWidth, kCaptionHeight);
    InstallCaptionDrag(pnlCaption);

    // The dialog gives the title its size.
    lblCaption = new QLabel(pnlCaption);
    lblCaption->setObjectName(QStringLiteral("lblCaption"));
    lblCaption->setFont(formkit::Verdana(12));
    // Under a host's style sheet the dialog's palette does not reach its controls: each text
    // takes its colour itself.
    formkit::WhiteText(lblCaption);
    lblCaption->setTextFormat(Qt::PlainText);
    lblCaption->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblCaption->move(8, 6);

    btnClose = new TZRUNButton(pnlCaption);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(403, 0, 24, 15);
    btnClose->SetTransparent(true);
    btnClose->setFocusPolicy(Qt::NoFocus);
    btnClose->SkinList().SetSize(24, 15);
    btnClose->SetFallbackCaption(QStringLiteral("\u00D7"));
    connect(btnClose, &QAbstractButton::clicked, this, &TZRUNDialog::btnCloseClick);

    PanelContent = new QWidget(this);
    PanelContent->setObjectName(QStringLiteral("PanelContent"));
    PanelContent->setGeometry(0, kCaptionHeight, chrome.clientWidth,
                              chrome.clientHeight - kCaptionHeight - chrome.buttonRowHeight);

    // The dialog gives the picture its place.
    ImageAlert = new TImage(PanelContent);
    ImageAlert->setObjectName(QStringLiteral("ImageAlert"));
    ImageAlert->SetTransparent(true);
    ImageAlert->SetCenter(true);

    pnlButtons = new QWidget(this);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setGeometry(0, chrome.clientHeight - chrome.buttonRowHeight, chrome.clientWidth,
                            chrome.buttonRowHeight);

    // The window's last child, so the frame lies over the panels.
    wndBorder = new TZRUNBorder(this);

    m_keyboardHook = platform::SetKeyboardHook(
        [this](QObject* target, QKeyEvent* event) { return FormShortCut(target, event); });
}

TZRUNDialog::~TZRUNDialog() {
    if (m_keyboardHook)
        platform::UnhookWindowsHook(m_keyboardHook);
}

void TZRUNDialog::LoadChromePictures(void* library, std::initializer_list<TZRUNButton*> textButtons) {
    formkit::LoadFaces(btnClose, library, kCloseFaces);
    for (TZRUNButton* button : textButtons)
        formkit::LoadFaces(button, library, kTextButtonFaces);
    if (library)
        wndBorder->SetResources(library, kFrame, u"PNG");
}

void TZRUNDialog::btnCloseClick() {
    done(m_chrome.closeResult);
}

void TZRUNDialog::reject() {
    done(m_chrome.closeResult);
}

TZRUNButton* TZRUNDialog::MakeTextButton(QWidget* parent, const char* name, const QRect& geometry) {
    auto* button = new TZRUNButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->SetTransparent(true);
    button->SetStrechSkin(true);
    button->SetStretchMargin(10);
    button->SetDisabledSkinImageIndex(2);
    return button;
}

THTMLabel* TZRUNDialog::MakeLine(QWidget* parent, const char* name, int width) {
    auto* label = new THTMLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(formkit::Verdana(11));
    formkit::WhiteText(label);
    label->setGeometry(0, 0, width, 13);
    label->SetAutoHeight(true);
    return label;
}

void TZRUNDialog::WidenToCaption(TZRUNButton* button) {
    const int wanted = button->CaptionWidth() + 20;
    if (button->width() < wanted)
        button->resize(wanted, button->height());
}

void TZRUNDialog::FitToContent(int contentHeight) {
    const int width = m_chrome.clientWidth;
    PanelContent->setGeometry(0, kCaptionHeight, width, contentHeight);
    pnlButtons->setGeometry(0, PanelContent->geometry().bottom() + 1, width, m_chrome.buttonRowHeight);
    // The window system is told the final size before the window is mapped, and that it
    // keeps it: a window manager has no resize of its own to make.
    setFixedSize(width, pnlButtons->geometry().bottom() + 1);
    // A hidden window gets its resize event only when shown; its mask is wanted before.
    setMask(TZRUNBorder::RoundedWindowRegion(size(), TZRUNBorder::kFrameCornerRadius));
    CentreOnScreen();
}

void TZRUNDialog::CentreOnScreen() {
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->availableGeometry();
    move(desktop.center().x() - width() / 2, desktop.center().y() - height() / 2);
}

void TZRUNDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    setMask(TZRUNBorder::RoundedWindowRegion(size(), TZRUNBorder::kFrameCornerRadius));
}

// Keys before any control sees them: Escape closes, Alt+F4 closes as the desktop's own shortcut
// does, every other Alt combination (and F10 where the dialog asks) is swallowed.
bool TZRUNDialog::FormShortCut(QObject* target, QKeyEvent* event) {
    if (event->type() != QEvent::KeyPress || !isVisible() || !BelongsTo(target, this))
        return false;
    const int key = platform::VirtualKeyOf(event);
    if (key == platform::vk::Escape) {
        done(m_chrome.closeResult);
        return true;
    }
    const bool altModifier = event->modifiers() & Qt::AltModifier;
    const bool leftAlt =
        platform::IsKeyDown(platform::vk::LAlt) || (altModifier && !platform::IsKeyDown(platform::vk::RAlt));
    if (key == platform::vk::F4 && leftAlt) {
        close();
        return true;
    }
    return (m_chrome.swallowF10 && key == platform::vk::F10) || key == platform::vk::Alt ||
           key == platform::vk::LAlt || key == platform::vk::RAlt || altModifier || leftAlt;
}
