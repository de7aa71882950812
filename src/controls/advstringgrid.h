#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <map>
#include <utility>
#include <vector>

class TAdvStringGrid;
class TAdvGridHeader;
class QTextDocument;

// Row numbering. The grid counts its rows the way the windows do: row 0 is the fixed header
// row and data rows start at 1. RowCount() includes the header, so a grid with RowCount() == 1
// has no data row. Every function of TAdvStringGrid that takes or returns a row uses this
// numbering ("grid rows"). The item model (model(), a TAdvGridModel) has only the data rows:
// grid row r is model row r - 1, and the header texts are its horizontal header data.
//
// Cell texts are not stored for showing: every painted cell (and every DisplayRole request of
// the model) asks the display-text handler, which receives the cell's stored text and may
// replace it. Stored texts (Cells / SetCells) are what the handler starts from and what
// CellTextExtent measures.
//
// Simple markup in cell texts: <B>...</B>, <BR> and links <A href="target">...</A>.

// The grid's item model (model() of the grid, objectName "GridModel"): DisplayRole is the
// display text (markup included), PlainTextRole (and AccessibleTextRole, what a screen reader
// reads of a cell) the same without markup; BackgroundRole gives the row's colour and
// ImageIndexRole the index of the cell's picture in the image list (-1 for none).
class TAdvGridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Role { PlainTextRole = Qt::UserRole + 1, ImageIndexRole };

    explicit TAdvGridModel(TAdvStringGrid* grid);
    Q_DISABLE_COPY_MOVE(TAdvGridModel)

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    friend class TAdvStringGrid;
    TAdvStringGrid* m_grid;
};

class TAdvStringGrid final : public QTableView {
    Q_OBJECT
    Q_PROPERTY(int rowCount READ RowCount WRITE SetRowCount)
    Q_PROPERTY(int colCount READ ColCount WRITE SetColCount)
    Q_PROPERTY(int selectedRow READ SelectedRow)

public:
    enum class SortDirection { Ascending, Descending };
    Q_ENUM(SortDirection)

    // text: in, the stored text of the cell; out, the text to show.
    using DisplayTextHandler = std::function<void(int col, int row, QString& text)>;
    // Called after a cell (header cells included) has been drawn; it may draw over it.
    using DrawCellHandler = std::function<void(int col, int row, QPainter& painter, const QRect& rect)>;
    // allow: true on entry; clearing it keeps the current selection. Asked for selections made by
    // the user (mouse, keyboard), not for SelectRow.
    using SelectCellHandler = std::function<void(int row, bool& allow)>;
    // hint: empty on entry; the hint to show for the cell under the mouse.
    using GridHintHandler = std::function<void(int row, int col, QString& hint)>;
    using AnchorHandler = std::function<void(int row, int col, const QString& anchor)>;
    using CanSortHandler = std::function<void(int col, bool& allow)>;
    using ClickSortHandler = std::function<void(int col)>;

    explicit TAdvStringGrid(QWidget* parent = nullptr);
    ~TAdvStringGrid() override;
    Q_DISABLE_COPY_MOVE(TAdvStringGrid)

    TAdvGridModel* GridModel() const { return m_model; }

    // Rows and columns (grid rows, header included).
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    void SetRowCount(int count);
    // Deletes grid rows first to first + count - 1; the header row cannot be deleted.
    void RemoveRows(int first, int count);
    int ColCount() const { return m_colCount; }
    void SetColCount(int count);
    int FixedRows() const { return 1; }

    // Stored texts. Row 0 holds the header captions.
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    // The text a cell shows now: its stored text passed through the display-text handler.
    QString DisplayText(int col, int row) const;

    // Pictures from the image list, one per cell.
    void SetImageList(const QList<QPixmap>& images);
    QList<QPixmap> ImageList() const { return m_images; }
    void SetCellImage(int col, int row, int imageIndex,
                      Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter);
    // The image index of a cell, -1 for none.
    int CellImage(int col, int row) const;
    bool HasCellImage(int col, int row) const { return CellImage(col, row) >= 0; }
    void RemoveCellImage(int col, int row);

    // Row colours: an invalid colour (DefaultColor()) means the alternating bands.
    static QColor DefaultColor() { return QColor(); }
    void SetRowColor(int row, const QColor& color);
    QColor RowColor(int row) const;
    void SetBandColors(const QColor& even, const QColor& odd);
    // The colour a data row is painted with when not selected.
    QColor EffectiveRowColor(int row) const;
    QColor SelectionColor() const { return m_selectionColor; }
    void SetSelectionColor(const QColor& color);
    QColor TextColor() const { return m_textColor; }
    void SetTextColor(const QColor& color);
    QColor LinkColor() const { return m_linkColor; }
    void SetLinkColor(const QColor& color);

    // Selection of a whole data row by the program (no select-cell handler); 0 or -1 clears it.
    // When the selected row is deleted, a neighbouring row takes the selection, also without
    // asking the handler.
    void SelectRow(int row);
    int SelectedRow() const;

    // Geometry, in the grid's own coordinates (the header row at the top).
    QRect CellRect(int col, int row) const;
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    int DefaultRowHeight() const { return m_rowHeight; }
    int HeaderHeight() const { return m_headerHeight; }
    // Data rows that fit the visible area whole.
    int VisibleRowCount() const;
    // Width of the area the cells are drawn in, and the sum of the column widths.
    int ClientWidth() const;
    int GridWidth() const;
    // Width and height a cell's stored text needs, cell padding included.
    QSize CellTextExtent(int col, int row) const;

    // A control embedded in a cell follows the cell while the grid scrolls, resizes or deletes
    // rows. While embedded it is a child of the grid's viewport (and goes with the grid);
    // removing it, or deleting its row, hides it and leaves it where it is.
    void SetCellControl(int col, int row, QWidget* control);
    QWidget* CellControl(int col, int row) const;
    void RemoveCellControl(int col, int row);

    // Header sorting: a click on a sortable column sorts it descending the first time and
    // reverses the direction on every further click on the same column. The grid reorders
    // nothing itself; it reports the click to the after-sort handler and repaints.
    int SortColumn() const { return m_sortColumn; }
    SortDirection CurrentSortDirection() const { return m_sortDirection; }
    void SetSortState(int col, SortDirection direction);
    // What a header click does: asks the can-sort handler, moves the direction on and reports
    // the column to the after-sort handler.
    void SortByColumn(int col);
    void SetSortGlyphs(const QPixmap& ascending, const QPixmap& descending);
    void SetHeaderBackground(const QPixmap& picture);
    QPixmap HeaderBackground() const { return m_headerBackground; }
    QColor HeaderTextColor() const { return m_headerTextColor; }
    void SetHeaderTextColor(const QColor& color);
    QFont HeaderFont() const { return m_headerFont; }
    void SetHeaderFont(const QFont& font);

    // Repainting after the display texts changed.
    void RepaintRow(int row);
    void RepaintCell(int col, int row);
    void RepaintAll();
    // Between these, changed rows and cells are repainted once, as one range, at the end: a
    // caller decorating thousands of rows does not signal each one.
    void BeginUpdate();
    void EndUpdate();

    void SetOnGetDisplText(DisplayTextHandler handler);
    DisplayTextHandler OnGetDisplText() const { return m_onGetDisplText; }
    void SetOnDrawCell(DrawCellHandler handler) { m_onDrawCell = std::move(handler); }
    DrawCellHandler OnDrawCell() const { return m_onDrawCell; }
    void SetOnSelectCell(SelectCellHandler handler) { m_onSelectCell = std::move(handler); }
    SelectCellHandler OnSelectCell() const { return m_onSelectCell; }
    void SetOnGridHint(GridHintHandler handler) { m_onGridHint = std::move(handler); }
    GridHintHandler OnGridHint() const { return m_onGridHint; }
    void SetOnAnchorClick(AnchorHandler handler) { m_onAnchorClick = std::move(handler); }
    void SetOnAnchorHint(AnchorHandler handler) { m_onAnchorHint = std::move(handler); }
    void SetOnCanSort(CanSortHandler handler) { m_onCanSort = std::move(handler); }
    void SetOnClickSort(ClickSortHandler handler) { m_onClickSort = std::move(handler); }

    // Link target at a point of the grid, empty for none; also gives the cell.
    QString AnchorAt(const QPoint& point, int* col = nullptr, int* row = nullptr) const;

    // Typing letters selects nothing: rows change only through the select-cell handler.
    void keyboardSearch(const QString&) override {}

Q_SIGNALS:
    // The user finished resizing a column.
    void EndColumnSize(int col);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;

private:
    friend class TAdvGridModel;
    friend class TAdvGridDelegate;
    friend class TAdvGridHeader;

    struct CellImageInfo {
        int index = -1;
        Qt::Alignment alignment;
    };
    struct RowData {
        QHash<int, QString> texts;
        QColor color;
        QHash<int, CellImageInfo> images;
    };
    // Embedded controls by (row, column): few of them among many rows, so placing, moving
    // and re-keying them touches only these.
    using CellKey = std::pair<int, int>;
    using ControlMap = std::map<CellKey, QPointer<QWidget>>;

    bool IsRow(int row) const { return row >= 0 && row < RowCount(); }
    bool IsCell(int col, int row) const { return IsRow(row) && col >= 0 && col < m_colCount; }
    QModelIndex ModelIndex(int col, int row) const;
    int GridRowAt(const QPoint& viewportPoint) const;
    bool AskSelect(int row) const;
    void HeaderClicked(int col);
    void PlaceControls();
    // Hides and forgets the controls of the keys first to last (exclusive).
    void DropControls(ControlMap::iterator first, ControlMap::iterator last);
    void UpdateHover(const QPoint& viewportPoint);
    void ClearHover();

    // Drawing, shared by the cell delegate and the header.
    static bool IsMarkup(const QString& text);
    void SetUpDocument(QTextDocument& doc, const QString& text, const QFont& font) const;
    QRect TextRect(int col, int row, const QRect& cellRect) const;
    void PaintCell(QPainter& painter, const QRect& rect, int col, int row, bool selected) const;
    void PaintHeaderCell(QPainter& painter, const QRect& rect, int col) const;
    void PaintCellText(QPainter& painter, const QRect& rect, const QString& text, const QFont& font,
                       const QColor& color) const;

    TAdvGridModel* m_model = nullptr;
    TAdvGridHeader* m_header = nullptr;
    std::vector<RowData> m_rows;
    ControlMap m_controls;
    int m_colCount = 1;
    int m_updateDepth = 0;
    // What changed during an update: the header, and the range of rows (first > last: none).
    bool m_headerPending = false;
    int m_firstPending = 1;
    int m_lastPending = 0;
    void Pend(int row);
    QList<QPixmap> m_images;

    int m_rowHeight = 20;
    int m_headerHeight = 25;
    QColor m_bandEven{0xE9, 0xE8, 0xE8};
    QColor m_bandOdd{Qt::white};
    QColor m_selectionColor{0xA9, 0xD9, 0xFE};
    QColor m_textColor{0x33, 0x33, 0x33};
    QColor m_linkColor{0x1A, 0x5F, 0xB4};
    QColor m_lineColor{0xD2, 0xD2, 0xD2};
    QColor m_headerTextColor{0x3C, 0x3C, 0x3C};
    QFont m_headerFont;
    QPixmap m_headerBackground;
    QPixmap m_sortAscending;
    QPixmap m_sortDescending;
    int m_sortColumn = -1;
    SortDirection m_sortDirection = SortDirection::Descending;

    // Mouse state: the link under the mouse, and the link a press started on.
    QString m_hoverAnchor;
    int m_hoverAnchorCol = -1;
    int m_hoverAnchorRow = -1;
    QString m_pressAnchor;
    int m_pressAnchorCol = -1;
    int m_pressAnchorRow = -1;

    DisplayTextHandler m_onGetDisplText;
    DrawCellHandler m_onDrawCell;
    SelectCellHandler m_onSelectCell;
    GridHintHandler m_onGridHint;
    AnchorHandler m_onAnchorClick;
    AnchorHandler m_onAnchorHint;
    CanSortHandler m_onCanSort;
    ClickSortHandler m_onClickSort;
};
