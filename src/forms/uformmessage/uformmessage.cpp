#include "forms/uformmessage/uformmessage.h"

#include "controls/htmlabel.h"
#include "controls/timage.h"
#include "controls/zrunborder.h"
#include "controls/zrunbutton.h"
#include "forms/modalscript.h"
#include "i18n/utranslate.h"
#include "support/htmltext.h"
#include "support/paths.h"
#include "support/utilsresource.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QWindow>
#include <array>

namespace {

constexpr int kClientWidth = 436;
constexpr int kClientHeight = 138;
constexpr int kCaptionHeight = 25;
constexpr int kButtonRowHeight = 33;
// Message lines start right of the picture and keep clear of the frame on the right.
constexpr int kLinesLeft = 80;
constexpr int kLinesRight = 8;
constexpr int kLinesTop = 22;
constexpr int kLineGap = 10;
constexpr int kLinesPadding = 5;

constexpr std::uint32_t kPictureError = 20015;
constexpr std::uint32_t kWindowIcon = 131;
constexpr std::array<std::uint32_t, 3> kCloseFaces{20029, 20030, 20028};
constexpr std::array<std::uint32_t, 3> kTextButtonFaces{20143, 20144, 20145};
constexpr std::array<std::uint32_t, 8> kFrame{21014, 21016, 21015, 21017, 21018, 21010, 21011, 21013};

const QColor kWindowColour(0x49, 0x48, 0x48);
const QColor kLinkColour(0x3B, 0xC5, 0xFF);

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

TZRUNButton* MakeTextButton(QWidget* parent, const char* name, const QRect& geometry,
                            const QString& caption) {
    auto* button = new TZRUNButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->SetCaption(caption);
    button->SetTransparent(true);
    button->SetStrechSkin(true);
    button->SetStretchMargin(10);
    button->SetDisabledSkinImageIndex(2);
    return button;
}

void WidenToCaption(TZRUNButton* button) {
    const int wanted = button->CaptionWidth() + 20;
    if (button->width() < wanted)
        button->resize(wanted, button->height());
}

THTMLabel* MakeLine(QWidget* parent, const char* name) {
    auto* label = new THTMLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(VerdanaPixels(11));
    label->setGeometry(0, 0, kClientWidth - kLinesLeft - kLinesRight, 13);
    label->SetAutoHeight(true);
    return label;
}

} // namespace

int ShowCatalogMessage(int kind, const ZrunTranslationSource* source, const stMessageRequest& request) {
    if (kind != 0)
        return TFormMessage::kResultFirst;
    const QString title = TranslateText(source, QStringLiteral("Ha ocurrido un error inesperado"));
    const QString first =
        FormatText(TranslateText(source, QStringLiteral("Ha ocurrido un error inesperado con el Código %d")),
                   {QString::number(request.code)});
    const QString second = TranslateText(
        source,
        QStringLiteral("Si quieres ayudarnos a mejorar <A HREF=\"sendSugest\">envíanos una sugerencia</A> "
                       "con información acerca de este error y cómo se ha producido."));
    const QString button = TranslateText(source, QStringLiteral("Cerrar"));
    return ShowMessageWindow(TFormMessage::kSingleButton, title, first, second, button, QString(),
                             request.linkAction, request.context, 0);
}

int ShowMessageWindow(int selector, const QString& title, const QString& first, const QString& second,
                      const QString& firstButton, const QString& secondButton,
                      stMessageRequest::LinkAction action, void* context, std::uint32_t extra) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return TFormMessage::kResultFirst;
    try {
        TFormMessage window;
        window.Fill(selector, title, first, second, firstButton, secondButton);
        window.SetLinkAction(action, context, extra);
        return window.ShowModal();
    } catch (...) {
        return TFormMessage::kResultFirst;
    }
}

TFormMessage::TFormMessage(const QString& resourceLibraryPath)
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("FormMessage"));
    BuildForm();
    m_resources.Load(resourceLibraryPath, 0, true);
    LoadPictures();
    ApplyClearTypeFonts(this);
    m_keyboardHook = platform::SetKeyboardHook(
        [this](QObject* target, QKeyEvent* event) { return FormShortCut(target, event); });
    LayoutContent();
}

TFormMessage::~TFormMessage() {
    if (m_keyboardHook)
        platform::UnhookWindowsHook(m_keyboardHook);
}

QString TFormMessage::DefaultResourceLibraryPath() {
    return ProductLibraryPath(ModuleFolder(), QStringLiteral("ZRUNResources.dll"));
}

void TFormMessage::BuildForm() {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kWindowColour);
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
    lblCaption->setGeometry(8, 6, 403 - 8 - 4, QFontMetrics(lblCaption->font()).height());

    btnClose = new TZRUNButton(pnlCaption);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(403, 0, 24, 15);
    btnClose->SetTransparent(true);
    btnClose->setFocusPolicy(Qt::NoFocus);
    btnClose->SkinList().SetSize(24, 15);
    btnClose->SetFallbackCaption(QStringLiteral("\u00D7"));
    connect(btnClose, &QAbstractButton::clicked, this, &TFormMessage::btnCloseClick);

    PanelContent = new QWidget(this);
    PanelContent->setObjectName(QStringLiteral("PanelContent"));
    PanelContent->setGeometry(0, kCaptionHeight, kClientWidth,
                              kClientHeight - kCaptionHeight - kButtonRowHeight);

    ImageAlert = new TImage(PanelContent);
    ImageAlert->setObjectName(QStringLiteral("ImageAlert"));
    ImageAlert->setGeometry(21, 22, 45, 45);
    ImageAlert->SetTransparent(true);
    ImageAlert->SetCenter(true);

    PanelResize = new QWidget(PanelContent);
    PanelResize->setObjectName(QStringLiteral("PanelResize"));
    PanelResize->setGeometry(kLinesLeft, kLinesTop, kClientWidth - kLinesLeft - kLinesRight, 40);
    LMessage1 = MakeLine(PanelResize, "LMessage1");
    LMessage2 = MakeLine(PanelResize, "LMessage2");
    LMessage2->SetLinkColor(kLinkColour);
    connect(LMessage2, &THTMLabel::AnchorClick, this, &TFormMessage::LMessage2AnchorClick);

    pnlButtons = new QWidget(this);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setGeometry(0, kClientHeight - kButtonRowHeight, kClientWidth, kButtonRowHeight);
    BAceptar = MakeTextButton(pnlButtons, "BAceptar", QRect(20, 6, 97, 19), QStringLiteral("Sí"));
    BAceptar->SetDefault(true);
    BAceptar->SetModalResult(kResultFirst);
    BCancelar = MakeTextButton(pnlButtons, "BCancelar", QRect(304, 6, 90, 19), QStringLiteral("No"));
    BCancelar->SetCancel(true);
    BCancelar->SetModalResult(kResultClose);
    BSoloAceptar =
        MakeTextButton(pnlButtons, "BSoloAceptar", QRect(160, 6, 97, 19), QStringLiteral("Aceptar"));
    BSoloAceptar->SetDefault(true);
    BSoloAceptar->SetModalResult(kResultFirst);
    setTabOrder(BAceptar, BCancelar);

    wndBorder = new TZRUNBorder(this);
}

void TFormMessage::LoadPictures() {
    void* library = m_resources.Handle();
    if (!library)
        return;
    const QIcon icon = LoadIconResource(library, kWindowIcon);
    if (!icon.isNull())
        setWindowIcon(icon);
    for (std::uint32_t number : kCloseFaces)
        AddPngToSkinList(btnClose->SkinList(), library, number);
    for (TZRUNButton* button : {BAceptar, BCancelar, BSoloAceptar}) {
        for (std::uint32_t number : kTextButtonFaces)
            AddPngToSkinList(button->SkinList(), library, number);
    }
    wndBorder->SetResources(library, kFrame, u"PNG");
}

void TFormMessage::Fill(int selector, const QString& title, const QString& first, const QString& second,
                        const QString& firstButton, const QString& secondButton) {
    m_selector = selector;
    lblCaption->setText(title);
    setWindowTitle(title);

    LMessage1->SetHTMLText(FitHtmlToWidth(first, LMessage1->font(), LMessage1->width()));
    LMessage2->SetHTMLText(FitHtmlToWidth(second, LMessage2->font(), LMessage2->width()));

    const bool single = selector == kSingleButton;
    if (single) {
        BSoloAceptar->SetCaption(firstButton);
        ShowPngResource(ImageAlert, m_resources.Handle(), kPictureError);
    } else {
        BAceptar->SetCaption(firstButton);
        BCancelar->SetCaption(secondButton);
    }
    BSoloAceptar->setVisible(single);
    BAceptar->setVisible(!single);
    BCancelar->setVisible(!single);

    LayoutButtons();
    LayoutContent();
}

void TFormMessage::SetLinkAction(stMessageRequest::LinkAction action, void* context, std::uint32_t extra) {
    m_linkAction = action;
    m_linkContext = context;
    m_linkExtra = extra;
}

int TFormMessage::ShowModal() {
    return RunModal(this);
}

void TFormMessage::LMessage2AnchorClick(const QString& anchor) {
    // Any link of the second line runs the action: the anchor is handed on, not inspected.
    if (m_linkAction)
        m_linkAction(m_linkContext, m_linkExtra, anchor);
}

void TFormMessage::btnCloseClick() {
    done(kResultClose);
}

// Buttons grow to their caption and stay centred in the row (halves rounded toward zero).
void TFormMessage::LayoutButtons() {
    const int centre = pnlButtons->width() / 2;
    if (m_selector == kSingleButton) {
        WidenToCaption(BSoloAceptar);
        BSoloAceptar->move(centre - BSoloAceptar->width() / 2, BSoloAceptar->y());
        return;
    }
    WidenToCaption(BAceptar);
    WidenToCaption(BCancelar);
    const int start = centre - (BAceptar->width() + BCancelar->width()) / 2;
    BAceptar->move(start - 5, BAceptar->y());
    BCancelar->move(start + BAceptar->width() + 5, BCancelar->y());
}

// The window takes the height of its content: the lines grow with their text, the picture
// keeps its place, the button row follows underneath.
void TFormMessage::LayoutContent() {
    LMessage1->move(0, 0);
    LMessage2->move(0, LMessage1->geometry().bottom() + 1 + kLineGap);
    const int linesHeight = LMessage2->geometry().bottom() + 1 + kLinesPadding;
    PanelResize->resize(PanelResize->width(), linesHeight);

    const int contentHeight =
        std::max(ImageAlert->geometry().bottom() + 1, PanelResize->geometry().bottom() + 1 + kLinesPadding);
    PanelContent->setGeometry(0, kCaptionHeight, kClientWidth, contentHeight);
    pnlButtons->setGeometry(0, PanelContent->geometry().bottom() + 1, kClientWidth, kButtonRowHeight);
    resize(kClientWidth, pnlButtons->geometry().bottom() + 1);
    // A hidden window gets its resize event only when shown; its mask is wanted before.
    setMask(TZRUNBorder::RoundedWindowRegion(size(), TZRUNBorder::kFrameCornerRadius));
    CentreOnScreen();
}

void TFormMessage::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->availableGeometry();
    move(desktop.center().x() - width() / 2, desktop.center().y() - height() / 2);
}

void TFormMessage::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    setMask(TZRUNBorder::RoundedWindowRegion(size(), TZRUNBorder::kFrameCornerRadius));
}

void TFormMessage::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    TZRUNButton* first = m_selector == kSingleButton ? BSoloAceptar : BAceptar;
    if (!focusWidget() || !focusWidget()->isVisible())
        first->setFocus(Qt::ActiveWindowFocusReason);
}

void TFormMessage::reject() {
    done(kResultClose);
}

// Keys before any control sees them: Escape closes, Alt+F4 closes as the desktop's own
// shortcut does, F10 and every other Alt combination are swallowed.
bool TFormMessage::FormShortCut(QObject* target, QKeyEvent* event) {
    if (event->type() != QEvent::KeyPress || !isVisible() || !BelongsTo(target, this))
        return false;
    const int key = platform::VirtualKeyOf(event);
    if (key == platform::vk::Escape) {
        done(kResultClose);
        return true;
    }
    const bool altModifier = event->modifiers() & Qt::AltModifier;
    const bool leftAlt =
        platform::IsKeyDown(platform::vk::LAlt) || (altModifier && !platform::IsKeyDown(platform::vk::RAlt));
    if (key == platform::vk::F4 && leftAlt) {
        close();
        return true;
    }
    return key == platform::vk::F10 || key == platform::vk::Alt || key == platform::vk::LAlt ||
           key == platform::vk::RAlt || altModifier || leftAlt;
}
