#include "forms/suspectsactionform/suspectsactionform.h"

#include "controls/htmlabel.h"
#include "controls/timage.h"
#include "controls/zrunbutton.h"
#include "forms/dialogaccess.h"
#include "forms/modalscript.h"
#include "module/formvars.h"
#include "support/htmltext.h"
#include "support/utilsresource.h"

#include <QLabel>
#include <algorithm>

namespace {

constexpr int kClientWidth = 437;
constexpr int kClientHeight = 153;
constexpr int kButtonRowHeight = 35;
constexpr int kMessagesLeft = 98;
constexpr int kMessagesWidth = 331;
constexpr int kFirstLineMargin = 6;
constexpr int kLineGap = 10;
constexpr int kLastLineMargin = 10;
// The picture keeps the content at least its design height.
constexpr int kPictureBottomMargin = 5;

constexpr std::uint32_t kPictureWarning = 20154;

constexpr QColor kPanelColour(0x4C, 0x4B, 0x4B);

} // namespace

TSuspectsActionForm::TSuspectsActionForm(QWidget* owner, void* resourceLibrary)
    : TZRUNDialog(owner, {.colour = kPanelColour,
                          .clientWidth = kClientWidth,
                          .clientHeight = kClientHeight,
                          .buttonRowHeight = kButtonRowHeight,
                          .closeResult = kCancelled,
                          .swallowF10 = false}),
      m_resourceLibrary(resourceLibrary) {
    setObjectName(QStringLiteral("SuspectsActionForm"));
    BuildForm();
    LoadPictures();
    ApplyClearTypeFonts(this);
    LayoutContent();
    SuspectsActionForm = this;
}

TSuspectsActionForm::~TSuspectsActionForm() {
    if (SuspectsActionForm == this)
        SuspectsActionForm = nullptr;
}

void TSuspectsActionForm::BuildForm() {
    lblCaption->resize(389, 14);
    ImageAlert->setGeometry(6, 6, 82, 82);

    PanelMessages = new QWidget(PanelContent);
    PanelMessages->setObjectName(QStringLiteral("PanelMessages"));
    PanelMessages->setGeometry(kMessagesLeft, 0, kMessagesWidth, 60);
    LMessage1 = MakeLine(PanelMessages, "LMessage1", kMessagesWidth);
    LMessage2 = MakeLine(PanelMessages, "LMessage2", kMessagesWidth);
    LMessage3 = MakeLine(PanelMessages, "LMessage3", kMessagesWidth);

    BAceptar = MakeTextButton(pnlButtons, "BAceptar", QRect(96, 6, 97, 19));
    BAceptar->SetDefault(true);
    BAceptar->SetModalResult(kAccepted);
    BCancelar = MakeTextButton(pnlButtons, "BCancelar", QRect(248, 6, 90, 19));
    BCancelar->SetCancel(true);
    BCancelar->SetModalResult(kCancelled);
    setTabOrder(BAceptar, BCancelar);
}

void TSuspectsActionForm::LoadPictures() {
    LoadChromePictures(m_resourceLibrary, {BAceptar, BCancelar});
    ShowPngResource(ImageAlert, m_resourceLibrary, kPictureWarning);
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
    DescribeDialog(this, title, {first, second, third});
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
    FitToContent(std::max(ImageAlert->geometry().bottom() + 1 + kPictureBottomMargin,
                          PanelMessages->geometry().bottom() + 1));
}

void TSuspectsActionForm::showEvent(QShowEvent* event) {
    TZRUNDialog::showEvent(event);
    (m_cancelFirst ? BCancelar : BAceptar)->setFocus(Qt::TabFocusReason);
}
