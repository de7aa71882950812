#include "forms/suspectsactionform/suspectsactionform.h"

#include "controls/htmlabel.h"
#include "controls/timage.h"
#include "controls/zrunborder.h"
#include "controls/zrunbutton.h"
#include "forms/modalscript.h"
#include "module/formvars.h"
#include "support/htmltext.h"
#include "support/utilsresource.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QWindow>
#include <array>

namespace {

constexpr int kClientWidth = 437;
constexpr int kClientHeight = 153;
constexpr int kCaptionHeight = 25;
constexpr int kButtonRowHeight = 35;
constexpr int kMessagesLeft = 98;
constexpr int kMessagesWidth = 331;
constexpr int kFirstLineMargin = 6;
constexpr int kLineGap = 10;
constexpr int kLastLineMargin = 10;
// The picture keeps the content at least its design height.
constexpr int kPictureBottomMargin = 5;

constexpr std::uint32_t kPictureWarning = 20154;
constexpr std::array<std::uint32_t, 3> kCloseFaces{20029, 20030, 20028};
constexpr std::array<std::uint32_t, 3> kTextButtonFaces{20143, 20144, 20145};
constexpr std::array<std::uint32_t, 8> kFrame{21014, 21016, 21015, 21017, 21018, 21010, 21011, 21013};

const QColor kPanelColour(0x4C, 0x4B, 0x4B);

QFont VerdanaPixels(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    return font;
}

bool BelongsTo(QObject* target, const QWidget* window) {
    if (auto* widget = qobject_cast<QWidget*>(target))
        return widget->window() == window;
    if (auto* handle = qobject_cast<QWindow*>(target))
        return handle == window->windowHandle();
    return false;
}

TZRUNButton* MakeTextButton(QWidget* parent, const char* name, const QRect& geometry) {
    auto* button = new TZRUNButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->SetTransparent(true);
    button->SetStrechSkin(true);
    button->SetStretchMargin(10);
    button->SetDisabledSkinImageIndex(2);
    return button;
}

THTMLabel* MakeLine(QWidget* parent, const char* name) {
    auto* label = new THTMLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(VerdanaPixels(11));
    label->setGeometry(0, 0, kMessagesWidth, 13);
    label->SetAutoHeight(true);
    return label;
}

void WidenToCaption(TZRUNButton* button) {
    const int wanted = button->CaptionWidth() + 20;
    if (button->width() < wanted)
        button->resize(wanted, button->height());
}

} // namespace

TSuspectsActionForm::TSuspectsActionForm(QWidget* owner, void* resourceLibrary)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_resourceLibrary(resourceLibrary) {
    setObjectName(QStringLiteral("SuspectsActionForm"));
    BuildForm();
    LoadPictures();
    ApplyClearTypeFonts(this);
    m_keyboardHook = platform::SetKeyboardHook(
        [this](QObject* target, QKeyEvent* event) { return FormShortCut(target, event); });
    LayoutContent();
    SuspectsActionForm = this;
}

TSuspectsActionForm::~TSuspectsActionForm() {
    if (SuspectsActionForm == this)
        SuspectsActionForm = nullptr;
    if (m_keyboardHook)
        platform::UnhookWindowsHook(m_keyboardHook);
}

void TSuspectsActionForm::BuildForm() {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kPanelColour);
    colours.setColor(QPalette::WindowText, Qt::white);
    colours.setColor(QPalette::Text, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
    resize(kClientWidth, kClientHeight);

    pnlCaption = new QWidget(this);
    pnlCaption->setObjectName(QStringLiteral("pnlCaption"));
    pnlCaption->setGeometry(0, 0, kClientWidth, kCaptionHeight);
    InstallCaptionDrag(pnlCaption);

    lblCaption = new QLabel(pnlCaption);
    lblCaption->setObjectName(QStringLiteral("lblCaption"));
    lblCaption->setFont(VerdanaPixels(12));
    lblCaption->setTextFormat(Qt::PlainText);
    lblCaption->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblCaption->setGeometry(8, 6, 389, 14);

    btnClose = new TZRUNButton(pnlCaption);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(403, 0, 24, 15);
    btnClose->SetTransparent(true);
    btnClose->setFocusPolicy(Qt::NoFocus);
    btnClose->SkinList().SetSize(24, 15);
    btnClose->SetFallbackCaption(QStringLiteral("\u00D7"));
    connect(btnClose, &QAbstractButton::clicked, this, &TSuspectsActionForm::btnCloseClick);

    PanelContent = new QWidget(this);
    PanelContent->setObjectName(QStringLiteral("PanelContent"));
    PanelContent->setGeometry(0, kCaptionHeight, kClientWidth,
                              kClientHeight - kCaptionHeight - kButtonRowHeight);

    ImageAlert = new TImage(PanelContent);
    ImageAlert->setObjectName(QStringLiteral("ImageAlert"));
    ImageAlert->setGeometry(6, 6, 82, 82);
    ImageAlert->SetTransparent(true);
    ImageAlert->SetCenter(true);

    PanelMessages = new QWidget(PanelContent);
    PanelMessages->setObjectName(QStringLiteral("PanelMessages"));
    PanelMessages->setGeometry(kMessagesLeft, 0, kMessagesWidth, 60);
    LMessage1 = MakeLine(PanelMessages, "LMessage1");
    LMessage2 = MakeLine(PanelMessages, "LMessage2");
    LMessage3 = MakeLine(PanelMessages, "LMessage3");

    pnlButtons = new QWidget(this);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setGeometry(0, kClientHeight - kButtonRowHeight, kClientWidth, kButtonRowHeight);
    BAceptar = MakeTextButton(pnlButtons, "BAceptar", QRect(96, 6, 97, 19));
    BAceptar->SetDefault(true);
    BAceptar->SetModalResult(kAccepted);
    BCancelar = MakeTextButton(pnlButtons, "BCancelar", QRect(248, 6, 90, 19));
    BCancelar->SetCancel(true);
    BCancelar->SetModalResult(kCancelled);
    setTabOrder(BAceptar, BCancelar);

    wndBorder = new TZRUNBorder(this);
}

void TSuspectsActionForm::LoadPictures() {
    for (std::uint32_t number : kCloseFaces)
        AddPngToSkinList(btnClose->SkinList(), m_resourceLibrary, number);
    for (TZRUNButton* button : {BAceptar, BCancelar}) {
        for (std::uint32_t number : kTextButtonFaces)
            AddPngToSkinList(button->SkinList(), m_resourceLibrary, number);
    }
    ShowPngResource(ImageAlert, m_resourceLibrary, kPictureWarning);
    if (m_resourceLibrary)
        wndBorder->SetResources(m_resourceLibrary, kFrame, u"PNG");
}

void TSuspectsActionForm::SetTexts(const QString& title, const QString& first, const QString& second,
                                   const QString& third, const QString& accept, const QString& cancel) {
    setWindowTitle(title);
    lblCaption->setText(title);
    LMessage1->SetHTMLText(FitHtmlToWidth(first, LMessage1->font(), LMessage1->width()));
    LMessage2->SetHTMLText(FitHtmlToWidth(second, LMessage2->font(), LMessage2->width()));
    LMessage3->SetHTMLText(FitHtmlToWidth(third, LMessage3->font(), LMessage3->width()));
    BAceptar->SetCaption(accept);
    BCancelar->SetCaption(cancel);
    LayoutButtons();
    LayoutContent();
}

void TSuspectsActionForm::CancelFirst() {
    m_cancelFirst = true;
    const int acceptLeft = BAceptar->x();
    BAceptar->move(BCancelar->x(), BAceptar->y());
    BCancelar->move(acceptLeft, BCancelar->y());
    setTabOrder(BCancelar, BAceptar);
    BCancelar->setFocus(Qt::TabFocusReason);
    LayoutButtons();
}

int TSuspectsActionForm::ShowModal() {
    return RunModal(this) == kAccepted ? kAccepted : kCancelled;
}

void TSuspectsActionForm::btnCloseClick() {
    done(kCancelled);
}

void TSuspectsActionForm::reject() {
    done(kCancelled);
}

// Both buttons grow to their caption; the pair is centred with 10 px between them, the button
// that stands further left keeping its side (halves rounded toward zero).
void TSuspectsActionForm::LayoutButtons() {
    WidenToCaption(BAceptar);
    WidenToCaption(BCancelar);
    const int half = (BAceptar->width() + BCancelar->width()) / 2;
    const int centre = pnlButtons->width() / 2;
    const int start = centre - half;
    TZRUNButton* first = BAceptar->x() <= BCancelar->x() ? BAceptar : BCancelar;
    TZRUNButton* second = first == BAceptar ? BCancelar : BAceptar;
    first->move(start - 5, first->y());
    second->move(start + first->width() + 5, second->y());
}

// The lines grow with their text; the window takes the height of its content.
void TSuspectsActionForm::LayoutContent() {
    LMessage1->move(0, kFirstLineMargin);
    LMessage2->move(0, LMessage1->geometry().bottom() + 1 + kLineGap);
    LMessage3->move(0, LMessage2->geometry().bottom() + 1 + kLineGap);
    PanelMessages->setGeometry(kMessagesLeft, 0, kMessagesWidth,
                               LMessage3->geometry().bottom() + 1 + kLastLineMargin);

    const int contentHeight = std::max(ImageAlert->geometry().bottom() + 1 + kPictureBottomMargin,
                                       PanelMessages->geometry().bottom() + 1);
    PanelContent->setGeometry(0, kCaptionHeight, kClientWidth, contentHeight);
    pnlButtons->setGeometry(0, PanelContent->geometry().bottom() + 1, kClientWidth, kButtonRowHeight);
    resize(kClientWidth, pnlButtons->geometry().bottom() + 1);
    // A hidden window gets its resize event only when shown; its mask is wanted before.
    setMask(TZRUNBorder::RoundedWindowRegion(size(), TZRUNBorder::kFrameCornerRadius));
    CentreOnScreen();
}

void TSuspectsActionForm::CentreOnScreen() {
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->availableGeometry();
    move(desktop.center().x() - width() / 2, desktop.center().y() - height() / 2);
}

void TSuspectsActionForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    setMask(TZRUNBorder::RoundedWindowRegion(size(), TZRUNBorder::kFrameCornerRadius));
}

void TSuspectsActionForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    (m_cancelFirst ? BCancelar : BAceptar)->setFocus(Qt::TabFocusReason);
}

// Keys before any control sees them: Escape cancels, Alt+F4 closes as the desktop's own
// shortcut does, every other Alt combination is swallowed.
bool TSuspectsActionForm::FormShortCut(QObject* target, QKeyEvent* event) {
    if (event->type() != QEvent::KeyPress || !isVisible() || !BelongsTo(target, this))
        return false;
    const int key = platform::VirtualKeyOf(event);
    if (key == platform::vk::Escape) {
        done(kCancelled);
        return true;
    }
    const bool altModifier = event->modifiers() & Qt::AltModifier;
    const bool leftAlt =
        platform::IsKeyDown(platform::vk::LAlt) || (altModifier && !platform::IsKeyDown(platform::vk::RAlt));
    if (key == platform::vk::F4 && leftAlt) {
        close();
        return true;
    }
    return key == platform::vk::Alt || key == platform::vk::LAlt || key == platform::vk::RAlt ||
           altModifier || leftAlt;
}
