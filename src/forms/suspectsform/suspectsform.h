#pragma once

#include "forms/tt1/tooltipmanager.h"
#include "module/suspects.h"
#include "platform/hooks.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <mutex>
#include <vector>

class CSuspects;
class QLabel;
class QTimer;
class TImage;
class THTMLabel;
class TSmoothImageList;
class TTooltipFormLeft;
class TTooltipFormRight;
class TZRUNBorder;
class TZRUNButton;
class TZRUNTransForm;
class TZRUNTransPanel;
class TfrmTT1;
struct ST_BLELEMENT;
struct stBlaElements;
struct stItemRef;
struct ZrunTranslationSource;
namespace platform {
class WindowMessage;
}

// The suspects window ("Papelera de reciclaje"), embedded in the host's console: a carousel of
// the blocked items, the description of the selected one, and the actions "No bloquearlo" and
// "Eliminarlo". It is also the module's receiving window: replies and worker calls reach the
// controller through it.
class TSuspectsForm : public QWidget, public ISuspectsView, public IToolTipEvents {
    Q_OBJECT

public:
    TSuspectsForm(QWidget* owner, CSuspects* controller);
    ~TSuspectsForm() override;
    Q_DISABLE_COPY_MOVE(TSuspectsForm)

    CSuspects* Controller() const { return m_controller; }
    std::uint32_t UpdateMessage() const { return m_updateMessage; }
    std::int32_t SelectedKey() const { return m_selectedKey; }

    // The worker's synchronised calls and the same registered messages.
    void ResetViews() override;
    void FillData(std::int32_t first, std::int32_t end) override;
    void EndFillData() override;
    void RemoveItemFromView(std::uint32_t key) override;
    void RemoveWaitingLayer() override;
    void ListFetchStarted() override;
    // The hidden remove-all key.
    void RemoveAllItems();

    // Form handlers.
    void FormShow();
    void FormDeactivate();
    bool FormShortCut(QKeyEvent* key);
    void lblShowHistorySuspectsAnchorClick(const QString& anchor);
    void lblInformation1AnchorClick(const QString& anchor);
    void btnUnBlockClick();
    void btnRemoveClick();
    void TimerUnblockTimer();
    void TimerLoadingTimer();
    void TimerListTimeoutTimer();
    void TimerActionHoldTimer();
    void lwSuspects2ItemSelect(int index);
    void lwSuspects2ItemHint(int index, QString& hint);
    void lwSuspects2ItemZoomIn(int index, bool& allow);
    void lwSuspects2ItemDraw(QPainter& painter, int index, const QRectF& rect);
    void lwSuspects2ItemAccessibleText(int index, QString& name, QString& description);
    void TimerScrollingTimer();
    void ZRUNButtonNavLeftMouseDown();
    void ZRUNButtonNavRightMouseDown();
    void NavigationMouseUp();

    // The tooltip client.
    void Destroy() override;
    void ToolTipShow(QString& hintText, stHintRequest& request, bool& mayShow) override;
    void AnchorClick(const QString& anchor) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildLayout();
    // Tab order and what a screen reader says of the controls (suspectsformaccess.cpp).
    void SetUpKeyboardAccess();
    void LoadPictures();
    bool WndProc(platform::WindowMessage& message);
    void PostToHistory(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
    void ShowEmptyState();
    void ShowFailureState();
    void ShowListMessage(QWidget* message);
    void EndLoading();
    void ShowDescription(const ST_BLELEMENT& element);
    void EnableActions();
    void HoldActions();
    void StartUnblock(const stItemRef& item);
    void ShowWaitingLayer();
    void KeepHighlightOnDescribedItem();
    int PositionOfKey(std::int32_t key) const;
    const stBlaElements* EntryOfPosition(int position) const;
    void InstallHooks();
    void RemoveHooks();
    bool KeyboardHook(QKeyEvent* key);
    bool WheelHook(QObject* target, QWheelEvent* wheel);

    CSuspects* const m_controller;
    const ZrunTranslationSource* m_translator = nullptr;
    std::uint32_t m_updateMessage = 0;
    std::int32_t m_selectedKey = -1;
    // The key of each carousel item, in carousel order. Entries are looked up by key, never
    // kept by address: the store may let one go before the view hears of it.
    std::vector<std::uint32_t> m_positions;
    // The store's generation the keys were taken from; a newer one means they are gone.
    std::uint64_t m_positionsGeneration = 0;
    bool m_scrollLeft = false;
    std::recursive_mutex m_viewLock;
    int m_wheelRemainder = 0;
    platform::HookHandle m_keyboardHook = 0;
    platform::HookHandle m_wheelHook = 0;

    // Controls, by their layout names.
    QWidget* pnlCaption = nullptr;
    QLabel* lblStatus = nullptr;
    THTMLabel* lblShowHistorySuspects = nullptr;
    TZRUNTransPanel* Panel1 = nullptr;
    TZRUNTransPanel* pnlListView = nullptr;
    QWidget* pnlContentGrid = nullptr;
    TZRUNButton* ZRUNButtonNavLeft = nullptr;
    TSmoothImageList* lwSuspects2 = nullptr;
    TZRUNButton* ZRUNButtonNavRight = nullptr;
    TZRUNTransPanel* pnlEmptyLw = nullptr;
    QLabel* lblEmptyLw = nullptr;
    QLabel* lblLoadingLw = nullptr;
    QLabel* lblListFailedLw = nullptr;
    TZRUNTransPanel* pnlInformation = nullptr;
    THTMLabel* lblInformation1 = nullptr;
    TZRUNTransPanel* pnlButtons = nullptr;
    TZRUNButton* btnUnBlock = nullptr;
    TZRUNButton* btnRemove = nullptr;
    QWidget* pnlWaitingUnblock = nullptr;
    TImage* ImageBackgroundUnblock = nullptr;
    TImage* ImageUndo = nullptr;
    QLabel* lblUndoAction = nullptr;
    TZRUNBorder* wndBorder = nullptr;
    TZRUNTransForm* ZRUNTransForm1 = nullptr;
    QTimer* TimerUnblock = nullptr;
    QTimer* TimerScrolling = nullptr;
    QTimer* TimerLoading = nullptr;
    QTimer* TimerListTimeout = nullptr;
    QTimer* TimerActionHold = nullptr;
    QImage m_unknownItemPicture;

    QPointer<TfrmTT1> m_sharedTooltip;
    QPointer<TTooltipFormRight> m_tooltipRight;
    QPointer<TTooltipFormLeft> m_tooltipLeft;
};
