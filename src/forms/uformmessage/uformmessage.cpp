#include "forms/uformmessage/uformmessage.h"

#include "controls/htmlabel.h"
#include "controls/timage.h"
#include "controls/zrunbutton.h"
#include "forms/dialogaccess.h"
#include "forms/modalscript.h"
#include "i18n/utranslate.h"
#include "support/htmltext.h"
#include "support/paths.h"
#include "support/utilsresource.h"

#include <QApplication>
#include <QLabel>
#include <algorithm>

namespace {

constexpr int kClientWidth = 436;
constexpr int kClientHeight = 138;
constexpr int kButtonRowHeight = 33;
// Message lines start right of the picture and keep clear of the frame on the right.
constexpr int kLinesLeft = 80;
constexpr int kLinesRight = 8;
constexpr int kLinesTop = 22;
constexpr int kLineGap = 10;
constexpr int kLinesPadding = 5;
constexpr int kLinesWidth = kClientWidth - kLinesLeft - kLinesRight;

constexpr std::uint32_t kPictureError = 20015;
constexpr std::uint32_t kWindowIcon = 131;
constexpr QColor kWindowColour(0x49, 0x48, 0x48);
constexpr QColor kLinkColour(0x3B, 0xC5, 0xFF);

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
    : TZRUNDialog(nullptr, {.colour = kWindowColour,
                            .clientWidth = kClientWidth,
                            .clientHeight = kClientHeight,
                            .buttonRowHeight = kButtonRowHeight,
                            .closeResult = kResultClose,
                            .swallowF10 = true}) {
    setObjectName(QStringLiteral("FormMessage"));
    BuildForm();
    m_resources.Load(resourceLibraryPath, 0, true);
    LoadPictures();
    ApplyClearTypeFonts(this);
    LayoutContent();
}

TFormMessage::~TFormMessage() = default;

QString TFormMessage::DefaultResourceLibraryPath() {
    return ProductLibraryPath(ModuleFolder(), QStringLiteral("ZRUNResources.dll"));
}

void TFormMessage::BuildForm() {
    lblCaption->resize(403 - 8 - 4, QFontMetrics(lblCaption->font()).height());
    ImageAlert->setGeometry(21, 22, 45, 45);

    PanelResize = new QWidget(PanelContent);
    PanelResize->setObjectName(QStringLiteral("PanelResize"));
    PanelResize->setGeometry(kLinesLeft, kLinesTop, kLinesWidth, 40);
    LMessage1 = MakeLine(PanelResize, "LMessage1", kLinesWidth);
    LMessage2 = MakeLine(PanelResize, "LMessage2", kLinesWidth);
    LMessage2->SetLinkColor(kLinkColour);
    connect(LMessage2, &THTMLabel::AnchorClick, this, &TFormMessage::LMessage2AnchorClick);

    BAceptar = MakeTextButton(pnlButtons, "BAceptar", QRect(20, 6, 97, 19));
    BAceptar->SetCaption(QStringLiteral("Sí"));
    BAceptar->SetDefault(true);
    BAceptar->SetModalResult(kResultFirst);
    BCancelar = MakeTextButton(pnlButtons, "BCancelar", QRect(304, 6, 90, 19));
    BCancelar->SetCaption(QStringLiteral("No"));
    BCancelar->SetCancel(true);
    BCancelar->SetModalResult(kResultClose);
    BSoloAceptar = MakeTextButton(pnlButtons, "BSoloAceptar", QRect(160, 6, 97, 19));
    BSoloAceptar->SetCaption(QStringLiteral("Aceptar"));
    BSoloAceptar->SetDefault(true);
    BSoloAceptar->SetModalResult(kResultFirst);
    setTabOrder(BAceptar, BCancelar);
}

void TFormMessage::LoadPictures() {
    void* library = m_resources.Handle();
    if (!library)
        return;
    const QIcon icon = LoadIconResource(library, kWindowIcon);
    if (!icon.isNull())
        setWindowIcon(icon);
    LoadChromePictures(library, {BAceptar, BCancelar, BSoloAceptar});
}

void TFormMessage::Fill(int selector, const QString& title, const QString& first, const QString& second,
                        const QString& firstButton, const QString& secondButton) {
    m_selector = selector;
    lblCaption->setText(title);
    setWindowTitle(title);

    LMessage1->SetHTMLText(FitHtmlToWidth(first, LMessage1->font(), LMessage1->width()));
    LMessage2->SetHTMLText(FitHtmlToWidth(second, LMessage2->font(), LMessage2->width()));

    DescribeDialog(this, title, {first, second});
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

    FitToContent(
        std::max(ImageAlert->geometry().bottom() + 1, PanelResize->geometry().bottom() + 1 + kLinesPadding));
}

void TFormMessage::showEvent(QShowEvent* event) {
    TZRUNDialog::showEvent(event);
    TZRUNButton* first = m_selector == kSingleButton ? BSoloAceptar : BAceptar;
    if (!focusWidget() || !focusWidget()->isVisible())
        first->setFocus(Qt::ActiveWindowFocusReason);
}
