#include "forms/suspectsform/suspectsform.h"

#include "comm/nano/codec.h"
#include "comm/store/blaitemex.h"
#include "controls/htmlabel.h"
#include "controls/smoothimagelist.h"
#include "controls/timage.h"
#include "controls/zrunborder.h"
#include "controls/zrunbutton.h"
#include "controls/zruntransform.h"
#include "controls/zruntranspanel.h"
#include "forms/formkit.h"
#include "forms/historysuspectsform/historysuspectsform.h"
#include "forms/suspectsactionform/suspectsactionform.h"
#include "forms/suspectsform/itemdescription.h"
#include "forms/tt1/tooltipformleft.h"
#include "forms/tt1/tooltipformright.h"
#include "forms/tt1/tt1.h"
#include "forms/visibletext.h"
#include "i18n/utranslate.h"
#include "module/formvars.h"
#include "module/suspects.h"
#include "platform/messages.h"
#include "platform/system.h"
#include "support/htmltext.h"
#include "support/itemicon.h"
#include "support/paths.h"
#include "support/utilsresource.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QShowEvent>
#include <QTimer>
#include <QWheelEvent>

using namespace formkit;

namespace {

constexpr int kClientWidth = 520;
constexpr int kClientHeight = 233;
const QColor kHistoryLinkColour(0x06, 0xF9, 0xF9);     // 0xF9F906
const QColor kDescriptionLinkColour(0x3B, 0xC5, 0xFF); // 0xFFC53B

constexpr std::uint32_t kWindowIcon = 131;
constexpr std::uint32_t kWaitingAnimation = 22002;
constexpr std::array<std::uint32_t, 4> kActionFaces{20143, 20144, 20145, 20146};
constexpr std::array<std::uint32_t, 3> kNavLeftFaces{20171, 20172, 20173};
constexpr std::array<std::uint32_t, 3> kNavRightFaces{20174, 20175, 20176};

constexpr int kUnblockDelayMs = 1000;
constexpr int kScrollRepeatMs = 200;
// A first page quicker than this never shows the loading text.
constexpr int kLoadingDelayMs = 500;
const QColor kLoadingColour(0xB4, 0xB4, 0xB4);
// The picture of a tile whose item has no picture of its own: the blocked-item shield.
constexpr std::uint32_t kUnknownItemPicture = 20154;

// The one-pixel outline around the carousel's frame.
class ShapeFrame final : public QWidget {
public:
    explicit ShapeFrame(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(kFrameColour);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

void StyleActionButton(TZRUNButton* button) {
    button->setFont(Tahoma(11));
    button->SetTransparent(true);
    button->SetStrechSkin(true);
    button->SetStretchMargin(10);
    button->SetNormalFontColor(Qt::white);
    button->SetOverFontColor(Qt::white);
    button->SetDownFontColor(Qt::white);
    button->SetOverSkinImageIndex(1);
    button->SetDownSkinImageIndex(2);
    button->SetDisabledSkinImageIndex(3);
    button->setCursor(Qt::PointingHandCursor);
}

} // namespace

TSuspectsForm::TSuspectsForm(QWidget* owner, CSuspects* controller)
    : QWidget(owner), m_controller(controller) {
    // 1. The window from its layout.
    m_translator = controller->Translator();
    BuildLayout();
    platform::HandleOf(this);
    // 2. Every caption through the translator.
    TranslateForm(m_translator, this);
    SetUpKeyboardAccess();
    // 3. The window procedure is event(); the carousel draws its items through us.
    lwSuspects2->SetOnItemDraw([this](QPainter& p, int i, const QRectF& r) { lwSuspects2ItemDraw(p, i, r); });
    lwSuspects2->SetOnItemHint([this](int i, QString& hint) { lwSuspects2ItemHint(i, hint); });
    lwSuspects2->SetOnItemZoom([this](int i, bool& allow) { lwSuspects2ItemZoomIn(i, allow); });
    connect(lwSuspects2, &TSmoothImageList::ItemSelect, this, &TSuspectsForm::lwSuspects2ItemSelect);
    m_scrollLeft = false;
    // 5. The carousel keeps its highlight on the described item.
    connect(lwSuspects2, &TSmoothImageList::MouseButtonReleased, this,
            &TSuspectsForm::KeepHighlightOnDescribedItem);
    // 6. Caption, history link; no description yet.
    setWindowTitle(TranslateText(m_translator, QStringLiteral("Papelera de reciclaje")));
    lblShowHistorySuspects->SetHTMLText(
        TranslateText(m_translator, QStringLiteral("<a href=\"#\">Restaurar archivos neutralizados...</a>")));
    pnlInformation->hide();
    // 7. The empty-state text names the product; the host's name is text, never markup.
    lblEmptyLw->setTextFormat(Qt::PlainText);
    lblEmptyLw->setText(
        FormatText(TranslateText(m_translator, QStringLiteral("Si alguna vez %s neutraliza un programa "
                                                              "que deseas utilizar puedes recuperarlo "
                                                              "desde aquí")),
                   {VisibleText(controller->ProductName())}));
    lblLoadingLw->setText(TranslateText(m_translator, QStringLiteral("Cargando...")));
    // What went wrong and what to do, a line each.
    lblListFailedLw->setText(
        TranslateText(m_translator,
                      QStringLiteral("No se ha podido obtener la lista de elementos bloqueados.")) +
        QLatin1Char('\n') +
        TranslateText(m_translator, QStringLiteral("Pulsa F5 para volver a intentarlo.")));
    // 8. The module's window variable and the thread's keyboard and wheel hooks.
    SuspectsForm = this;
    InstallHooks();
    // 9. - 10. Pictures.
    LoadPictures();
    // 11.
    m_selectedKey = -1;
    // 12.
    ApplyClearTypeFonts(this);
    // 13. Tooltips belong to no main window.
    QWidget* mainWindow = platform::ApplicationMainWindow();
    platform::SetApplicationMainWindow(nullptr);
    tooltips::RegisterHintOwner(this, this);
    m_sharedTooltip = new TfrmTT1(this);
    m_tooltipRight = new TTooltipFormRight(this, controller->ResourceLibrary(), 22, 0);
    m_tooltipLeft = new TTooltipFormLeft(this, controller->ResourceLibrary(), -22, 0);
    platform::SetApplicationMainWindow(mainWindow);
    // 14. The waiting animation, at double speed.
    ImageUndo->SetTransparent(true);
    ShowGifResource(ImageUndo, controller->ResourceLibrary(), kWaitingAnimation, true);
    if (QMovie* movie = ImageUndo->Movie())
        movie->setSpeed(200);
    // 15.
    lblUndoAction->setText(TranslateText(m_translator, QStringLiteral("Desbloqueando elemento...")));
    // 16.
    EnableActions();
    // 17.
    m_updateMessage = platform::RegisterWindowMessage(kUpdateWindowMessage);
    // A window that replaces another during a fetch waits for that fetch's first page.
    if (controller->AwaitingFirstPage())
        ListFetchStarted();
}

TSuspectsForm::~TSuspectsForm() {
    TimerUnblock->stop();
    TimerScrolling->stop();
    TimerLoading->stop();
    TimerListTimeout->stop();
    TimerActionHold->stop();
    if (platform::ScreenCursor() != platform::kCursorDefault)
        platform::SetScreenCursor(platform::kCursorDefault);
    lwSuspects2->ClearItems();
    tooltips::UnregisterHintOwner(this);
    delete m_tooltipRight.data();
    delete m_tooltipLeft.data();
    delete m_sharedTooltip.data();
    RemoveHooks();
    m_positions.clear();
    if (SuspectsForm == this)
        SuspectsForm = nullptr;
}

void TSuspectsForm::BuildLayout() {
    setObjectName(QStringLiteral("SuspectsForm"));
    resize(kClientWidth, kClientHeight);
    setFont(Tahoma(11));
    Paint(this, kPanelColour);

    pnlCaption = Make<QWidget>(this, "pnlCaption", {0, 0, kClientWidth, 60});
    Paint(pnlCaption, kPanelColour);
    lblStatus = Make<QLabel>(pnlCaption, "lblStatus", {24, 8, 493, 27});
    lblStatus->setText(QStringLiteral("Papelera de reciclaje"));
    lblStatus->setFont(Verdana(18));
    WhiteText(lblStatus);
    lblShowHistorySuspects = Make<THTMLabel>(pnlCaption, "lblShowHistorySuspects", {14, 42, 305, 17});
    lblShowHistorySuspects->setFont(Verdana(11));
    lblShowHistorySuspects->SetLinkColor(kHistoryLinkColour);
    WhiteText(lblShowHistorySuspects);
    connect(lblShowHistorySuspects, &THTMLabel::AnchorClick, this,
            &TSuspectsForm::lblShowHistorySuspectsAnchorClick);

    Panel1 = Make<TZRUNTransPanel>(this, "Panel1", {0, 60, kClientWidth, 173});
    pnlListView = Make<TZRUNTransPanel>(Panel1, "pnlListView", {0, 0, kClientWidth, 86});
    auto* shape = new ShapeFrame(pnlListView);
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setGeometry(0, 0, kClientWidth, 86);
    pnlContentGrid = Make<QWidget>(pnlListView, "pnlContentGrid", {1, 1, kClientWidth - 2, 84});
    Paint(pnlContentGrid, kPanelColour);
    ZRUNButtonNavLeft = Make<TZRUNButton>(pnlContentGrid, "ZRUNButtonNavLeft", {0, 0, 24, 84});
    lwSuspects2 = Make<TSmoothImageList>(pnlContentGrid, "lwSuspects2", {24, 0, kClientWidth - 2 - 48, 84});
    ZRUNButtonNavRight =
        Make<TZRUNButton>(pnlContentGrid, "ZRUNButtonNavRight", {kClientWidth - 2 - 24, 0, 24, 84});
    for (TZRUNButton* nav : {ZRUNButtonNavLeft, ZRUNButtonNavRight}) {
        nav->SetTransparent(true);
        nav->SetOverSkinImageIndex(1);
        nav->SetDownSkinImageIndex(2);
        nav->SetDisabledSkinImageIndex(0);
        nav->setCursor(Qt::PointingHandCursor);
        nav->setFocusPolicy(Qt::NoFocus);
    }
    connect(ZRUNButtonNavLeft, &TZRUNButton::MouseDown, this, &TSuspectsForm::ZRUNButtonNavLeftMouseDown);
    connect(ZRUNButtonNavRight, &TZRUNButton::MouseDown, this, &TSuspectsForm::ZRUNButtonNavRightMouseDown);
    for (TZRUNButton* nav : {ZRUNButtonNavLeft, ZRUNButtonNavRight}) {
        connect(nav, &TZRUNButton::MouseUp, this, &TSuspectsForm::NavigationMouseUp);
        connect(nav, &TZRUNButton::MouseLeave, this, &TSuspectsForm::NavigationMouseUp);
    }
    lwSuspects2->setFont(Tahoma(11));

    pnlEmptyLw = Make<TZRUNTransPanel>(pnlListView, "pnlEmptyLw", {24, 25, 472, 41});
    lblEmptyLw = Make<QLabel>(pnlEmptyLw, "lblEmptyLw", {0, 0, 472, 41});
    lblEmptyLw->setAlignment(Qt::AlignCenter);
    lblEmptyLw->setWordWrap(true);
    lblEmptyLw->setFont(Verdana(11));
    WhiteText(lblEmptyLw);
    // The empty text is an answer of the service: none is shown before it came.
    pnlEmptyLw->hide();
    lblLoadingLw = Make<QLabel>(pnlListView, "lblLoadingLw", {24, 25, 472, 41});
    lblLoadingLw->setAlignment(Qt::AlignCenter);
    lblLoadingLw->setFont(Verdana(11));
    TextColour(lblLoadingLw, kLoadingColour);
    lblLoadingLw->hide();
    lblListFailedLw = Make<QLabel>(pnlListView, "lblListFailedLw", {24, 25, 472, 41});
    lblListFailedLw->setAlignment(Qt::AlignCenter);
    lblListFailedLw->setWordWrap(true);
    lblListFailedLw->setFont(Verdana(11));
    WhiteText(lblListFailedLw);
    lblListFailedLw->hide();

    pnlInformation = Make<TZRUNTransPanel>(Panel1, "pnlInformation", {0, 89, kClientWidth, 89});
    lblInformation1 = Make<THTMLabel>(pnlInformation, "lblInformation1", {30, 2, kClientWidth - 60, 40});
    lblInformation1->setFont(Verdana(12));
    lblInformation1->SetLinkColor(kDescriptionLinkColour);
    lblInformation1->SetAutoHeight(true);
    WhiteText(lblInformation1);
    connect(lblInformation1, &THTMLabel::AnchorClick, this, &TSuspectsForm::lblInformation1AnchorClick);
    // Aligned to the bottom of its parent, 5 px above the edge.
    pnlButtons = Make<TZRUNTransPanel>(pnlInformation, "pnlButtons", {0, 89 - 5 - 23, kClientWidth, 23});
    btnUnBlock = Make<TZRUNButton>(pnlButtons, "btnUnBlock", {144, 1, 113, 19});
    btnUnBlock->SetCaption(QStringLiteral("No bloquearlo"));
    btnRemove = Make<TZRUNButton>(pnlButtons, "btnRemove", {263, 1, 113, 19});
    btnRemove->SetCaption(QStringLiteral("Eliminarlo"));
    StyleActionButton(btnUnBlock);
    StyleActionButton(btnRemove);
    connect(btnUnBlock, &TZRUNButton::clicked, this, &TSuspectsForm::btnUnBlockClick);
    connect(btnRemove, &TZRUNButton::clicked, this, &TSuspectsForm::btnRemoveClick);
    btnUnBlock->installEventFilter(this);
    btnRemove->installEventFilter(this);

    pnlWaitingUnblock = Make<QWidget>(this, "pnlWaitingUnblock", rect());
    Paint(pnlWaitingUnblock, Qt::black);
    pnlWaitingUnblock->setCursor(Qt::WaitCursor);
    pnlWaitingUnblock->hide();
    ImageBackgroundUnblock = Make<TImage>(pnlWaitingUnblock, "ImageBackgroundUnblock", rect());
    ImageBackgroundUnblock->SetStretch(true);
    ImageUndo = Make<TImage>(pnlWaitingUnblock, "ImageUndo", {0, 0, 96, 72});
    ImageUndo->SetAutoSize(true);
    lblUndoAction = Make<QLabel>(pnlWaitingUnblock, "lblUndoAction", {0, 0, kClientWidth, 16});
    lblUndoAction->setFont(Verdana(12, true));
    lblUndoAction->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    WhiteText(lblUndoAction);

    wndBorder = new TZRUNBorder(this);
    wndBorder->setObjectName(QStringLiteral("wndBorder"));
    ZRUNTransForm1 = new TZRUNTransForm(this);
    ZRUNTransForm1->setObjectName(QStringLiteral("ZRUNTransForm1"));

    TimerUnblock = new QTimer(this);
    TimerUnblock->setObjectName(QStringLiteral("TimerUnblock"));
    TimerUnblock->setInterval(3000);
    connect(TimerUnblock, &QTimer::timeout, this, &TSuspectsForm::TimerUnblockTimer);
    TimerScrolling = new QTimer(this);
    TimerScrolling->setObjectName(QStringLiteral("TimerScrolling"));
    TimerScrolling->setInterval(kScrollRepeatMs);
    connect(TimerScrolling, &QTimer::timeout, this, &TSuspectsForm::TimerScrollingTimer);
    TimerLoading = new QTimer(this);
    TimerLoading->setObjectName(QStringLiteral("TimerLoading"));
    TimerLoading->setSingleShot(true);
    TimerLoading->setInterval(kLoadingDelayMs);
    connect(TimerLoading, &QTimer::timeout, this, &TSuspectsForm::TimerLoadingTimer);
    TimerListTimeout = new QTimer(this);
    TimerListTimeout->setObjectName(QStringLiteral("TimerListTimeout"));
    TimerListTimeout->setSingleShot(true);
    TimerListTimeout->setInterval(static_cast<int>(CSuspects::kFirstPageGiveUpMs));
    connect(TimerListTimeout, &QTimer::timeout, this, &TSuspectsForm::TimerListTimeoutTimer);
    TimerActionHold = new QTimer(this);
    TimerActionHold->setObjectName(QStringLiteral("TimerActionHold"));
    TimerActionHold->setSingleShot(true);
    TimerActionHold->setInterval(QApplication::doubleClickInterval());
    connect(TimerActionHold, &QTimer::timeout, this, &TSuspectsForm::TimerActionHoldTimer);
}

void TSuspectsForm::LoadPictures() {
    void* library = m_controller->ResourceLibrary();
    const QIcon icon = LoadIconResource(library, kWindowIcon);
    if (!icon.isNull())
        setWindowIcon(icon);
    LoadFaces(btnRemove, library, kActionFaces);
    LoadFaces(btnUnBlock, library, kActionFaces);
    LoadFaces(ZRUNButtonNavLeft, library, kNavLeftFaces);
    LoadFaces(ZRUNButtonNavRight, library, kNavRightFaces);
    m_unknownItemPicture = LoadPngResourceForScreen(library, kUnknownItemPicture);
}

void TSuspectsForm::EnableActions() {
    const bool enabled = m_controller->ActionsEnabled() && !TimerActionHold->isActive();
    btnUnBlock->setEnabled(enabled);
    btnRemove->setEnabled(enabled);
}

// Messages.

bool TSuspectsForm::event(QEvent* event) {
    if (auto* message = platform::AsWindowMessage(event)) {
        if (WndProc(*message))
            return true;
    }
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        if (FormShortCut(static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool TSuspectsForm::eventFilter(QObject* watched, QEvent* event) {
    // The second press of a double click on an action is no new request: the first press
    // acted already, maybe on an item that has left the view since.
    if (event->type() == QEvent::MouseButtonDblClick && (watched == btnRemove || watched == btnUnBlock))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool TSuspectsForm::WndProc(platform::WindowMessage& message) {
    const stMessageNumbers& m = m_controller->Messages();
    const std::uint32_t msg = message.Msg();
    if (msg == 0)
        return false;
    if (msg == m.WM_SELECTELEMENT)
        return true;
    if (msg == m.WM_RESETVIEWS) {
        ResetViews();
        return true;
    }
    if (msg == m.WM_FILLDATA) {
        FillData(static_cast<std::int32_t>(message.WParam()), static_cast<std::int32_t>(message.LParam()));
        return true;
    }
    if (msg == m.WM_ENDFILLDATA) {
        EndFillData();
        return true;
    }
    if (m_controller->RouteMessage(message))
        return true;
    if (msg == m_updateMessage) {
        m_controller->StartFetch();
        return true;
    }
    return false;
}

void TSuspectsForm::PostToHistory(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (auto* history = m_controller->HistoryWindow())
        platform::PostMessage(platform::HandleOf(history), msg, wParam, lParam);
}

void TSuspectsForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TSuspectsForm::FormShow() {
    platform::PostMessage(platform::HandleOf(this), m_updateMessage, 0, 0);
}

void TSuspectsForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        FormDeactivate();
}

void TSuspectsForm::FormDeactivate() {
    tooltips::HideAllTooltips();
}

void TSuspectsForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!pnlWaitingUnblock)
        return;
    TWaitingLayer layer(pnlWaitingUnblock, ImageBackgroundUnblock, ImageUndo, lblUndoAction);
    if (layer.IsShowing()) {
        layer.Rebuild(this, rect());
        wndBorder->raise();
    } else {
        pnlWaitingUnblock->setGeometry(rect());
    }
}

bool TSuspectsForm::FormShortCut(QKeyEvent* key) {
    return SwallowsAltShortcut(key);
}

// Filling.

void TSuspectsForm::ResetViews() {
    tooltips::HideAllTooltips();
    btnUnBlock->setEnabled(false);
    btnRemove->setEnabled(false);
    m_selectedKey = -1;
    if (lwSuspects2->Count() > 0) {
        lwSuspects2->ScrollToItem(0);
        lwSuspects2->ClearItems();
        lwSuspects2->SetSelectedIndex(0);
    }
    TimerScrolling->stop();
    TimerActionHold->stop();
    EndLoading();
    m_positions.clear();
    pnlInformation->hide();
    lwSuspects2->show();
    pnlEmptyLw->hide();
    lblListFailedLw->hide();
    ZRUNButtonNavLeft->show();
    ZRUNButtonNavRight->show();
    PostToHistory(m_controller->Messages().WM_RESETVIEWS, 0, 0);
}

void TSuspectsForm::FillData(std::int32_t first, std::int32_t end) {
    tooltips::HideAllTooltips();
    CBlaItemEx* store = m_controller->ItemStore();
    if (!store || store->Count() == 0)
        return;
    lwSuspects2->BeginUpdate();
    const std::uint64_t generation = store->Generation();
    if (generation != m_positionsGeneration) {
        // Keys of an emptied store name nothing any more.
        m_positions.clear();
        m_positionsGeneration = generation;
    }
    for (std::int32_t i = std::max(first, 0); i < end && static_cast<std::size_t>(i) < store->Count(); ++i) {
        const stBlaElements* entry = store->EntryAt(static_cast<std::size_t>(i));
        if (!entry || !IsShownInSuspects(entry->element))
            continue;
        m_positions.push_back(entry->key);
        const int item = lwSuspects2->AddItem();
        lwSuspects2->SetItemFontColor(item, Qt::white);
    }
    if (first == 0) {
        // The item described is the one highlighted.
        if (lwSuspects2->Count() > 0)
            lwSuspects2->SetSelectedIndex(0);
        lwSuspects2ItemSelect(0);
    }
    lwSuspects2->EndUpdate();
    PostToHistory(m_controller->Messages().WM_FILLDATA, static_cast<std::uintptr_t>(first), end);
}

void TSuspectsForm::EndFillData() {
    // The end of a fetch that a newer one replaced says nothing: the newer one is awaited.
    if (!m_controller->AwaitingFirstPage()) {
        EndLoading();
        if (lwSuspects2->Count() == 0) {
            // A list that could not be fetched is not an empty one.
            if (m_controller->ListFetchFailed())
                ShowFailureState();
            else
                ShowEmptyState();
        }
    }
    PostToHistory(m_controller->Messages().WM_ENDFILLDATA, 0, 0);
}

void TSuspectsForm::ShowEmptyState() {
    ShowListMessage(pnlEmptyLw);
}

void TSuspectsForm::ShowFailureState() {
    ShowListMessage(lblListFailedLw);
}

void TSuspectsForm::ShowListMessage(QWidget* message) {
    pnlInformation->hide();
    ZRUNButtonNavLeft->hide();
    ZRUNButtonNavRight->hide();
    lwSuspects2->hide();
    EndLoading();
    for (QWidget* other : {static_cast<QWidget*>(pnlEmptyLw), static_cast<QWidget*>(lblListFailedLw)})
        other->setVisible(other == message);
    message->raise();
    m_selectedKey = -1;
}

void TSuspectsForm::ListFetchStarted() {
    TimerListTimeout->start();
    // Items on show stay until the first page of the new list replaces them.
    if (lwSuspects2->Count() > 0)
        return;
    pnlEmptyLw->hide();
    lblListFailedLw->hide();
    if (!lblLoadingLw->isVisible())
        TimerLoading->start();
}

void TSuspectsForm::EndLoading() {
    TimerLoading->stop();
    TimerListTimeout->stop();
    lblLoadingLw->hide();
}

void TSuspectsForm::TimerLoadingTimer() {
    TimerLoading->stop();
    if (lwSuspects2->Count() > 0 || !m_controller->AwaitingFirstPage())
        return;
    lblLoadingLw->show();
    lblLoadingLw->raise();
}

void TSuspectsForm::TimerListTimeoutTimer() {
    TimerListTimeout->stop();
    // The service took the request and never answered: the fetch has failed.
    m_controller->GiveUpFirstPage();
}

const stBlaElements* TSuspectsForm::EntryOfPosition(int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= m_positions.size())
        return nullptr;
    CBlaItemEx* store = m_controller->ItemStore();
    if (!store || store->Generation() != m_positionsGeneration)
        return nullptr;
    // Looked up by key: an entry the store let go of is never touched.
    const int index = store->IndexOfKey(m_positions[static_cast<std::size_t>(position)]);
    return index < 0 ? nullptr : store->EntryAt(static_cast<std::size_t>(index));
}

int TSuspectsForm::PositionOfKey(std::int32_t key) const {
    for (std::size_t i = 0; i < m_positions.size(); ++i)
        if (static_cast<std::int32_t>(m_positions[i]) == key)
            return static_cast<int>(i);
    return -1;
}

// Selection and description.

void TSuspectsForm::lwSuspects2ItemSelect(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_positions.size())
        return;
    CBlaItemEx* store = m_controller->ItemStore();
    const int storeIndex = store->IndexOfKey(m_positions[static_cast<std::size_t>(index)]);
    stBlaElements entry;
    if (storeIndex < 0 || store->Generation() != m_positionsGeneration ||
        !store->CopyEntry(static_cast<std::size_t>(storeIndex), entry))
        return;
    if (static_cast<std::int32_t>(entry.key) == m_selectedKey)
        return;
    m_selectedKey = static_cast<std::int32_t>(entry.key);
    ShowDescription(entry.element);
    EnableActions();
    pnlInformation->show();
}

void TSuspectsForm::ShowDescription(const ST_BLELEMENT& element) {
    QString text = DescriptionText(m_translator, element, m_controller->LabName());
    if (element.category != 20) {
        lblInformation1->SetHTMLText(text);
        text = lblInformation1->HTMLTextWithLineEnds() + QLatin1String("<br />") +
               WhyBlockedLink(m_translator, element);
    }
    lblInformation1->SetHTMLText(FitHtmlToWidth(text, lblInformation1->font(), lblInformation1->width()));
}

void TSuspectsForm::KeepHighlightOnDescribedItem() {
    if (m_selectedKey == -1)
        return;
    const int position = PositionOfKey(m_selectedKey);
    if (position >= 0 && lwSuspects2->SelectedIndex() != position)
        lwSuspects2->SetSelectedIndex(position);
}

void TSuspectsForm::lblInformation1AnchorClick(const QString& anchor) {
    std::uint32_t detection = 0;
    // A link that is not a number opens nothing.
    if (!ParseDetectionAnchor(anchor, detection))
        return;
    LaunchDetectionInfo(m_controller->LaunchContext(), detection);
}

void TSuspectsForm::lblShowHistorySuspectsAnchorClick(const QString& /*anchor*/) {
    THistorySuspectsForm* history = m_controller->HistoryWindow();
    if (!history) {
        QWidget* mainWindow = platform::ApplicationMainWindow();
        platform::SetApplicationMainWindow(nullptr);
        history = new THistorySuspectsForm(this, m_controller);
        m_controller->SetHistoryWindow(history);
        history->PlaceOver(this);
        const platform::WindowHandle handle = platform::HandleOf(history);
        if (QWidget* console = platform::FindWindow("TConsoleForm"))
            platform::PostMessage(platform::HandleOf(console),
                                  platform::RegisterWindowMessage(kSkinFormMessage), 0,
                                  static_cast<std::intptr_t>(handle));
        // It starts with every item received so far.
        const stMessageNumbers& m = m_controller->Messages();
        CBlaItemEx* store = m_controller->ItemStore();
        platform::PostMessage(handle, m.WM_RESETVIEWS, 0, 0);
        platform::PostMessage(handle, m.WM_FILLDATA, 0,
                              static_cast<std::intptr_t>(store ? store->Count() : 0));
        platform::SetApplicationMainWindow(mainWindow);
    }
    if (history->isVisible()) {
        history->raise();
        history->activateWindow();
    } else {
        history->show();
    }
    m_controller->ExtendFetchForHistory();
}

// Unblock and remove.

void TSuspectsForm::btnUnBlockClick() {
    CBlaItemEx* store = m_controller->ItemStore();
    if (m_selectedKey < 0 || !store)
        return;
    // The item the user is asked about; keys start again with every refresh, so the answer
    // must reach this item and no other.
    stItemRef item;
    stBlaElements entry;
    if (!store->RefOfKey(static_cast<std::uint32_t>(m_selectedKey), item) ||
        !store->CopyEntry(static_cast<std::size_t>(store->IndexOfRef(item)), entry) ||
        entry.busyState != busy::kIdle)
        return;

    const auto* t = m_translator;
    const QString title = TranslateText(t, QStringLiteral("No bloquear elemento"));
    const QString first = TranslateText(t, QStringLiteral("Vas a desbloquear el elemento:")) +
                          QLatin1String("<BR />") + ConfirmationReason(t, entry.element);
    const QString second = FormatText(
        TranslateText(t, QStringLiteral("<B>%s recomienda no desbloquear éste elemento</B> ya que podría "
                                        "resultar muy perjudicial para el funcionamiento de tu PC y la "
                                        "integridad de tus archivos.")),
        {VisibleMarkup(m_controller->LabName())});
    const QString third = TranslateText(t, QStringLiteral("¿Deseas ignorar la recomendación y continuar?"));
    const QString accept = TranslateText(t, QStringLiteral("Sí, deseo continuar"));
    const QString cancel = TranslateText(t, QStringLiteral("No"));

    QPointer<TSuspectsForm> self(this);
    QWidget* mainWindow = platform::ApplicationMainWindow();
    platform::SetApplicationMainWindow(this);
    QPointer<TSuspectsActionForm> dialog = new TSuspectsActionForm(this, m_controller->ResourceLibrary());
    dialog->SetTexts(title, first, second, third, accept, cancel);
    dialog->CancelFirst();
    const int result = dialog->ShowModal();
    platform::SetApplicationMainWindow(mainWindow);
    delete dialog.data();
    // Pages and replies kept arriving while the question was open: the item may be gone, or
    // be in a newer store under another key.
    if (!self || result != 1)
        return;
    if (!store->StartAction(item, busy::kUnblocking))
        return;
    StartUnblock(item);
}

void TSuspectsForm::StartUnblock(const stItemRef& item) {
    btnRemove->setEnabled(false);
    btnUnBlock->setEnabled(false);
    platform::SetScreenCursor(platform::kCursorHourglass);
    TimerUnblock->start(kUnblockDelayMs);
    m_controller->Unblock(item, 0);
}

void TSuspectsForm::TimerUnblockTimer() {
    TimerUnblock->stop();
    if (m_controller->HostState().showWaitingLayer == 0)
        return; // the hourglass stays until the reply
    platform::SetScreenCursor(platform::kCursorDefault);
    ShowWaitingLayer();
}

void TSuspectsForm::ShowWaitingLayer() {
    TWaitingLayer(pnlWaitingUnblock, ImageBackgroundUnblock, ImageUndo, lblUndoAction).Show(this, rect());
    wndBorder->raise();
}

void TSuspectsForm::RemoveWaitingLayer() {
    TimerUnblock->stop();
    EnableActions();
    pnlWaitingUnblock->hide();
    platform::SetScreenCursor(platform::kCursorDefault);
}

void TSuspectsForm::btnRemoveClick() {
    if (lwSuspects2->isHidden() || lwSuspects2->Count() == 0)
        return;
    CBlaItemEx* store = m_controller->ItemStore();
    if (m_selectedKey < 0 || !store)
        return;
    stItemRef item;
    if (!store->RefOfKey(static_cast<std::uint32_t>(m_selectedKey), item) ||
        !store->StartAction(item, busy::kRemovingOrUndoing))
        return;
    m_controller->Remove(item);
}

void TSuspectsForm::RemoveItemFromView(std::uint32_t key) {
    std::lock_guard guard(m_viewLock);
    PostToHistory(m_controller->Messages().WM_REMOVEHISTORYITEM, key, 0);
    const int position = PositionOfKey(static_cast<std::int32_t>(key));
    if (position >= 0) {
        // The key goes first: deleting the item redraws and asks for hints of the others.
        m_positions.erase(m_positions.begin() + position);
        lwSuspects2->DeleteItem(position);
    }
    if (lwSuspects2->Count() == 0) {
        ShowEmptyState();
        return;
    }
    const std::int32_t removedKey = m_selectedKey;
    lwSuspects2->SetSelectedIndex(0);
    lwSuspects2ItemSelect(0);
    // Another item is described where the removed one was: a click meant for the removed one
    // (the second of a double click) must not act on it before the user could read it.
    if (m_selectedKey != removedKey)
        HoldActions();
}

void TSuspectsForm::HoldActions() {
    TimerActionHold->start();
    EnableActions();
}

void TSuspectsForm::TimerActionHoldTimer() {
    TimerActionHold->stop();
    if (m_selectedKey >= 0 && pnlWaitingUnblock->isHidden() && !TimerUnblock->isActive())
        EnableActions();
}

void TSuspectsForm::RemoveAllItems() {
    // A host that turned the actions off means every action, the hidden one too.
    if (!m_controller->ActionsEnabled() || !m_controller->RemoveAll())
        return;
    ResetViews();
    // The service is asked to remove everything: the list is empty, whatever the last fetch did.
    ShowEmptyState();
    PostToHistory(m_controller->Messages().WM_ENDFILLDATA, 0, 0);
}

// Carousel.

void TSuspectsForm::lwSuspects2ItemZoomIn(int /*index*/, bool& allow) {
    allow = false;
}

void TSuspectsForm::lwSuspects2ItemHint(int index, QString& hint) {
    if (const stBlaElements* entry = EntryOfPosition(index))
        hint = tooltips::TextOnlyHint(ItemHintText(entry->element, m_translator));
}

void TSuspectsForm::lwSuspects2ItemDraw(QPainter& painter, int index, const QRectF& rect) {
    const stBlaElements* entry = EntryOfPosition(index);
    if (!entry)
        return;
    CBlaItemEx* store = m_controller->ItemStore();
    std::shared_ptr<ItemIcon> icon = entry->icon;
    if (!icon) {
        const int storeIndex = store->IndexOfKey(entry->key);
        if (storeIndex >= 0)
            icon = store->IconFor(static_cast<std::size_t>(storeIndex));
    }
    const int imageSize = lwSuspects2->ImageSize();
    const int imageTop = lwSuspects2->ImageTopMargin();
    painter.save();
    if (auto* qtIcon = dynamic_cast<const QtItemIcon*>(icon.get()); qtIcon && !qtIcon->icon.isNull()) {
        const QPixmap pixmap =
            qtIcon->icon.pixmap(QSize(imageSize, imageSize), painter.device()->devicePixelRatioF());
        const QSizeF size = pixmap.deviceIndependentSize();
        const int left = static_cast<int>(rect.x() + (rect.width() - size.width()) * 0.5);
        const int top = static_cast<int>(rect.y() + imageTop);
        painter.drawPixmap(left, top, pixmap);
    } else if (!m_unknownItemPicture.isNull()) {
        // No picture of its own (no location, or a file that is gone): never a blank tile.
        const QRectF target(rect.x() + (rect.width() - imageSize) * 0.5, rect.y() + imageTop, imageSize,
                            imageSize);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_unknownItemPicture);
    }
    QFont font = lwSuspects2->font();
    font.setStyleStrategy(QFont::PreferAntialias);
    painter.setFont(font);
    painter.setPen(lwSuspects2->ItemFontColor(index).isValid() ? lwSuspects2->ItemFontColor(index)
                                                               : Qt::white);
    const QRectF textRect(rect.x() + 2, rect.y() + imageTop + imageSize + 2, rect.width() - 4,
                          rect.height() - imageTop - imageSize - 2);
    const QString name =
        painter.fontMetrics().elidedText(VisibleText(ShownName(m_translator, entry->element)), Qt::ElideRight,
                                         static_cast<int>(textRect.width()));
    painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, name);
    painter.restore();
}

void TSuspectsForm::ZRUNButtonNavLeftMouseDown() {
    if (lwSuspects2->Count() == 0)
        return;
    m_scrollLeft = true;
    TimerScrollingTimer();
    TimerScrolling->start();
}

void TSuspectsForm::ZRUNButtonNavRightMouseDown() {
    if (lwSuspects2->Count() == 0)
        return;
    m_scrollLeft = false;
    TimerScrollingTimer();
    TimerScrolling->start();
}

void TSuspectsForm::NavigationMouseUp() {
    TimerScrolling->stop();
}

void TSuspectsForm::TimerScrollingTimer() {
    if (lwSuspects2->Count() > 0)
        lwSuspects2->WheelStep(m_scrollLeft ? 1 : -1);
}

// Hooks.

void TSuspectsForm::InstallHooks() {
    m_keyboardHook =
        platform::SetKeyboardHook([this](QObject*, QKeyEvent* key) { return KeyboardHook(key); });
    m_wheelHook = platform::SetWheelHook(
        [this](QObject* target, QWheelEvent* wheel) { return WheelHook(target, wheel); });
}

void TSuspectsForm::RemoveHooks() {
    if (m_keyboardHook)
        platform::UnhookWindowsHook(m_keyboardHook);
    if (m_wheelHook)
        platform::UnhookWindowsHook(m_wheelHook);
    m_keyboardHook = m_wheelHook = 0;
}

bool TSuspectsForm::KeyboardHook(QKeyEvent* key) {
    if (!isVisible())
        return false;
    const int vk = platform::VirtualKeyOf(key);
    // A key that is held repeats; the window acts on the first press only.
    const bool firstPress = key->type() == QEvent::KeyPress && !key->isAutoRepeat();
    if (vk == platform::vk::F5) {
        if (firstPress)
            platform::PostMessage(platform::HandleOf(this), m_updateMessage, 0, 0);
        return true;
    }
    if ((vk == platform::vk::D || vk == platform::vk::Numpad4) &&
        platform::IsKeyDown(platform::vk::LControl) && platform::IsKeyDown(platform::vk::LShift)) {
        if (firstPress)
            RemoveAllItems();
        return true;
    }
    return false;
}

bool TSuspectsForm::WheelHook(QObject* target, QWheelEvent* wheel) {
    if (!isVisible())
        return false;
    auto* history = m_controller->HistoryWindow();
    if (history && history->isVisible() && history->isActiveWindow())
        return false;
    QWidget* under = qobject_cast<QWidget*>(target);
    if (!under)
        under = QApplication::widgetAt(wheel->globalPosition().toPoint());
    // Over the carousel the wheel reaches it directly.
    if (under && (under == lwSuspects2 || lwSuspects2->isAncestorOf(under)))
        return true;
    m_wheelRemainder += wheel->angleDelta().y();
    const int steps = m_wheelRemainder / 120;
    m_wheelRemainder -= steps * 120;
    if (steps != 0 && lwSuspects2->Count() > 0)
        lwSuspects2->WheelStep(steps);
    return true;
}

// Tooltip client.

void TSuspectsForm::Destroy() {
    deleteLater();
}

void TSuspectsForm::ToolTipShow(QString& hintText, stHintRequest& request, bool& mayShow) {
    if (hintText.isEmpty())
        mayShow = false;
    request.hintPosition = QCursor::pos();
}

void TSuspectsForm::AnchorClick(const QString& /*anchor*/) {}
