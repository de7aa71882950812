#include "forms/historysuspectsform/historysuspectsform.h"

#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"
#include "controls/advstringgrid.h"
#include "controls/timage.h"
#include "controls/zrunborder.h"
#include "controls/zrunbutton.h"
#include "forms/formkit.h"
#include "forms/suspectsactionform/suspectsactionform.h"
#include "forms/suspectsform/itemdescription.h"
#include "forms/visibletext.h"
#include "i18n/utranslate.h"
#include "module/formvars.h"
#include "module/suspects.h"
#include "platform/hooks.h"
#include "platform/messages.h"
#include "platform/system.h"
#include "support/htmltext.h"
#include "support/paths.h"
#include "support/systempath.h"
#include "support/utilsresource.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <array>
#include <numeric>
#include <unordered_map>

static_assert(std::is_nothrow_move_constructible_v<HistoryRow>, "rows must move when the vector grows");

using namespace formkit;

namespace {

constexpr int kDesignWidth = 654;
constexpr int kDesignHeight = 453;
constexpr int kCaptionHeight = 25;
constexpr int kGridTop = 87;
constexpr int kAnchorHeight = 19;
constexpr int kFillBatch = 40;
constexpr int kFillIntervalMs = 400;
constexpr int kProgressIntervalMs = 200;
constexpr int kDetectionIntervalMs = 5000;
constexpr int kProgressFrames = 5;
constexpr int kProgressSize = 14;
constexpr int kActionButtonSize = 21;
constexpr std::uint32_t kUndoneFlag = 0x80;
constexpr std::uint32_t kDeletedFlag = 0x04;
constexpr std::uint32_t kCategorySuspicious = 20;
constexpr std::uint32_t kCategoryAction = 100;

const QColor kUndoneColour(0xC7, 0xE3, 0x9A);    // 0x9AE3C7
const QColor kBandEven(0xE9, 0xE8, 0xE8);        // 0xE8E8E9
const QColor kSelectionColour(0xA9, 0xD9, 0xFE); // 0xFED9A9
const QColor kGridTextColour(0x33, 0x33, 0x33);
const QColor kAnchorStripColour(0x37, 0x37, 0x37);

constexpr std::uint32_t kWindowIcon = 131;
constexpr std::array<std::uint32_t, 3> kMinimizeFaces{20004, 20005, 20003};
constexpr std::array<std::uint32_t, 3> kCloseFaces{20029, 20030, 20028};
constexpr std::array<std::uint32_t, 3> kMaximizeFaces{20062, 20063, 20064};
constexpr std::array<std::uint32_t, 3> kRestoreFaces{20065, 20066, 20067};
constexpr std::uint32_t kHeaderBackground = 20076;
constexpr std::uint32_t kSortAscending = 20074;
constexpr std::uint32_t kSortDescending = 20075;
constexpr std::uint32_t kGripPicture = 20153;
constexpr std::array<std::uint32_t, 8> kBorderPieces{21014, 21016, 21015, 21017, 21018, 21010, 21011, 21013};
constexpr std::uint32_t kWaitingAnimation = 22002;
constexpr std::array<std::uint32_t, 3> kRemoveFaces{20131, 20132, 20133};
constexpr std::array<std::uint32_t, 3> kUndoFaces{20134, 20135, 20136};
constexpr std::array<std::uint32_t, 3> kRedoFaces{20187, 20188, 20189};

// Parts of a row's searched text; a query holding it is matched part by part.
constexpr QChar kSearchSeparator(0xFFFF);
constexpr std::uint32_t kNoRow = UINT32_MAX;
constexpr std::size_t kCachedSearches = 8;

QString lastFruitlessQuery; // shared by every history window of the process

// A literal, case-sensitive substring test over already folded texts: the first character is
// found by the fast single-character scan, the rest compared in place.
bool ContainsLiteral(QStringView haystack, QStringView needle) {
    const qsizetype n = needle.size();
    if (n == 0)
        return true;
    const qsizetype last = haystack.size() - n;
    const QChar first = needle.front();
    const QStringView rest = needle.mid(1);
    qsizetype from = 0;
    while (from <= last) {
        const qsizetype at = haystack.indexOf(first, from);
        if (at < 0 || at > last)
            return false;
        if (haystack.mid(at + 1, n - 1) == rest)
            return true;
        from = at + 1;
    }
    return false;
}

// Finds a literal in a long text: Horspool's skips, keyed by the low byte of each character
// (a shared key only makes a skip shorter, never wrong); a single character goes to the
// vectorised character scan.
class LiteralFinder {
public:
    explicit LiteralFinder(QStringView needle) : m_needle(needle) {
        const qsizetype m = needle.size();
        m_skip.fill(m);
        for (qsizetype i = 0; i + 1 < m; ++i)
            m_skip[needle[i].unicode() & 0xFF] = m - 1 - i;
    }
    qsizetype Find(QStringView haystack, qsizetype from) const {
        const qsizetype m = m_needle.size();
        if (m == 1)
            return haystack.indexOf(m_needle.front(), from);
        const char16_t* text = haystack.utf16();
        const char16_t* pattern = m_needle.utf16();
        const char16_t lastChar = pattern[m - 1];
        const qsizetype end = haystack.size() - m;
        for (qsizetype at = from; at <= end;) {
            const char16_t c = text[at + m - 1];
            if (c == lastChar && std::char_traits<char16_t>::compare(text + at, pattern, m - 1) == 0)
                return at;
            at += m_skip[c & 0xFF];
        }
        return -1;
    }

private:
    QStringView m_needle;
    std::array<qsizetype, 256> m_skip{};
};

QPixmap PictureOf(void* library, std::uint32_t number) {
    QImage image = LoadPngResourceForScreen(library, number);
    if (!image.isNull())
        return QPixmap::fromImage(image);
    return LoadBitmapResource(library, number);
}

QString ShortenPath(const QString& path) {
    if (path.size() <= 50)
        return path;
    return path.left(20) + QStringLiteral("...") + path.right(24);
}

std::uint32_t LeadingNumber(const QString& text) {
    std::uint32_t number = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        number = number * 10 + static_cast<std::uint32_t>(c.unicode() - u'0');
    }
    return number;
}

void StyleCaptionButton(TZRUNButton* button) {
    button->SetTransparent(true);
    button->SetOverSkinImageIndex(1);
    button->SetDownSkinImageIndex(2);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->SkinList().SetSize(24, 15);
}

} // namespace

QString THistorySuspectsForm::LastFruitlessQuery() {
    return lastFruitlessQuery;
}

THistorySuspectsForm::THistorySuspectsForm(QWidget* owner, CSuspects* controller)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), m_controller(controller) {
    m_translator = controller->Translator();
    m_resourceLibrary = controller->ResourceLibrary();
    BuildLayout();
    platform::HandleOf(this);
    setWindowTitle(TranslateText(m_translator, QStringLiteral("Historial de acciones")));
    LabelCaption->setText(windowTitle());
    TranslateForm(m_translator, this);
    m_searchHintText = TranslateText(m_translator, QStringLiteral("Escribe aquí la palabra a buscar"));
    m_retrievingText =
        TranslateText(m_translator, QStringLiteral("Recuperando información desde Internet..."));
    m_unknownNameText = TranslateText(m_translator, QStringLiteral("Nombre desconocido"));
    m_showDetailsText = TranslateText(m_translator, QStringLiteral("Mostrar detalles"));
    m_undoText = TranslateText(m_translator, QStringLiteral("Deshacer acción"));
    m_redoText = TranslateText(m_translator, QStringLiteral("Rehacer acción"));
    m_removeText = TranslateText(m_translator, QStringLiteral("Eliminar acción"));
    EditSearch->setText(m_searchHintText);
    connect(EditSearch, &QLineEdit::textChanged, this, &THistorySuspectsForm::EditSearchChange);
    const std::array<const char16_t*, 4> headers{u"Acción", u"Ubicación", u"Fecha/Hora", u""};
    for (int c = 0; c < 4; ++c)
        AdvStringGridSuspects->SetCells(c, 0, TranslateText(m_translator, QString::fromUtf16(headers[c])));
    InstallCaptionDrag(pnlCaption);
    LoadPictures();
    ApplyClearTypeFonts(this);
    tooltips::RegisterHintOwner(this, this);
    pnlEmptyText->hide();
    TimerUnblock->setInterval(static_cast<int>(controller->HostState().unblockWaitMs));
    ImageUndo->SetTransparent(true);
    ShowGifResource(ImageUndo, m_resourceLibrary, kWaitingAnimation, true);
    if (QMovie* movie = ImageUndo->Movie())
        movie->setSpeed(kAnimationSpeedPercent);
    m_sortColumns = {0, 1, 2};
    m_collator = QCollator(QLocale::system());
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
    SetUpKeyboardAccess();
    HistorySuspectsForm = this;
}

THistorySuspectsForm::~THistorySuspectsForm() {
    for (QTimer* timer : {TimerDetectionID, TimerProgress, TimerFillData, TimerUnblock})
        timer->stop();
    if (m_waiting && platform::ScreenCursor() != platform::kCursorDefault)
        platform::SetScreenCursor(platform::kCursorDefault);
    AdvStringGridSuspects->SetOnSelectCell({});
    AdvStringGridSuspects->SetOnGridHint({});
    AdvStringGridSuspects->SetOnDrawCell({});
    AdvStringGridSuspects->SetOnGetDisplText({});
    tooltips::UnregisterHintOwner(this);
    if (HistorySuspectsForm == this)
        HistorySuspectsForm = nullptr;
}

void THistorySuspectsForm::BuildLayout() {
    setObjectName(QStringLiteral("HistorySuspectsForm"));
    resize(kDesignWidth, kDesignHeight);
    setFont(Tahoma(11));
    Paint(this, kPanelColour);

    pnlCaption = Make<QWidget>(this, "pnlCaption", {0, 0, kDesignWidth, kCaptionHeight});
    Paint(pnlCaption, kPanelColour);
    LabelCaption = Make<QLabel>(pnlCaption, "LabelCaption", {16, 5, 547, 18});
    LabelCaption->setFont(Verdana(15));
    LabelCaption->setTextFormat(Qt::PlainText);
    LabelCaption->setAttribute(Qt::WA_TransparentForMouseEvents);
    WhiteText(LabelCaption);
    btnRestore = Make<TZRUNButton>(pnlCaption, "btnRestore", {598, 0, 24, 15});
    btnClose = Make<TZRUNButton>(pnlCaption, "btnClose", {622, 0, 24, 15});
    btnMaximize = Make<TZRUNButton>(pnlCaption, "btnMaximize", {598, 0, 24, 15});
    btnMinimize = Make<TZRUNButton>(pnlCaption, "btnMinimize", {574, 0, 24, 15});
    for (TZRUNButton* b : {btnRestore, btnClose, btnMaximize, btnMinimize})
        StyleCaptionButton(b);
    btnRestore->SetFallbackCaption(QStringLiteral("❐"));
    btnClose->SetFallbackCaption(QStringLiteral("×"));
    btnMaximize->SetFallbackCaption(QStringLiteral("□"));
    btnMinimize->SetFallbackCaption(QStringLiteral("_"));
    btnRestore->hide();
    connect(btnRestore, &TZRUNButton::clicked, this, &THistorySuspectsForm::btnRestoreClick);
    connect(btnClose, &TZRUNButton::clicked, this, &THistorySuspectsForm::btnCloseClick);
    connect(btnMaximize, &TZRUNButton::clicked, this, &THistorySuspectsForm::btnMaximizeClick);
    connect(btnMinimize, &TZRUNButton::clicked, this, &THistorySuspectsForm::btnMinimizeClick);

    Panel1 = Make<QWidget>(this, "Panel1", {0, kCaptionHeight, kDesignWidth, kDesignHeight - kCaptionHeight});
    Paint(Panel1, kPanelColour);
    pnlControls = Make<QWidget>(Panel1, "pnlControls", {16, 17, 630, 20});
    pnlControls->setMinimumWidth(630);
    Label2 = Make<QLabel>(pnlControls, "Label2", {0, 0, 50, 20});
    Label2->setFont(Verdana(11));
    Label2->setText(QStringLiteral("Buscar:"));
    WhiteText(Label2);
    Label2->adjustSize();
    Label2->setFixedHeight(20);
    EditSearch = Make<QLineEdit>(pnlControls, "EditSearch", {Label2->width() + 5, 0, 223, 20});
    EditSearch->setMinimumWidth(223);
    EditSearch->setFont(Verdana(11, false, true));
    EditSearch->installEventFilter(this);

    pnlAnchor = Make<QWidget>(Panel1, "pnlAnchor",
                              {0, Panel1->height() - kAnchorHeight, kDesignWidth, kAnchorHeight});
    Paint(pnlAnchor, kAnchorStripColour);
    ImageAnchor = Make<TImage>(pnlAnchor, "ImageAnchor", {kDesignWidth - 18, 0, 18, 19});

    pnlGrid = Make<QWidget>(this, "pnlGrid", {0, kGridTop, kDesignWidth, 347});
    AdvStringGridSuspects = Make<TAdvStringGrid>(pnlGrid, "AdvStringGridSuspects", pnlGrid->rect());
    AdvStringGridSuspects->setMinimumSize(616, 345);
    TAdvStringGrid* grid = AdvStringGridSuspects;
    grid->SetColCount(4);
    grid->SetRowCount(2);
    const std::array<int, 4> widths{144, 207, 146, 139};
    for (int c = 0; c < 4; ++c)
        grid->SetColWidth(c, widths[static_cast<std::size_t>(c)]);
    grid->setFont(Tahoma(11));
    grid->SetTextColor(kGridTextColour);
    grid->SetHeaderFont(Verdana(11, true));
    grid->SetHeaderTextColor(kPanelColour);
    grid->SetBandColors(kBandEven, Qt::white);
    grid->SetSelectionColor(kSelectionColour);
    ImageListProgress = ProgressFrames();
    grid->SetImageList(ImageListProgress);
    grid->SetOnGetDisplText([this](int c, int r, QString& t) { AdvStringGridSuspectsGetDisplText(c, r, t); });
    grid->SetOnDrawCell(
        [this](int c, int r, QPainter&, const QRect&) { AdvStringGridSuspectsDrawCell(c, r); });
    grid->SetOnGridHint([this](int r, int c, QString& h) { AdvStringGridSuspectsGridHint(r, c, h); });
    grid->SetOnAnchorClick(
        [this](int r, int c, const QString& a) { AdvStringGridSuspectsAnchorClick(r, c, a); });
    grid->SetOnAnchorHint([this](int, int, const QString&) { AdvStringGridSuspectsAnchorHint(); });
    grid->SetOnCanSort([](int c, bool& allow) { allow = c != 3; });
    grid->SetOnClickSort([this](int c) { AdvStringGridSuspectsClickSort(c); });
    connect(grid, &TAdvStringGrid::EndColumnSize, this, [this](int) { LayoutRowActions(); });
    AttachSelectHandler(true);

    pnlEmptyText = Make<QWidget>(pnlGrid, "pnlEmptyText", {0, 22, 636, 323});
    Paint(pnlEmptyText, Qt::white);
    lblEmptyText = Make<QLabel>(pnlEmptyText, "lblEmptyText", pnlEmptyText->rect());
    lblEmptyText->setAlignment(Qt::AlignCenter);
    lblEmptyText->setText(QStringLiteral("No hay acciones"));
    TextColour(lblEmptyText, kGridTextColour);

    pnlWaitingUnblock = Make<QWidget>(this, "pnlWaitingUnblock", rect());
    Paint(pnlWaitingUnblock, Qt::black);
    pnlWaitingUnblock->setCursor(Qt::WaitCursor);
    pnlWaitingUnblock->hide();
    ImageBackgroundUnblock = Make<TImage>(pnlWaitingUnblock, "ImageBackgroundUnblock", rect());
    ImageBackgroundUnblock->SetStretch(true);
    ImageUndo = Make<TImage>(pnlWaitingUnblock, "ImageUndo", {0, 0, 134, 105});
    lblAction = Make<QLabel>(pnlWaitingUnblock, "lblAction", {0, 0, kDesignWidth, 16});
    lblAction->setFont(Verdana(12, true));
    lblAction->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    WhiteText(lblAction);

    wndBorder = new TZRUNBorder(this);
    wndBorder->setObjectName(QStringLiteral("wndBorder"));
    wndBorder->SetResizable(true);

    auto timer = [this](const char* name, int interval, void (THistorySuspectsForm::*handler)()) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(interval);
        connect(t, &QTimer::timeout, this, handler);
        return t;
    };
    TimerDetectionID =
        timer("TimerDetectionID", kDetectionIntervalMs, &THistorySuspectsForm::TimerDetectionIDTimer);
    TimerProgress = timer("TimerProgress", kProgressIntervalMs, &THistorySuspectsForm::TimerProgressTimer);
    TimerFillData = timer("TimerFillData", kFillIntervalMs, &THistorySuspectsForm::TimerFillDataTimer);
    TimerUnblock = timer("TimerUnblock", 1000, &THistorySuspectsForm::TimerUnblockTimer);
    Relayout();
}

void THistorySuspectsForm::LoadPictures() {
    void* library = m_resourceLibrary;
    const QIcon icon = LoadIconResource(library, kWindowIcon);
    if (!icon.isNull())
        setWindowIcon(icon);
    LoadFaces(btnMinimize, library, kMinimizeFaces);
    LoadFaces(btnClose, library, kCloseFaces);
    LoadFaces(btnMaximize, library, kMaximizeFaces);
    LoadFaces(btnRestore, library, kRestoreFaces);
    ShowPngResource(ImageAnchor, library, kGripPicture);
    const QImage header = LoadPngResourceForScreen(library, kHeaderBackground);
    if (!header.isNull())
        AdvStringGridSuspects->SetHeaderBackground(QPixmap::fromImage(header));
    const QPixmap ascending = PictureOf(library, kSortAscending);
    const QPixmap descending = PictureOf(library, kSortDescending);
    if (!ascending.isNull() && !descending.isNull())
        AdvStringGridSuspects->SetSortGlyphs(ascending, descending);
    if (library)
        wndBorder->SetResources(library, kBorderPieces, u"PNG");
}

// Five frames of a turning arc, drawn rather than loaded: the resource library has none.
QList<QPixmap> THistorySuspectsForm::ProgressFrames() {
    QList<QPixmap> frames;
    for (int i = 0; i < kProgressFrames; ++i) {
        QPixmap frame(kProgressSize, kProgressSize);
        frame.fill(Qt::transparent);
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0xB4, 0xB4, 0xB4), 2));
        painter.drawEllipse(QRectF(2, 2, 10, 10));
        painter.setPen(QPen(QColor(0x1A, 0x5F, 0xB4), 2));
        painter.drawArc(QRectF(2, 2, 10, 10), -i * 72 * 16, 100 * 16);
        frames.append(frame);
    }
    return frames;
}

void THistorySuspectsForm::Relayout() {
    const int w = width();
    const int h = height();
    const int dx = w - kDesignWidth;
    pnlCaption->setGeometry(0, 0, w, kCaptionHeight);
    LabelCaption->setGeometry(16, 5, std::max(0, 547 + dx), 18);
    btnRestore->move(598 + dx, 0);
    btnClose->move(622 + dx, 0);
    btnMaximize->move(598 + dx, 0);
    btnMinimize->move(574 + dx, 0);
    Panel1->setGeometry(0, kCaptionHeight, w, h - kCaptionHeight);
    pnlControls->setGeometry(16, 17, std::max(630, w - 24), 20);
    pnlAnchor->setGeometry(0, Panel1->height() - kAnchorHeight, w, kAnchorHeight);
    ImageAnchor->move(w - 18, 0);
    pnlGrid->setGeometry(0, kGridTop, w, std::max(0, h - kGridTop - kAnchorHeight));
    pnlGrid->raise();
    AdvStringGridSuspects->setGeometry(pnlGrid->rect());
    pnlEmptyText->setGeometry(0, 22, std::max(0, pnlGrid->width() - 18), std::max(0, pnlGrid->height() - 24));
    lblEmptyText->setGeometry(pnlEmptyText->rect());
    pnlWaitingUnblock->raise();
    wndBorder->raise();
}

// Messages.

void THistorySuspectsForm::PlaceOver(const QWidget* anchor) {
    // Left to a window manager it may open anywhere, even partly off the screen.
    const QWidget* host = anchor ? anchor->window() : nullptr;
    QScreen* screen = host && host->screen() ? host->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect bounds(QPoint(0, 0), size());
    bounds.moveCenter(host && host->isVisible() ? host->frameGeometry().center() : area.center());
    bounds.moveLeft(
        std::clamp(bounds.left(), area.left(), std::max(area.left(), area.right() + 1 - bounds.width())));
    bounds.moveTop(
        std::clamp(bounds.top(), area.top(), std::max(area.top(), area.bottom() + 1 - bounds.height())));
    move(bounds.topLeft());
}

bool THistorySuspectsForm::event(QEvent* event) {
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
        if (event->type() == QEvent::KeyPress && WindowKey(static_cast<QKeyEvent*>(event)))
            return true;
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F4 &&
            (static_cast<QKeyEvent*>(event)->modifiers() & Qt::AltModifier)) {
            close();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool THistorySuspectsForm::WndProc(platform::WindowMessage& message) {
    const stMessageNumbers& m = m_controller->Messages();
    const std::uint32_t msg = message.Msg();
    if (msg == 0)
        return false;
    if (msg == m.WM_RESETVIEWS) {
        ResetViews();
        return true;
    }
    if (msg == m.WM_FILLDATA) {
        FillData();
        return true;
    }
    if (msg == m.WM_ENDFILLDATA) {
        // The fetch may end before the batches have shown every entry; the last batch ends the
        // fill then, so that the list counts as filling until it is whole.
        if (!TimerFillData->isActive())
            EndFillData();
        return true;
    }
    if (msg == m.WM_REMOVEHISTORYITEM) {
        RemoveHistoryItem(static_cast<std::uint32_t>(message.WParam()));
        return true;
    }
    if (msg == m.WM_UPDATEMALWAREINFO) {
        UpdateMalwareInfo(message.WParam(), message.LParam());
        return true;
    }
    return m_controller->RouteMessage(message);
}

bool THistorySuspectsForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == AdvStringGridSuspects && event->type() == QEvent::KeyPress &&
        GridKey(static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == EditSearch) {
        const QEvent::Type type = event->type();
        if (type == QEvent::FocusIn)
            EditSearchEnter();
        else if (type == QEvent::FocusOut)
            EditSearchExit();
        // A window that is not active gets no focus event, yet takes clicks and keys: the hint
        // must still go before the first key, or the query would be typed into it.
        else if ((type == QEvent::MouseButtonPress || type == QEvent::KeyPress) &&
                 EditSearch->font().italic() && EditSearch->text() == m_searchHintText)
            EditSearchEnter();
    }
    return QWidget::eventFilter(watched, event);
}

void THistorySuspectsForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // FormResize.
    Relayout();
    setMask(TZRUNBorder::RoundedWindowRegion(size(), TZRUNBorder::kFrameCornerRadius));
    TWaitingLayer(pnlWaitingUnblock, ImageBackgroundUnblock, ImageUndo, lblAction)
        .Rebuild(this, WaitingArea());
    if (pnlWaitingUnblock->isVisibleTo(this))
        wndBorder->raise();
}

void THistorySuspectsForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        FormDeactivate();
    if (event->type() == QEvent::WindowStateChange) {
        const bool minimized = windowState() & Qt::WindowMinimized;
        // Restored from the task bar while maximised: back to the work area.
        if (m_wasMinimized && !minimized && m_maximized)
            QTimer::singleShot(0, this, [this] {
                if (m_maximized)
                    btnMaximizeClick();
            });
        m_wasMinimized = minimized;
        // The system's own maximise does what the caption button does: the work area.
        if (windowState() & Qt::WindowMaximized)
            QTimer::singleShot(0, this, [this] {
                if (!(windowState() & Qt::WindowMaximized))
                    return;
                setWindowState(windowState() & ~Qt::WindowMaximized);
                btnMaximizeClick();
            });
    }
}

void THistorySuspectsForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A hidden window keeps no layer and no hourglass on screen; the waiting itself goes on
    // until the reply ends it.
    if (event->spontaneous() || !m_waiting)
        return;
    TimerUnblock->stop();
    TWaitingLayer(pnlWaitingUnblock, ImageBackgroundUnblock, ImageUndo, lblAction).Hide();
    platform::SetScreenCursor(platform::kCursorDefault);
}

void THistorySuspectsForm::FormDeactivate() {
    tooltips::HideAllTooltips();
}

bool THistorySuspectsForm::FormShortCut(QKeyEvent* key) {
    return SwallowsAltShortcut(key);
}

// Chrome.

void THistorySuspectsForm::btnMinimizeClick() {
    tooltips::HideAllTooltips();
    setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
}

void THistorySuspectsForm::btnMaximizeClick() {
    tooltips::HideAllTooltips();
    if (windowState() & Qt::WindowMinimized) {
        setUpdatesEnabled(false);
        setWindowState(windowState() & ~Qt::WindowMinimized);
        btnMaximizeClick();
        setUpdatesEnabled(true);
        return;
    }
    if (!m_maximized)
        m_normalBounds = geometry();
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, width(), height());
    // The work area, so that the task bar stays visible.
    setGeometry(area);
    m_maximized = true;
    btnMaximize->hide();
    btnRestore->show();
}

void THistorySuspectsForm::btnRestoreClick() {
    tooltips::HideAllTooltips();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (m_maximized && m_normalBounds.isValid())
        setGeometry(m_normalBounds);
    m_maximized = false;
    btnMaximize->show();
    btnRestore->hide();
}

void THistorySuspectsForm::btnCloseClick() {
    close();
}

// Reset, fill and end of fill.

void THistorySuspectsForm::AttachSelectHandler(bool on) {
    if (on)
        AdvStringGridSuspects->SetOnSelectCell(
            [this](int r, bool& allow) { AdvStringGridSuspectsSelectCell(r, allow); });
    else
        AdvStringGridSuspects->SetOnSelectCell({});
}

void THistorySuspectsForm::ResetViews() {
    tooltips::HideAllTooltips();
    AttachSelectHandler(false);
    // The rows of the old store go at once; a search still applied starts again from nothing
    // and is re-applied batch by batch.
    m_rows.clear();
    m_filteredRows.clear();
    m_searchedRows = 0;
    m_ranksValid = false;
    m_filterExact = false;
    m_actionSortKeys.clear();
    m_locationSortKeys.clear();
    // Kept up to date batch by batch from here on.
    ClearSearchBuffer();
    RowsChanged();
    InvalidatePositions();
    TAdvStringGrid* grid = AdvStringGridSuspects;
    if (pnlRowActions && m_selectedRow >= 1)
        grid->RemoveCellControl(3, m_selectedRow);
    if (grid->RowCount() > 2)
        grid->RemoveRows(2, grid->RowCount() - 2);
    if (grid->RowCount() > 1) {
        grid->SetRowColor(1, TAdvStringGrid::DefaultColor());
        grid->RemoveCellImage(0, 1);
        grid->RepaintRow(1);
    }
    m_selectedKey = m_selectedRow = -1;
    m_firstVisibleRow = 0x7FFFFFFF;
    m_lastVisibleRow = -1;
    TimerFillData->stop();
    m_fillNext = m_fillStart = 0;
    m_fillInProgress = true;
    // Whatever was being waited for is answered by this refresh; no old picture stays up.
    if (m_waiting)
        RemoveWaitingLayer();
}

void THistorySuspectsForm::FillData() {
    // A page arriving between two batches must not push the next batch back.
    if (!TimerFillData->isActive())
        TimerFillData->start();
}

void THistorySuspectsForm::TimerFillDataTimer() {
    TimerFillData->stop();
    m_fillStart = m_fillNext;
    m_fillNext = m_fillStart + kFillBatch;
    AttachSelectHandler(false);
    CBlaItemEx* store = m_controller->ItemStore();
    const std::size_t count = store ? store->Count() : 0;
    // With a search applied, the search decides how many rows the grid has.
    if (!m_filterActive && count + 1 > static_cast<std::size_t>(AdvStringGridSuspects->RowCount()))
        AdvStringGridSuspects->SetRowCount(static_cast<int>(count + 1));
    FillEntries(m_fillStart, m_fillNext);
    if (m_filterActive)
        EditSearchChange();
    AttachSelectHandler(true);
    if (m_fillStart == 0)
        SelectFirstRow();
    if (store && store->Count() > m_fillNext)
        TimerFillData->start();
    else
        EndFillData();
}

void THistorySuspectsForm::FillEntries(std::size_t first, std::size_t end) {
    tooltips::HideAllTooltips();
    CBlaItemEx* store = m_controller->ItemStore();
    if (!store || store->Count() == 0)
        return;
    TAdvStringGrid* grid = AdvStringGridSuspects;
    TMapDetectionID& names = m_controller->DetectionNames();
    const std::size_t rowsBefore = m_rows.size();
    // Room for half as many again as the store holds: reserving the exact count moved every
    // row on every batch, and the pages that arrive after the fill fit without moving them.
    if (m_rows.capacity() < store->Count()) {
        m_rows.reserve(
            std::max(store->Count() + store->Count() / 2, m_rows.capacity() + m_rows.capacity() / 2));
        // The search text grows with the rows; growing it by doubling copied all of it in one
        // batch (25 ms at 60,000 rows).
        const qsizetype perRow =
            m_rows.empty() ? 128 : m_searchBuffer.size() / static_cast<qsizetype>(m_rows.size()) + 16;
        m_searchBuffer.reserve(static_cast<qsizetype>(m_rows.capacity()) * perRow);
    }
    for (std::size_t i = first; i < end; ++i) {
        const int r = static_cast<int>(i) + 1;
        if (i >= store->Count() || (!m_filterActive && r >= grid->RowCount()))
            break;
        stBlaElements entry;
        if (!store->CopyEntry(i, entry))
            continue;
        HistoryRow row;
        BuildRow(row, entry);
        if (row.category == kCategorySuspicious) {
            names.AddWaitingRow(row.detectionId, static_cast<std::int32_t>(row.key));
        } else if (NamePending(row.detectionId)) {
            row.progressImage = m_progressFrame;
            names.AddWaitingRow(row.detectionId, static_cast<std::int32_t>(row.key));
        } else {
            AppendDetectionLink(row.actionText, row.detectionId, row.informationId);
        }
        UpdateSearchText(row);
        // The grid row that shows it now; with a search applied the search places it.
        if (!m_filterActive)
            Decorate(r, row);
        m_rows.push_back(std::move(row));
        if (m_searchBufferValid)
            AppendSearchSegment(m_rows.size() - 1);
    }
    if (m_rows.size() != rowsBefore) {
        m_ranksValid = false;
        RowsChanged();
        InvalidatePositions();
    }
    if (first == 0)
        TimerDetectionIDTimer();
    if (!TimerProgress->isActive())
        TimerProgress->start();
    if (!TimerDetectionID->isActive())
        TimerDetectionID->start();
}

void THistorySuspectsForm::BuildRow(HistoryRow& row, const stBlaElements& entry) {
    const ST_BLELEMENT& e = entry.element;
    row.key = entry.key;
    row.generation = m_controller->ItemStore()->Generation();
    row.category = e.category;
    row.flags = e.flags;
    row.informationId = e.informationId;
    row.detectionId = e.detectionId;
    row.actionTime = e.actionTime;
    row.location = QStringView(*e.location).toString();
    row.shownLocation = VisibleText(QString::fromStdU16String(ExpandSystemPathString(*e.location)));
    row.timeText = FormatDetectionTime(e.actionTime);
    row.actionText = BuildActionText(e.category, e.itemType, e.flags);
    row.locationKey = SortKeyOf(m_locationSortKeys, row.location);
}

void THistorySuspectsForm::UpdateSearchText(HistoryRow& row) {
    const QString plain = HtmlToPlainText(row.actionText);
    row.searchText = (plain + kSearchSeparator + VisibleText(row.location) + kSearchSeparator + row.timeText)
                         .toCaseFolded();
    row.actionKey = SortKeyOf(m_actionSortKeys, plain);
}

std::shared_ptr<const QCollatorSortKey>
THistorySuspectsForm::SortKeyOf(QHash<QString, std::shared_ptr<const QCollatorSortKey>>& keys,
                                const QString& text) {
    auto it = keys.find(text);
    if (it == keys.end())
        it = keys.insert(text, std::make_shared<const QCollatorSortKey>(m_collator.sortKey(text)));
    return *it;
}

QString THistorySuspectsForm::BuildActionText(const stBlaElements& entry) const {
    return BuildActionText(entry.element.category, entry.element.itemType, entry.element.flags);
}

QString THistorySuspectsForm::BuildActionText(std::uint32_t category, std::uint32_t itemType,
                                              std::uint32_t flags) const {
    if (category == kCategorySuspicious)
        return TranslateText(m_translator, QStringLiteral("Archivo sospechoso neutralizado"));
    if (category != kCategoryAction)
        return QString();
    // The texts depend on the item type and one flag only; translating them once per kind
    // keeps the fill from asking the translator twice for every entry.
    const quint64 kind = (quint64(itemType) << 1) | ((flags & kDeletedFlag) ? 1 : 0);
    if (const auto it = m_actionTexts.constFind(kind); it != m_actionTexts.constEnd())
        return *it;
    const QString type = TranslateText(m_translator, QStringLiteral("TYPE_") + QString::number(itemType));
    const QString format =
        (flags & kDeletedFlag) ? QStringLiteral("%s eliminado/a:") : QStringLiteral("%s neutralizado/a:");
    const QString text = FormatText(TranslateText(m_translator, format), {EscapeHtml(type)});
    m_actionTexts.insert(kind, text);
    return text;
}

QString THistorySuspectsForm::NameOf(std::uint32_t detectionId) const {
    return QString::fromStdU16String(
        m_controller->DetectionNames().NameOf(detectionId, m_controller->HostState().maxNameAttempts));
}

bool THistorySuspectsForm::AppendDetectionLink(QString& text, std::uint32_t detectionId,
                                               std::uint32_t informationId) const {
    QString name = NameOf(detectionId);
    if (name == QString::fromStdU16String(TMapDetectionID::kUndefined))
        name = m_unknownNameText;
    if (name.isEmpty())
        return false;
    // The name comes from the service: it is text, never markup.
    text += QStringLiteral(" <A href=\"") + QString::number(informationId) + QStringLiteral("\">") +
            VisibleMarkup(name) + QStringLiteral("</A>");
    return true;
}

void THistorySuspectsForm::Decorate(int gridRow, HistoryRow& row) {
    TAdvStringGrid* grid = AdvStringGridSuspects;
    grid->SetRowColor(gridRow, (row.flags & kUndoneFlag) ? kUndoneColour : TAdvStringGrid::DefaultColor());
    if (row.progressImage == -1)
        grid->RemoveCellImage(0, gridRow);
    else if (!grid->HasCellImage(0, gridRow))
        grid->SetCellImage(0, gridRow, m_progressFrame, Qt::AlignRight | Qt::AlignVCenter);
}

bool THistorySuspectsForm::NamePending(std::uint32_t detectionId) const {
    // NameOf without the copy of the name: the sort asks this for every row.
    const TMapDetectionID& names = m_controller->DetectionNames();
    const auto it = names.find(detectionId);
    if (it == names.end())
        return true;
    const stDetectionName& entry = it->second;
    return entry.name.empty() &&
           !(entry.attempts >= m_controller->HostState().maxNameAttempts && !entry.requested);
}

void THistorySuspectsForm::RequestRowName(int gridRow, HistoryRow& row, bool keepRowImage) {
    if (!NamePending(row.detectionId))
        return;
    if (!AdvStringGridSuspects->HasCellImage(0, gridRow))
        AdvStringGridSuspects->SetCellImage(0, gridRow, m_progressFrame, Qt::AlignRight | Qt::AlignVCenter);
    if (!keepRowImage)
        row.progressImage = m_progressFrame;
    m_controller->DetectionNames().AddWaitingRow(row.detectionId, static_cast<std::int32_t>(row.key));
}

void THistorySuspectsForm::EndFillData() {
    if (!m_filterActive) {
        CBlaItemEx* store = m_controller->ItemStore();
        ShowEmptyState(!store || store->Count() == 0);
    }
    m_fillInProgress = false;
}

void THistorySuspectsForm::ShowEmptyState(bool show) {
    pnlEmptyText->setVisible(show);
    if (show)
        pnlEmptyText->raise();
}

// Rows of the grid.

HistoryRow* THistorySuspectsForm::RowOfGridRow(int row) {
    return const_cast<HistoryRow*>(std::as_const(*this).RowOfGridRow(row));
}

const HistoryRow* THistorySuspectsForm::RowOfGridRow(int row) const {
    if (row < 1)
        return nullptr;
    std::size_t index = static_cast<std::size_t>(row - 1);
    if (m_filterActive) {
        if (index >= m_filteredRows.size())
            return nullptr;
        index = m_filteredRows[index];
    }
    return index < m_rows.size() ? &m_rows[index] : nullptr;
}

std::int32_t THistorySuspectsForm::KeyOfGridRow(int row) const {
    const HistoryRow* r = RowOfGridRow(row);
    return r ? static_cast<std::int32_t>(r->key) : -1;
}

void THistorySuspectsForm::InvalidatePositions() {
    m_positionsValid = false;
}

int THistorySuspectsForm::GridRowOfKey(std::uint32_t key) {
    if (!m_positionsValid) {
        m_gridRowOfKey.clear();
        auto place = [this](std::uint32_t k, int gridRow) {
            if (k >= m_gridRowOfKey.size())
                m_gridRowOfKey.resize(static_cast<std::size_t>(k) + 1, -1);
            m_gridRowOfKey[k] = gridRow;
        };
        if (m_filterActive) {
            for (std::size_t i = 0; i < m_filteredRows.size(); ++i)
                if (m_filteredRows[i] < m_rows.size())
                    place(m_rows[m_filteredRows[i]].key, static_cast<int>(i) + 1);
        } else {
            for (std::size_t i = 0; i < m_rows.size(); ++i)
                place(m_rows[i].key, static_cast<int>(i) + 1);
        }
        m_positionsValid = true;
    }
    if (key >= m_gridRowOfKey.size())
        return -1;
    const int r = m_gridRowOfKey[key];
    return r >= 1 && r < AdvStringGridSuspects->RowCount() ? r : -1;
}

void THistorySuspectsForm::AdvStringGridSuspectsGetDisplText(int col, int row, QString& text) const {
    if (row == 0)
        return;
    const HistoryRow* r = RowOfGridRow(row);
    if (!r)
        return;
    switch (col) {
    case 0:
        text = r->actionText;
        break;
    case 1:
        // Plain text: a path is never markup.
        text = r->shownLocation.contains(QLatin1Char('<')) ? EscapeHtml(r->shownLocation) : r->shownLocation;
        break;
    case 2:
        text = r->timeText;
        break;
    default:
        break;
    }
}

void THistorySuspectsForm::AdvStringGridSuspectsDrawCell(int col, int row) {
    TAdvStringGrid* grid = AdvStringGridSuspects;
    if (col == 3 && row == m_selectedRow && pnlRowActions && !pnlRowActions->isVisible() &&
        grid->CellControl(3, row) == pnlRowActions)
        pnlRowActions->show();
    if (col == 3 && grid->CellControl(3, row))
        LayoutRowActions();
    if (row >= 1) {
        const int visible = grid->VisibleRowCount();
        if (row < m_firstVisibleRow) {
            m_firstVisibleRow = row;
            m_lastVisibleRow = std::max(m_lastVisibleRow, row + visible);
        }
        if (row > m_lastVisibleRow) {
            m_lastVisibleRow = row;
            if (row > visible)
                m_firstVisibleRow = m_lastVisibleRow - visible;
        }
    }
}

void THistorySuspectsForm::TimerProgressTimer() {
    TAdvStringGrid* grid = AdvStringGridSuspects;
    const int last = std::min(m_lastVisibleRow, grid->RowCount() - 1);
    for (int r = std::max(1, m_firstVisibleRow); r <= last; ++r)
        if (grid->HasCellImage(0, r))
            grid->SetCellImage(0, r, m_progressFrame, Qt::AlignRight | Qt::AlignVCenter);
    m_progressFrame = (m_progressFrame < 0 || m_progressFrame > 3) ? 0 : m_progressFrame + 1;
}

void THistorySuspectsForm::AdvStringGridSuspectsGridHint(int row, int col, QString& hint) {
    TAdvStringGrid* grid = AdvStringGridSuspects;
    if (col == 0 && grid->HasCellImage(0, row)) {
        const int x = grid->viewport()->mapFromGlobal(QCursor::pos()).x() - grid->columnViewportPosition(0);
        const int width = grid->ColWidth(0);
        hint = (x > width - kProgressSize && x < width) ? m_retrievingText : QString();
        return;
    }
    const HistoryRow* r = RowOfGridRow(row);
    if (!r) {
        hint.clear();
        return;
    }
    QString full;
    if (col == 0)
        full = r->actionText;
    else if (col == 1)
        full = VisibleMarkup(ShortenMiddle(r->location, kLongestHintText));
    else if (col == 2)
        full = r->timeText;
    grid->SetCells(col, row, full);
    if (!full.isEmpty() && grid->CellTextExtent(col, row).width() > grid->ColWidth(col)) {
        hint = tooltips::TextOnlyHint(full);
    } else if (col == 0 && m_anchorHintPending) {
        hint = m_showDetailsText;
        m_anchorHintPending = false;
    } else {
        hint.clear();
    }
    grid->SetCells(col, row, QString());
}

void THistorySuspectsForm::AdvStringGridSuspectsAnchorHint() {
    m_anchorHintPending = true;
}

void THistorySuspectsForm::AdvStringGridSuspectsAnchorClick(int row, int col, const QString& anchor) {
    if (col != 0 || row < 1)
        return;
    tooltips::HideAllTooltips();
    LaunchDetectionInfo(m_controller->LaunchContext(), LeadingNumber(anchor));
}

// Search.

void THistorySuspectsForm::EditSearchEnter() {
    const QSignalBlocker blocker(EditSearch);
    if (EditSearch->text() == m_searchHintText)
        EditSearch->clear();
    QFont font = EditSearch->font();
    font.setItalic(false);
    EditSearch->setFont(font);
}

void THistorySuspectsForm::EditSearchExit() {
    const QSignalBlocker blocker(EditSearch);
    if (EditSearch->text().isEmpty()) {
        EditSearch->setText(m_searchHintText);
        QFont font = EditSearch->font();
        font.setItalic(true);
        EditSearch->setFont(font);
    }
}

bool THistorySuspectsForm::Matches(const HistoryRow& row, const QString& folded) const {
    if (!folded.contains(kSearchSeparator))
        return ContainsLiteral(row.searchText, folded);
    // A query that holds the separator is compared with each part on its own.
    for (const QStringView part : QStringView(row.searchText).tokenize(kSearchSeparator, Qt::KeepEmptyParts))
        if (ContainsLiteral(part, folded))
            return true;
    return false;
}

void THistorySuspectsForm::ClearSearchBuffer() {
    m_searchBuffer.clear();
    m_searchOffsets.assign(1, 0);
    m_segmentRow.clear();
    m_segmentAction.clear();
    m_actionIds.clear();
    m_actionParts.clear();
    m_deadSearchChars = 0;
    m_searchBufferValid = true;
}

void THistorySuspectsForm::AppendSearchSegment(std::size_t index) {
    HistoryRow& row = m_rows[index];
    row.searchSegment = static_cast<std::uint32_t>(m_segmentRow.size());
    m_segmentRow.push_back(static_cast<std::uint32_t>(index));
    // A query without the separator never spans it: the action part is searched on its own.
    const qsizetype cut = row.searchText.indexOf(kSearchSeparator);
    const QString action = row.searchText.left(cut);
    auto id = m_actionIds.constFind(action);
    if (id == m_actionIds.constEnd()) {
        id = m_actionIds.insert(action, static_cast<std::uint32_t>(m_actionParts.size()));
        m_actionParts.push_back(action);
    }
    m_segmentAction.push_back(*id);
    m_searchBuffer.append(QStringView(row.searchText).sliced(cut + 1)).append(kSearchSeparator);
    m_searchOffsets.push_back(static_cast<std::size_t>(m_searchBuffer.size()));
}

void THistorySuspectsForm::DropSearchSegment(const HistoryRow& row) {
    if (!m_searchBufferValid || row.searchSegment >= m_segmentRow.size())
        return;
    m_segmentRow[row.searchSegment] = kNoRow;
    m_deadSearchChars += m_searchOffsets[row.searchSegment + 1] - m_searchOffsets[row.searchSegment];
}

// After the rows moved: each segment names its row's new index.
void THistorySuspectsForm::PlaceSearchSegments() {
    if (!m_searchBufferValid)
        return;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].searchSegment < m_segmentRow.size())
            m_segmentRow[m_rows[i].searchSegment] = static_cast<std::uint32_t>(i);
}

void THistorySuspectsForm::RowsChanged() {
    ++m_rowsVersion;
    m_searchCache.clear();
}

void THistorySuspectsForm::EnsureSearchBuffer() {
    // Rebuilt in the order of the rows when new, or when most of it is texts no row has now.
    if (m_searchBufferValid && m_deadSearchChars <= static_cast<std::size_t>(m_searchBuffer.size()) / 2)
        return;
    ClearSearchBuffer();
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        AppendSearchSegment(i);
}

void THistorySuspectsForm::SearchRows(std::size_t first, const QString& folded) {
    const std::size_t before = m_filteredRows.size();
    // A batch's few new rows are tested one by one: the shared buffer is for whole scans.
    if (first > 0 || folded.contains(kSearchSeparator) || folded.isEmpty()) {
        for (std::size_t i = first; i < m_rows.size(); ++i)
            if (Matches(m_rows[i], folded))
                m_filteredRows.push_back(static_cast<std::uint32_t>(i));
    } else {
        // Every row's text in one run, so that a keystroke is one scan, not one per row; a row
        // whose action part matches needs no scan of its own.
        EnsureSearchBuffer();
        const std::vector<std::uint8_t> actionHit = ActionHits(folded);
        const LiteralFinder finder(folded);
        const QStringView buffer(m_searchBuffer);
        const std::size_t segments = m_segmentRow.size();
        bool inRowOrder = true;
        qsizetype next = finder.Find(buffer, 0);
        for (std::size_t segment = 0; segment < segments; ++segment) {
            bool hit = actionHit[m_segmentAction[segment]] != 0;
            if (!hit && next >= 0) {
                const auto start = static_cast<qsizetype>(m_searchOffsets[segment]);
                if (next < start)
                    next = finder.Find(buffer, start);
                hit = next >= 0 && next < static_cast<qsizetype>(m_searchOffsets[segment + 1]);
            }
            const std::uint32_t row = m_segmentRow[segment];
            if (hit && row != kNoRow) {
                if (m_filteredRows.size() > before && m_filteredRows.back() > row)
                    inRowOrder = false;
                m_filteredRows.push_back(row);
            }
        }
        if (!inRowOrder) {
            // After a sort or a changed text the buffer is not in the order of the rows.
            std::vector<std::uint8_t> hit(m_rows.size(), 0);
            for (std::size_t i = before; i < m_filteredRows.size(); ++i)
                hit[m_filteredRows[i]] = 1;
            m_filteredRows.resize(before);
            for (std::size_t i = 0; i < hit.size(); ++i)
                if (hit[i])
                    m_filteredRows.push_back(static_cast<std::uint32_t>(i));
        }
    }
    m_searchedRows = m_rows.size();
    if (m_filteredRows.size() != before)
        InvalidatePositions();
}

std::vector<std::uint8_t> THistorySuspectsForm::ActionHits(const QString& folded) const {
    std::vector<std::uint8_t> hits(m_actionParts.size(), 0);
    for (std::size_t i = 0; i < m_actionParts.size(); ++i)
        hits[i] = ContainsLiteral(m_actionParts[i], folded) ? 1 : 0;
    return hits;
}

// Typing on: only the rows the shorter query found can hold the longer one.
void THistorySuspectsForm::RefineRows(const QString& folded) {
    EnsureSearchBuffer();
    const std::vector<std::uint8_t> actionHit = ActionHits(folded);
    const LiteralFinder finder(folded);
    const QStringView buffer(m_searchBuffer);
    std::size_t kept = 0;
    for (const std::uint32_t index : m_filteredRows) {
        const HistoryRow& row = m_rows[index];
        bool match;
        if (row.searchSegment < m_segmentRow.size() && m_segmentRow[row.searchSegment] == index) {
            const auto start = static_cast<qsizetype>(m_searchOffsets[row.searchSegment]);
            const auto end = static_cast<qsizetype>(m_searchOffsets[row.searchSegment + 1]);
            match = actionHit[m_segmentAction[row.searchSegment]] != 0 ||
                    finder.Find(buffer.sliced(start, end - start), 0) >= 0;
        } else {
            match = Matches(row, folded);
        }
        if (match)
            m_filteredRows[kept++] = index;
    }
    m_filteredRows.resize(kept);
    m_searchedRows = m_rows.size();
}

void THistorySuspectsForm::EditSearchChange() {
    const QString q = EditSearch->text();
    TAdvStringGrid* grid = AdvStringGridSuspects;
    CBlaItemEx* store = m_controller->ItemStore();
    const std::size_t storeCount = store ? store->Count() : 0;
    // 1. A longer form of a query that matched nothing matches nothing either.
    if (!lastFruitlessQuery.isEmpty() && q.contains(lastFruitlessQuery) && !m_fillInProgress) {
        const QString folded = q.toCaseFolded();
        if (!m_filterActive || m_appliedQuery != folded || !m_filteredRows.empty()) {
            m_filterActive = true;
            m_filteredRows.clear();
            m_appliedQuery = folded;
            m_searchedRows = m_rows.size();
            // Not what a search would find: the shortcut is shared by all windows.
            m_filterExact = false;
            InvalidatePositions();
        }
        grid->SetRowCount(2);
        ShowEmptyState(true);
        return;
    }
    if (q.isEmpty() || q == m_searchHintText || storeCount == 0) {
        const bool wasActive = m_filterActive;
        m_filterActive = false;
        m_filteredRows.clear();
        m_appliedQuery.clear();
        m_searchedRows = 0;
        m_filterExact = false;
        InvalidatePositions();
        ShowEmptyState(storeCount == 0);
        if (storeCount != 0) {
            grid->SetRowCount(static_cast<int>(m_rows.size()) + 1);
            if (wasActive) {
                grid->BeginUpdate();
                for (std::size_t i = 0; i < m_rows.size(); ++i)
                    Decorate(static_cast<int>(i) + 1, m_rows[i]);
                grid->EndUpdate();
            }
            if (wasActive)
                FollowSelection();
        }
        return;
    }
    const QString folded = q.toCaseFolded();
    const bool incremental = m_filterActive && folded == m_appliedQuery && m_searchedRows <= m_rows.size();
    const std::size_t before = incremental ? m_filteredRows.size() : 0;
    if (incremental) {
        // The same query after a batch: only the rows added since are searched.
        SearchRows(m_searchedRows, folded);
    } else {
        const bool refine = m_filterActive && m_filterExact && m_searchedRows == m_rows.size() &&
                            !m_appliedQuery.isEmpty() && folded.contains(m_appliedQuery) &&
                            !folded.contains(kSearchSeparator);
        if (m_searchCacheVersion != m_rowsVersion) {
            m_searchCache.clear();
            m_searchCacheVersion = m_rowsVersion;
        }
        const auto cached = std::find_if(m_searchCache.begin(), m_searchCache.end(),
                                         [&](const CachedSearch& c) { return c.folded == folded; });
        m_filterActive = true;
        m_appliedQuery = folded;
        InvalidatePositions();
        if (cached != m_searchCache.end()) {
            m_filteredRows = cached->rows;
            m_searchedRows = m_rows.size();
        } else {
            if (refine) {
                RefineRows(folded);
            } else {
                m_filteredRows.clear();
                SearchRows(0, folded);
            }
            if (m_searchCache.size() == kCachedSearches)
                m_searchCache.erase(m_searchCache.begin());
            m_searchCache.push_back({folded, m_filteredRows});
        }
        m_filterExact = true;
    }
    grid->SetRowCount(static_cast<int>(m_filteredRows.size()) + 1);
    // The decorations follow the entries a row now shows.
    grid->BeginUpdate();
    for (std::size_t i = before; i < m_filteredRows.size(); ++i)
        Decorate(static_cast<int>(i) + 1, m_rows[m_filteredRows[i]]);
    grid->EndUpdate();
    if (!m_filteredRows.empty()) {
        ShowEmptyState(false);
        lastFruitlessQuery.clear();
    } else {
        lastFruitlessQuery = q;
        ShowEmptyState(true);
    }
    if (!incremental)
        FollowSelection();
}

// The selected grid row may show another entry after a search; the selection and its buttons
// follow what the row shows now, so that an action never names an entry the user cannot see.
void THistorySuspectsForm::FollowSelection() {
    if (m_selectedRow < 1)
        return;
    const int row = m_selectedRow < AdvStringGridSuspects->RowCount() ? m_selectedRow : 1;
    AdvStringGridSuspects->SelectRow(row);
    bool allow = true;
    AdvStringGridSuspectsSelectCell(row, allow);
}

// Sort.

void THistorySuspectsForm::RankRows() {
    if (m_ranksValid)
        return;
    // Rows share the key of a shared text: only the distinct keys are sorted.
    auto rank = [&](auto keyOf, auto setRank) {
        std::unordered_map<const QCollatorSortKey*, std::uint32_t> slotOf;
        std::vector<const QCollatorSortKey*> keys;
        std::vector<std::uint32_t> slots(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            const QCollatorSortKey* key = keyOf(m_rows[i]);
            const auto [it, added] = slotOf.emplace(key, static_cast<std::uint32_t>(keys.size()));
            if (added)
                keys.push_back(key);
            slots[i] = it->second;
        }
        std::vector<std::uint32_t> order(keys.size());
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return keys[a]->compare(*keys[b]) < 0; });
        std::vector<std::uint32_t> rankOf(keys.size());
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && keys[order[i - 1]]->compare(*keys[order[i]]) != 0)
                ++value;
            rankOf[order[i]] = value;
        }
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            setRank(m_rows[i], rankOf[slots[i]]);
    };
    rank([](const HistoryRow& r) { return r.actionKey.get(); },
         [](HistoryRow& r, std::uint32_t v) { r.actionRank = v; });
    rank([](const HistoryRow& r) { return r.locationKey.get(); },
         [](HistoryRow& r, std::uint32_t v) { r.locationRank = v; });
    m_ranksValid = true;
}

void THistorySuspectsForm::AdvStringGridSuspectsClickSort(int col) {
    if (col < 0 || col > 2)
        return;
    m_sortColumns.removeAll(col);
    m_sortColumns.prepend(col);
    // 2. - 3. Each row's collation order is ranked once; the sort compares numbers.
    RankRows();
    struct Item {
        std::array<std::uint64_t, 3> keys;
        std::uint32_t index;
    };
    auto keyOf = [](const HistoryRow& r, int c) -> std::uint64_t {
        return c == 0 ? r.actionRank : (c == 1 ? r.locationRank : r.actionTime);
    };
    std::vector<Item> items;
    const bool filtered = m_filterActive;
    const std::size_t n = filtered ? m_filteredRows.size() : m_rows.size();
    items.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t index = filtered ? m_filteredRows[i] : static_cast<std::uint32_t>(i);
        if (index >= m_rows.size())
            continue;
        const HistoryRow& r = m_rows[index];
        items.push_back(
            {{keyOf(r, m_sortColumns[0]), keyOf(r, m_sortColumns[1]), keyOf(r, m_sortColumns[2])}, index});
    }
    const bool descending =
        AdvStringGridSuspects->CurrentSortDirection() == TAdvStringGrid::SortDirection::Descending;
    if (descending)
        std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.keys > b.keys; });
    else
        std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.keys < b.keys; });
    if (filtered) {
        for (std::size_t i = 0; i < items.size(); ++i)
            m_filteredRows[i] = items[i].index;
        m_filteredRows.resize(items.size());
        // Still the matches, but no longer in the order of the rows a search lists them in.
        m_filterExact = false;
    } else {
        // Rows move along the cycles of the new order, in place: no second copy of the list.
        std::vector<bool> placed(items.size(), false);
        for (std::size_t start = 0; start < items.size(); ++start) {
            if (placed[start])
                continue;
            HistoryRow first = std::move(m_rows[start]);
            std::size_t at = start;
            while (true) {
                placed[at] = true;
                const std::size_t from = items[at].index;
                if (from == start) {
                    m_rows[at] = std::move(first);
                    break;
                }
                m_rows[at] = std::move(m_rows[from]);
                at = from;
            }
        }
        PlaceSearchSegments();
        RowsChanged();
        // The search resumes over the whole reordered list next time.
        m_searchedRows = 0;
    }
    InvalidatePositions();
    RedecorateAll();
    if (m_selectedRow >= 1) {
        AdvStringGridSuspects->SelectRow(m_selectedRow);
        bool allow = true;
        AdvStringGridSuspectsSelectCell(m_selectedRow, allow);
    }
    AdvStringGridSuspects->RepaintAll();
}

void THistorySuspectsForm::RedecorateAll() {
    TAdvStringGrid* grid = AdvStringGridSuspects;
    grid->BeginUpdate();
    for (int r = 1; r < grid->RowCount(); ++r) {
        HistoryRow* row = RowOfGridRow(r);
        if (!row) {
            grid->RemoveCellImage(0, r);
            grid->SetRowColor(r, TAdvStringGrid::DefaultColor());
            continue;
        }
        Decorate(r, *row);
        if (!(row->flags & kUndoneFlag))
            RequestRowName(r, *row, true);
    }
    grid->EndUpdate();
}

// Selection and row actions.

void THistorySuspectsForm::SelectFirstRow() {
    AdvStringGridSuspects->SelectRow(1);
    bool allow = true;
    AdvStringGridSuspectsSelectCell(1, allow);
}

void THistorySuspectsForm::AdvStringGridSuspectsSelectCell(int row, bool& allow) {
    if (row < 1) {
        allow = false;
        return;
    }
    m_selectedKey = KeyOfGridRow(row);
    PlaceRowActions(row);
    m_selectedRow = row;
}

void THistorySuspectsForm::CreateRowActions() {
    pnlRowActions = new QWidget(AdvStringGridSuspects->viewport());
    pnlRowActions->setObjectName(QStringLiteral("pnlRowActions"));
    pnlRowActions->setProperty("tag", 99);
    Paint(pnlRowActions, AdvStringGridSuspects->SelectionColor());
    auto make = [this](const char* name, const QString& hint, const std::array<std::uint32_t, 3>& faces,
                       void (THistorySuspectsForm::*click)()) {
        auto* b = Make<TZRUNButton>(pnlRowActions, name, {0, 0, kActionButtonSize, kActionButtonSize});
        b->setProperty("tag", 99);
        b->SetTransparent(true);
        b->setToolTip(hint);
        b->SetOverSkinImageIndex(1);
        b->SetDownSkinImageIndex(2);
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::NoFocus);
        b->SkinList().SetSize(kActionButtonSize, kActionButtonSize);
        LoadFaces(b, m_resourceLibrary, faces);
        connect(b, &TZRUNButton::clicked, this, click);
        return b;
    };
    btnRemoveAction =
        make("btnRemoveAction", m_removeText, kRemoveFaces, &THistorySuspectsForm::btnRemoveActionClick);
    btnUndoAction = make("btnUndoAction", m_undoText, kUndoFaces, &THistorySuspectsForm::btnUndoActionClick);
    btnRedoAction = make("btnRedoAction", m_redoText, kRedoFaces, &THistorySuspectsForm::btnRedoActionClick);
    btnRemoveAction->SetFallbackCaption(QStringLiteral("×"));
    btnUndoAction->SetFallbackCaption(QStringLiteral("↶"));
    btnRedoAction->SetFallbackCaption(QStringLiteral("↷"));
    SetUpRowActionAccess();
}

void THistorySuspectsForm::PlaceRowActions(int row) {
    if (!m_controller->ActionsEnabled())
        return;
    if (!pnlRowActions)
        CreateRowActions();
    bool undone = false;
    stItemRef item;
    stBlaElements entry;
    if (EntryOfSelection(item, entry))
        undone = entry.element.flags & kUndoneFlag;
    else if (const HistoryRow* r = RowOfGridRow(row))
        undone = r->flags & kUndoneFlag;
    btnUndoAction->setVisible(!undone);
    btnRedoAction->setVisible(undone);
    TAdvStringGrid* grid = AdvStringGridSuspects;
    if (m_selectedRow != -1 && m_selectedRow != row && m_selectedRow < grid->RowCount())
        grid->RemoveCellControl(3, m_selectedRow);
    if (grid->CellControl(3, row) != pnlRowActions) {
        pnlRowActions->resize(grid->ColWidth(3), grid->DefaultRowHeight());
        grid->SetCellControl(3, row, pnlRowActions);
    }
    pnlRowActions->setVisible(row < grid->RowCount());
    LayoutRowActions();
    if (pnlRowActions->isVisible())
        pnlRowActions->update();
}

void THistorySuspectsForm::LayoutRowActions() {
    if (!pnlRowActions)
        return;
    const int w = pnlRowActions->width();
    const int wR = btnRemoveAction->width();
    const int wU = btnUndoAction->width();
    if (!btnRemoveAction->isHidden()) {
        const int c = w / 2 - (wR + wU) / 2;
        btnUndoAction->move(c - 5, 0);
        btnRemoveAction->move(c + wR + 5, 0);
    } else {
        btnUndoAction->move(w / 2 - wU / 2, 0);
    }
    btnRedoAction->move(btnUndoAction->x(), 0);
}

bool THistorySuspectsForm::EntryOfSelection(stItemRef& item, stBlaElements& entry) const {
    CBlaItemEx* store = m_controller->ItemStore();
    if (!store || m_selectedKey < 0)
        return false;
    // A key of an emptied store would name another item.
    const HistoryRow* row = RowOfGridRow(m_selectedRow);
    if (!row || static_cast<std::int32_t>(row->key) != m_selectedKey ||
        row->generation != store->Generation())
        return false;
    if (!store->RefOfKey(static_cast<std::uint32_t>(m_selectedKey), item))
        return false;
    const int index = store->IndexOfRef(item);
    return index >= 0 && store->CopyEntry(static_cast<std::size_t>(index), entry);
}

QString THistorySuspectsForm::ConfirmationLine(const stBlaElements& entry) const {
    const QString action = BuildActionText(entry);
    QString name = NameOf(entry.element.detectionId);
    if (name.isEmpty() || name == QString::fromStdU16String(TMapDetectionID::kUndefined))
        name = m_unknownNameText;
    const QString path =
        ShortenPath(QString::fromStdU16String(ExpandSystemPathString(*entry.element.location)));
    return FormatText(TranslateText(m_translator, QStringLiteral("%s \"%s\" en el archivo %s.")),
                      {action, VisibleMarkup(name), VisibleMarkup(path)});
}

int THistorySuspectsForm::Confirm(const QString& title, const QString& first, const QString& second,
                                  bool cancelFirst) {
    const auto* t = m_translator;
    QWidget* mainWindow = platform::ApplicationMainWindow();
    platform::SetApplicationMainWindow(this);
    QPointer<TSuspectsActionForm> dialog = new TSuspectsActionForm(this, m_resourceLibrary);
    dialog->SetTexts(
        title, first, second,
        TranslateText(t, cancelFirst ? QStringLiteral("¿Deseas ignorar la recomendación y continuar?")
                                     : QStringLiteral("¿Deseas continuar?")),
        TranslateText(t, QStringLiteral("Sí, deseo continuar")), TranslateText(t, QStringLiteral("No")));
    if (cancelFirst)
        dialog->CancelFirst();
    const int result = dialog->ShowModal();
    platform::SetApplicationMainWindow(mainWindow);
    delete dialog.data();
    return result;
}

void THistorySuspectsForm::btnRemoveActionClick() {
    stItemRef item;
    stBlaElements entry;
    if (!EntryOfSelection(item, entry) || entry.busyState != busy::kIdle)
        return;
    const auto* t = m_translator;
    const QString first = TranslateText(t, QStringLiteral("Vas a eliminar definitivamente la acción:")) +
                          QStringLiteral("<BR>") + ConfirmationLine(entry);
    const QString second = TranslateText(
        t, QStringLiteral("<B>Está acción no se podrá deshacer</B>. Los archivos a los que hace "
                          "referencia se eliminarán y ya no se podrán recuperar."));
    QPointer<THistorySuspectsForm> self(this);
    const int result = Confirm(TranslateText(t, QStringLiteral("Eliminar acción")), first, second, false);
    if (!self || result != TSuspectsActionForm::kAccepted)
        return;
    // Pages kept arriving while the question was open: the reference finds the same item.
    if (!m_controller->ItemStore()->StartAction(item, busy::kRemovingOrUndoing))
        return;
    m_controller->Remove(item);
}

void THistorySuspectsForm::btnUndoActionClick() {
    stItemRef item;
    stBlaElements entry;
    if (!EntryOfSelection(item, entry) || entry.busyState != busy::kIdle)
        return;
    const auto* t = m_translator;
    const QString first = TranslateText(t, QStringLiteral("Vas a deshacer la acción:")) +
                          QStringLiteral("<BR>") + ConfirmationLine(entry);
    const QString second = FormatText(
        TranslateText(
            t, QStringLiteral("<B>%s recomienda no deshacer esta acción</B> ya que podría resultar muy "
                              "perjudicial para el funcionamiento de tu PC y la integridad de tus "
                              "archivos.")),
        {VisibleMarkup(m_controller->LabName())});
    QPointer<THistorySuspectsForm> self(this);
    const int result = Confirm(TranslateText(t, QStringLiteral("Deshacer acción")), first, second, true);
    if (!self || result != TSuspectsActionForm::kAccepted)
        return;
    if (!m_controller->ItemStore()->StartAction(item, busy::kRemovingOrUndoing))
        return;
    StartWaiting(Wait::Undo, item);
}

void THistorySuspectsForm::btnRedoActionClick() {
    stItemRef item;
    stBlaElements entry;
    if (!EntryOfSelection(item, entry) || entry.busyState != busy::kIdle)
        return;
    if (!m_controller->ItemStore()->StartAction(item, busy::kRedoing))
        return;
    StartWaiting(Wait::Redo, item);
}

void THistorySuspectsForm::StartWaiting(Wait wait, const stItemRef& item) {
    lblAction->setText(TranslateText(m_translator, wait == Wait::Undo
                                                       ? QStringLiteral("Deshaciendo acción...")
                                                       : QStringLiteral("Rehaciendo acción...")));
    AdvStringGridSuspects->setEnabled(false);
    EditSearch->setEnabled(false);
    platform::SetScreenCursor(platform::kCursorHourglass);
    m_waiting = true;
    TimerUnblock->start();
    if (wait == Wait::Undo)
        m_controller->Unblock(item, 1);
    else
        m_controller->Reblock(item);
}

QRect THistorySuspectsForm::WaitingArea() const {
    return QRect(0, Panel1->y(), Panel1->width(), Panel1->height());
}

void THistorySuspectsForm::TimerUnblockTimer() {
    TimerUnblock->stop();
    AdvStringGridSuspects->setEnabled(false);
    EditSearch->setEnabled(false);
    if (m_controller->HostState().showWaitingLayer != 0)
        ShowWaitingLayer();
}

void THistorySuspectsForm::ShowWaitingLayer() {
    TWaitingLayer(pnlWaitingUnblock, ImageBackgroundUnblock, ImageUndo, lblAction).Show(this, WaitingArea());
    wndBorder->raise();
}

void THistorySuspectsForm::RemoveWaitingLayer() {
    TimerUnblock->stop();
    AdvStringGridSuspects->setEnabled(true);
    EditSearch->setEnabled(true);
    TWaitingLayer(pnlWaitingUnblock, ImageBackgroundUnblock, ImageUndo, lblAction).Hide();
    platform::SetScreenCursor(platform::kCursorDefault);
    m_waiting = false;
}

void THistorySuspectsForm::RemoveHistoryItem(std::uint32_t key) {
    TAdvStringGrid* grid = AdvStringGridSuspects;
    const int gridRow = GridRowOfKey(key);
    // 2. The store no longer holds it: no element may keep naming it, shown or hidden.
    const auto it =
        std::find_if(m_rows.begin(), m_rows.end(), [key](const HistoryRow& r) { return r.key == key; });
    if (it != m_rows.end()) {
        const auto index = static_cast<std::uint32_t>(it - m_rows.begin());
        DropSearchSegment(*it);
        m_rows.erase(it);
        for (std::uint32_t& r : m_segmentRow)
            if (r != kNoRow && r > index)
                --r;
        RowsChanged();
        if (index < m_searchedRows)
            --m_searchedRows;
        std::erase(m_filteredRows, index);
        for (std::uint32_t& i : m_filteredRows)
            if (i > index)
                --i;
        InvalidatePositions();
    }
    if (gridRow >= 1) {
        AttachSelectHandler(false);
        if (pnlRowActions && m_selectedRow >= 1)
            grid->RemoveCellControl(3, m_selectedRow);
        m_selectedRow = -1;
        if (grid->RowCount() > 2)
            grid->RemoveRows(gridRow, 1);
        else
            grid->RepaintRow(gridRow);
        AttachSelectHandler(true);
    }
    SelectFirstRow();
    CBlaItemEx* store = m_controller->ItemStore();
    if (m_filterActive)
        ShowEmptyState(m_filteredRows.empty());
    else
        ShowEmptyState(!store || store->Count() == 0);
}

// Detection names.

void THistorySuspectsForm::TimerDetectionIDTimer() {
    TimerDetectionID->setInterval(kDetectionIntervalMs);
    if (m_controller->RequestDetectionNames())
        TimerDetectionID->start();
    else
        TimerDetectionID->stop();
    if (!TimerDetectionID->isActive()) {
        platform::PostMessage(platform::HandleOf(this), m_controller->Messages().WM_UPDATEMALWAREINFO, 0, 0);
        TimerProgress->stop();
    }
}

void THistorySuspectsForm::UpdateMalwareInfo(std::uintptr_t key, std::intptr_t one) {
    if (one != 0) {
        if (key == 0)
            return;
        const int r = GridRowOfKey(static_cast<std::uint32_t>(key));
        if (r >= 1)
            RefreshRow(r);
        return;
    }
    for (int r = 1; r < AdvStringGridSuspects->RowCount(); ++r)
        RefreshRow(r);
}

void THistorySuspectsForm::RefreshRow(int gridRow) {
    TAdvStringGrid* grid = AdvStringGridSuspects;
    if (!grid->HasCellImage(0, gridRow))
        return;
    HistoryRow* row = RowOfGridRow(gridRow);
    if (!row || row->category == kCategorySuspicious)
        return;
    if (!AppendDetectionLink(row->actionText, row->detectionId, row->informationId))
        return;
    row->progressImage = -1;
    UpdateSearchText(*row);
    m_ranksValid = false;
    // The row's old text no longer counts; its new one goes at the end of the buffer.
    if (m_searchBufferValid) {
        DropSearchSegment(*row);
        AppendSearchSegment(static_cast<std::size_t>(row - m_rows.data()));
    }
    m_filterExact = false;
    RowsChanged();
    grid->RemoveCellImage(0, gridRow);
    grid->RepaintRow(gridRow);
}

// Tooltip client.

void THistorySuspectsForm::Destroy() {
    deleteLater();
}

void THistorySuspectsForm::ToolTipShow(QString& hintText, stHintRequest& request, bool& mayShow) {
    if (hintText.isEmpty())
        mayShow = false;
    request.hintPosition = QCursor::pos();
}

void THistorySuspectsForm::AnchorClick(const QString& anchor) {
    LaunchDetectionInfo(m_controller->LaunchContext(), LeadingNumber(anchor));
}
