#pragma once

#include "forms/tt1/tooltipmanager.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QHash>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class CSuspects;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QTimer;
class TAdvStringGrid;
class TImage;
class TZRUNBorder;
class TZRUNButton;
struct stBlaElements;
struct stItemRef;
struct ZrunTranslationSource;
namespace platform {
class WindowMessage;
}

// One displayed entry. It names its entry by key and store generation only: the store may let
// the entry go (a refresh empties it before the reset arrives here) while the window still
// paints, so everything the cells, the search and the sort need is taken at fill time.
struct HistoryRow {
    std::uint32_t key = 0;
    std::uint64_t generation = 0;
    std::int32_t progressImage = -1;
    QString actionText; // column 0, markup included
    QString location;   // as stored
    QString shownLocation;
    QString timeText;
    std::uint64_t actionTime = 0;
    std::uint32_t category = 0;
    std::uint32_t flags = 0;
    std::uint32_t informationId = 0;
    std::uint32_t detectionId = 0;
    // Built once per row: the searched text (plain action, location, time; case-folded) and
    // the collation keys of the first two sort columns.
    QString searchText;
    // Shared, so that a row moves without throwing and the vector of rows grows by moving them.
    std::shared_ptr<const QCollatorSortKey> actionKey;
    std::shared_ptr<const QCollatorSortKey> locationKey;
    std::uint32_t actionRank = 0;
    std::uint32_t locationRank = 0;
    // Where its searched text sits in the window's search buffer.
    std::uint32_t searchSegment = UINT32_MAX;
};

// The action history window ("Historial de acciones"): every action the protection took, in a
// grid filled in timed batches, with search, multi-column sorting, undo, redo and removal, and
// the detection names fetched from the service.
class THistorySuspectsForm : public QWidget, public IToolTipEvents {
    Q_OBJECT

public:
    THistorySuspectsForm(QWidget* owner, CSuspects* controller);
    ~THistorySuspectsForm() override;
    Q_DISABLE_COPY_MOVE(THistorySuspectsForm)

    // Ends the waiting state of an undo or redo (the layer of this window).
    void RemoveWaitingLayer();
    // Centres the window over the top-level window of `anchor`, whole on that window's screen.
    void PlaceOver(const QWidget* anchor);

    // Handlers, named after the controls they are bound to.
    void TimerFillDataTimer();
    void TimerProgressTimer();
    void TimerDetectionIDTimer();
    void TimerUnblockTimer();
    void EditSearchChange();
    void EditSearchEnter();
    void EditSearchExit();
    void AdvStringGridSuspectsClickSort(int col);
    void AdvStringGridSuspectsAnchorClick(int row, int col, const QString& anchor);
    void btnMinimizeClick();
    void btnMaximizeClick();
    void btnRestoreClick();
    void btnCloseClick();
    void btnRemoveActionClick();
    void btnUndoActionClick();
    void btnRedoActionClick();
    bool FormShortCut(QKeyEvent* key);
    void FormDeactivate();

    // State, for the windows around and for tests.
    bool FilterActive() const { return m_filterActive; }
    bool FillInProgress() const { return m_fillInProgress; }
    std::int32_t SelectedKey() const { return m_selectedKey; }
    std::int32_t SelectedRow() const { return m_selectedRow; }
    std::int32_t ProgressFrame() const { return m_progressFrame; }
    QList<int> SortColumns() const { return m_sortColumns; }
    // The entry key grid row r shows, -1 for none.
    std::int32_t KeyOfGridRow(int row) const;
    bool IsMaximized() const { return m_maximized; }

    // The tooltip client.
    void Destroy() override;
    void ToolTipShow(QString& hintText, stHintRequest& request, bool& mayShow) override;
    void AnchorClick(const QString& anchor) override;

    // The text the search compares against, once the search is applied: the last query that
    // matched nothing (shared by all history windows), empty after one that matched.
    static QString LastFruitlessQuery();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class Wait { Undo, Redo };

    void BuildLayout();
    // Tab order, keys and what a screen reader says of the controls (historysuspectsformaccess.cpp).
    void SetUpKeyboardAccess();
    void SetUpRowActionAccess();
    bool WindowKey(QKeyEvent* key);
    bool GridKey(QKeyEvent* key);
    void LoadPictures();
    void Relayout();
    bool WndProc(platform::WindowMessage& message);
    void ResetViews();
    void FillData();
    void EndFillData();
    void FillEntries(std::size_t first, std::size_t end);
    void BuildRow(HistoryRow& row, const stBlaElements& entry);
    void UpdateSearchText(HistoryRow& row);
    QString BuildActionText(const stBlaElements& entry) const;
    QString BuildActionText(std::uint32_t category, std::uint32_t itemType, std::uint32_t flags) const;
    bool AppendDetectionLink(QString& text, std::uint32_t detectionId, std::uint32_t informationId) const;
    QString NameOf(std::uint32_t detectionId) const;
    bool NamePending(std::uint32_t detectionId) const;
    void RequestRowName(int gridRow, HistoryRow& row, bool keepRowImage);
    void Decorate(int gridRow, HistoryRow& row);
    void ShowEmptyState(bool show);

    // The element a grid row shows, or null.
    HistoryRow* RowOfGridRow(int row);
    const HistoryRow* RowOfGridRow(int row) const;
    int GridRowOfKey(std::uint32_t key);
    void InvalidatePositions();

    // Search.
    bool Matches(const HistoryRow& row, const QString& folded) const;
    void SearchRows(std::size_t first, const QString& folded);
    void RefineRows(const QString& folded);
    std::vector<std::uint8_t> ActionHits(const QString& folded) const;
    void EnsureSearchBuffer();
    void ClearSearchBuffer();
    void AppendSearchSegment(std::size_t index);
    void DropSearchSegment(const HistoryRow& row);
    void PlaceSearchSegments();
    void RowsChanged();
    void SearchAll(const QString& query);

    // Sort.
    void RankRows();
    void RedecorateAll();

    // Selection, panel and actions.
    void AdvStringGridSuspectsSelectCell(int row, bool& allow);
    void SelectFirstRow();
    void FollowSelection();
    void PlaceRowActions(int row);
    void LayoutRowActions();
    void CreateRowActions();
    bool EntryOfSelection(stItemRef& item, stBlaElements& entry) const;
    QString ConfirmationLine(const stBlaElements& entry) const;
    int Confirm(const QString& title, const QString& first, const QString& second, bool cancelFirst);
    void StartWaiting(Wait wait, const stItemRef& item);
    void ShowWaitingLayer();
    QRect WaitingArea() const;
    void RemoveHistoryItem(std::uint32_t key);

    // Detection names.
    void UpdateMalwareInfo(std::uintptr_t key, std::intptr_t one);
    void RefreshRow(int gridRow);

    // Grid.
    void AdvStringGridSuspectsGetDisplText(int col, int row, QString& text) const;
    void AdvStringGridSuspectsDrawCell(int col, int row);
    void AdvStringGridSuspectsGridHint(int row, int col, QString& hint);
    void AdvStringGridSuspectsAnchorHint();
    void AttachSelectHandler(bool on);

    static QList<QPixmap> ProgressFrames();

    CSuspects* const m_controller;
    const ZrunTranslationSource* m_translator = nullptr;
    QString m_searchHintText;
    QString m_retrievingText;
    QString m_unknownNameText;
    QString m_showDetailsText;
    QString m_undoText;
    QString m_redoText;
    QString m_removeText;
    void* m_resourceLibrary = nullptr;
    std::vector<HistoryRow> m_rows;
    std::vector<std::uint32_t> m_filteredRows;
    QList<int> m_sortColumns;
    bool m_filterActive = false;
    bool m_fillInProgress = false;
    std::int32_t m_selectedKey = -1;
    std::int32_t m_selectedRow = -1;
    bool m_anchorHintPending = false;
    std::int32_t m_firstVisibleRow = 0x7FFFFFFF;
    std::int32_t m_lastVisibleRow = -1;
    std::uint32_t m_fillStart = 0;
    std::uint32_t m_fillNext = 0;
    std::int32_t m_progressFrame = 0;

    QCollator m_collator;
    bool m_ranksValid = false;
    // One collation key per distinct text: the fill builds each once, and the ranking compares
    // the distinct keys only.
    std::shared_ptr<const QCollatorSortKey>
    SortKeyOf(QHash<QString, std::shared_ptr<const QCollatorSortKey>>& keys, const QString& text);
    QHash<QString, std::shared_ptr<const QCollatorSortKey>> m_actionSortKeys;
    QHash<QString, std::shared_ptr<const QCollatorSortKey>> m_locationSortKeys;
    // The query the filter was built with, folded, and how many rows it has looked at, so that
    // a batch only searches the rows it added.
    QString m_appliedQuery;
    std::size_t m_searchedRows = 0;
    // The searched texts of all rows (past their action part), each closed by the separator, in
    // the order they were
    // built: m_searchOffsets[s] is where segment s starts, m_segmentRow[s] the index of its row
    // (kNoRow once the row is gone or its text changed). A sort only renumbers the segments, so
    // the buffer is kept up to date during the fill and never rebuilt by a keystroke.
    QString m_searchBuffer;
    std::vector<std::size_t> m_searchOffsets;
    std::vector<std::uint32_t> m_segmentRow;
    // The action part of a searched text is one of a few: each is kept once, and a segment holds
    // the rest of its text (location and time) and names its action part by number.
    std::vector<std::uint32_t> m_segmentAction;
    QHash<QString, std::uint32_t> m_actionIds;
    std::vector<QString> m_actionParts;
    std::size_t m_deadSearchChars = 0;
    bool m_searchBufferValid = false;
    // m_filteredRows is exactly what a whole search for m_appliedQuery finds now, in the order
    // of the rows: a longer query need only test those rows.
    bool m_filterExact = false;
    // Bumped whenever the rows or their texts or their order change; recent results of whole
    // searches stay usable while it does not move.
    std::uint64_t m_rowsVersion = 0;
    struct CachedSearch {
        QString folded;
        std::vector<std::uint32_t> rows;
    };
    std::vector<CachedSearch> m_searchCache;
    std::uint64_t m_searchCacheVersion = 0;
    // Action texts by item type and deletion flag, translated once.
    mutable QHash<quint64, QString> m_actionTexts;
    // Grid row of each key (keys are the store's sequence numbers), built when asked for.
    std::vector<std::int32_t> m_gridRowOfKey;
    bool m_positionsValid = false;
    bool m_waiting = false;
    bool m_maximized = false;
    QRect m_normalBounds;
    bool m_wasMinimized = false;

    // Controls, by their layout names.
    QWidget* pnlCaption = nullptr;
    QLabel* LabelCaption = nullptr;
    TZRUNButton* btnRestore = nullptr;
    TZRUNButton* btnClose = nullptr;
    TZRUNButton* btnMaximize = nullptr;
    TZRUNButton* btnMinimize = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* pnlControls = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EditSearch = nullptr;
    QWidget* pnlAnchor = nullptr;
    TImage* ImageAnchor = nullptr;
    QWidget* pnlGrid = nullptr;
    TAdvStringGrid* AdvStringGridSuspects = nullptr;
    QWidget* pnlEmptyText = nullptr;
    QLabel* lblEmptyText = nullptr;
    QWidget* pnlWaitingUnblock = nullptr;
    TImage* ImageBackgroundUnblock = nullptr;
    QLabel* lblAction = nullptr;
    TImage* ImageUndo = nullptr;
    TZRUNBorder* wndBorder = nullptr;
    QTimer* TimerDetectionID = nullptr;
    QTimer* TimerProgress = nullptr;
    QTimer* TimerFillData = nullptr;
    QTimer* TimerUnblock = nullptr;
    QList<QPixmap> ImageListProgress;
    QWidget* pnlRowActions = nullptr;
    TZRUNButton* btnRemoveAction = nullptr;
    TZRUNButton* btnUndoAction = nullptr;
    TZRUNButton* btnRedoAction = nullptr;
};
