#include "controls/advstringgrid.h"

#include "controls/focusframe.h"
#include "support/htmltext.h"

#include <QAbstractTextDocumentLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr int kCellPadding = 4; // text inset from the cell's left edge
constexpr int kImageMargin = 3; // picture inset from the cell's edge
constexpr int kGlyphMargin = 8; // sort glyph inset from the header cell's right edge
constexpr int kDefaultColWidth = 64;

QString LinkStyle(const QColor& color) {
    return QStringLiteral("a { color: %1; text-decoration: underline; }").arg(color.name());
}
} // namespace

// Header cells are drawn by the grid, over its picture.
class TAdvGridHeader final : public QHeaderView {
public:
    explicit TAdvGridHeader(TAdvStringGrid* grid) : QHeaderView(Qt::Horizontal, grid), m_grid(grid) {
        connect(this, &QHeaderView::sectionResized, this, [this](int logical, int, int) {
            if (m_pressed)
                m_resizedSection = logical;
        });
    }
    Q_DISABLE_COPY_MOVE(TAdvGridHeader)

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            // The picture runs under the whole strip, past the last section too.
            QPainter painter(viewport());
            const QPixmap& picture = m_grid->m_headerBackground;
            if (picture.isNull())
                painter.fillRect(viewport()->rect(), QColor(0xF2, 0xF2, 0xF2));
            else
                painter.drawPixmap(viewport()->rect(), picture);
        }
        QHeaderView::paintEvent(event);
    }

    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (!rect.isValid())
            return;
        painter->save();
        m_grid->PaintHeaderCell(*painter, rect, logicalIndex);
        painter->restore();
        if (m_grid->m_onDrawCell) {
            painter->save();
            m_grid->m_onDrawCell(logicalIndex, 0, *painter, rect);
            painter->restore();
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        m_pressed = true;
        m_resizedSection = -1;
        QHeaderView::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        QHeaderView::mouseReleaseEvent(event);
        m_pressed = false;
        if (m_resizedSection >= 0) {
            const int section = m_resizedSection;
            m_resizedSection = -1;
            Q_EMIT m_grid->EndColumnSize(section);
        }
    }

private:
    TAdvStringGrid* m_grid;
    bool m_pressed = false;
    int m_resizedSection = -1;
};

// Data cells are drawn by the grid; no focus rectangle, no editing.
class TAdvGridDelegate final : public QStyledItemDelegate {
public:
    explicit TAdvGridDelegate(TAdvStringGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}
    Q_DISABLE_COPY_MOVE(TAdvGridDelegate)

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int col = index.column();
        const int row = index.row() + 1;
        painter->save();
        m_grid->PaintCell(*painter, option.rect, col, row, option.state & QStyle::State_Selected);
        painter->restore();
        if (m_grid->m_onDrawCell) {
            painter->save();
            m_grid->m_onDrawCell(col, row, *painter, option.rect);
            painter->restore();
        }
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        return QSize(m_grid->ColWidth(index.column()), m_grid->DefaultRowHeight());
    }

    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override {
        return nullptr;
    }

private:
    TAdvStringGrid* m_grid;
};

// ---------------------------------------------------------------------------------------------

TAdvGridModel::TAdvGridModel(TAdvStringGrid* grid) : QAbstractTableModel(grid), m_grid(grid) {}

int TAdvGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, m_grid->RowCount() - 1);
}

int TAdvGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grid->ColCount();
}

QVariant TAdvGridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int col = index.column();
    const int row = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole:
        return m_grid->DisplayText(col, row);
    case PlainTextRole:
    // A screen reader reads the cell's words, never its markup.
    case Qt::AccessibleTextRole:
        return HtmlToPlainText(m_grid->DisplayText(col, row));
    case ImageIndexRole:
        return m_grid->CellImage(col, row);
    case Qt::DecorationRole: {
        const int image = m_grid->CellImage(col, row);
        if (image >= 0 && image < m_grid->m_images.size())
            return m_grid->m_images.at(image);
        return QVariant();
    }
    case Qt::BackgroundRole:
        return QBrush(m_grid->EffectiveRowColor(row));
    case Qt::ForegroundRole:
        return QBrush(m_grid->TextColor());
    case Qt::FontRole:
        return m_grid->font();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return QVariant();
    }
}

QVariant TAdvGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section >= 0 && section < m_grid->ColCount()) {
        if (role == Qt::DisplayRole)
            return m_grid->DisplayText(section, 0);
        if (role == Qt::FontRole)
            return m_grid->HeaderFont();
        return QVariant();
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TAdvGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

// ---------------------------------------------------------------------------------------------

TAdvStringGrid::TAdvStringGrid(QWidget* parent) : QTableView(parent), m_rows(2) {
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    m_headerFont = QFont(QStringLiteral("Verdana"), 8);
    m_headerFont.setBold(true);

    m_model = new TAdvGridModel(this);
    m_model->setObjectName(QStringLiteral("GridModel"));
    setModel(m_model);
    setItemDelegate(new TAdvGridDelegate(this));

    m_header = new TAdvGridHeader(this);
    setHorizontalHeader(m_header);
    m_header->setSectionsClickable(true);
    m_header->setHighlightSections(false);
    m_header->setSectionsMovable(false);
    m_header->setMinimumSectionSize(8);
    m_header->setDefaultSectionSize(kDefaultColWidth);
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setStretchLastSection(true);
    m_header->setFixedHeight(m_headerHeight);
    m_header->setFont(m_headerFont);
    connect(m_header, &QHeaderView::sectionClicked, this, &TAdvStringGrid::HeaderClicked);
    connect(m_header, &QHeaderView::sectionResized, this, [this] { PlaceControls(); });

    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are selected whole: Tab leaves the grid instead of walking its cells.
    setTabKeyNavigation(false);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, m_textColor);
    setPalette(pal);
}

TAdvStringGrid::~TAdvStringGrid() = default;

QModelIndex TAdvStringGrid::ModelIndex(int col, int row) const {
    if (row < 1 || !IsCell(col, row))
        return QModelIndex();
    return m_model->index(row - 1, col);
}

void TAdvStringGrid::SetRowCount(int count) {
    count = std::max(1, count);
    const int old = RowCount();
    if (count == old)
        return;
    if (count > old) {
        m_model->beginInsertRows(QModelIndex(), old - 1, count - 2);
        m_rows.resize(count);
        m_model->endInsertRows();
    } else {
        DropControls(m_controls.lower_bound({count, 0}), m_controls.end());
        m_model->beginRemoveRows(QModelIndex(), count - 1, old - 2);
        m_rows.resize(count);
        m_model->endRemoveRows();
    }
    PlaceControls();
}

void TAdvStringGrid::RemoveRows(int first, int count) {
    first = std::max(1, first);
    const int last = std::min(first + count - 1, RowCount() - 1);
    if (count <= 0 || last < first)
        return;
    DropControls(m_controls.lower_bound({first, 0}), m_controls.lower_bound({last + 1, 0}));
    // The controls of the rows below move up with their rows. A moved key lands before the
    // iterator, among keys the deletion freed, so none is met twice and none collides.
    const int removed = last - first + 1;
    for (auto it = m_controls.lower_bound({last + 1, 0}); it != m_controls.end();) {
        auto node = m_controls.extract(it++);
        node.key().first -= removed;
        m_controls.insert(std::move(node));
    }
    m_model->beginRemoveRows(QModelIndex(), first - 1, last - 1);
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
    m_model->endRemoveRows();
    PlaceControls();
}

void TAdvStringGrid::SetColCount(int count) {
    count = std::max(1, count);
    const int old = m_colCount;
    if (count == old)
        return;
    if (count > old) {
        m_model->beginInsertColumns(QModelIndex(), old, count - 1);
        m_colCount = count;
        m_model->endInsertColumns();
    } else {
        m_model->beginRemoveColumns(QModelIndex(), count, old - 1);
        m_colCount = count;
        for (auto& row : m_rows) {
            for (int c = count; c < old; ++c) {
                row.texts.remove(c);
                row.images.remove(c);
            }
        }
        for (auto it = m_controls.begin(); it != m_controls.end();) {
            if (it->first.second < count) {
                ++it;
                continue;
            }
            if (it->second)
                it->second->hide();
            it = m_controls.erase(it);
        }
        m_model->endRemoveColumns();
    }
    PlaceControls();
}

QString TAdvStringGrid::Cells(int col, int row) const {
    return IsCell(col, row) ? m_rows[row].texts.value(col) : QString();
}

void TAdvStringGrid::SetCells(int col, int row, const QString& text) {
    if (!IsCell(col, row))
        return;
    QString& stored = m_rows[row].texts[col];
    if (stored == text)
        return;
    stored = text;
    RepaintCell(col, row);
}

QString TAdvStringGrid::DisplayText(int col, int row) const {
    QString text = Cells(col, row);
    if (IsCell(col, row) && m_onGetDisplText)
        m_onGetDisplText(col, row, text);
    return text;
}

void TAdvStringGrid::SetImageList(const QList<QPixmap>& images) {
    m_images = images;
    viewport()->update();
}

void TAdvStringGrid::SetCellImage(int col, int row, int imageIndex, Qt::Alignment alignment) {
    if (!IsCell(col, row))
        return;
    if (imageIndex < 0) {
        RemoveCellImage(col, row);
        return;
    }
    m_rows[row].images.insert(col, CellImageInfo{imageIndex, alignment});
    RepaintCell(col, row);
}

int TAdvStringGrid::CellImage(int col, int row) const {
    if (!IsCell(col, row))
        return -1;
    const auto it = m_rows[row].images.constFind(col);
    return it == m_rows[row].images.constEnd() ? -1 : it->index;
}

void TAdvStringGrid::RemoveCellImage(int col, int row) {
    if (IsCell(col, row) && m_rows[row].images.remove(col))
        RepaintCell(col, row);
}

void TAdvStringGrid::SetRowColor(int row, const QColor& color) {
    if (!IsRow(row) || m_rows[row].color == color)
        return;
    m_rows[row].color = color;
    RepaintRow(row);
}

QColor TAdvStringGrid::RowColor(int row) const {
    return IsRow(row) ? m_rows[row].color : DefaultColor();
}

void TAdvStringGrid::SetBandColors(const QColor& even, const QColor& odd) {
    m_bandEven = even;
    m_bandOdd = odd;
    RepaintAll();
}

QColor TAdvStringGrid::EffectiveRowColor(int row) const {
    const QColor own = RowColor(row);
    if (own.isValid())
        return own;
    return row % 2 == 0 ? m_bandEven : m_bandOdd;
}

void TAdvStringGrid::SetSelectionColor(const QColor& color) {
    m_selectionColor = color;
    viewport()->update();
}

void TAdvStringGrid::SetTextColor(const QColor& color) {
    m_textColor = color;
    RepaintAll();
}

void TAdvStringGrid::SetLinkColor(const QColor& color) {
    m_linkColor = color;
    viewport()->update();
}

void TAdvStringGrid::SelectRow(int row) {
    auto* selection = selectionModel();
    if (!selection)
        return;
    const QModelIndex index = ModelIndex(0, row);
    if (!index.isValid()) {
        selection->clearSelection();
        return;
    }
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    selection->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index, QAbstractItemView::EnsureVisible);
}

int TAdvStringGrid::SelectedRow() const {
    const auto* selection = selectionModel();
    if (!selection)
        return -1;
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row() + 1;
}

QRect TAdvStringGrid::CellRect(int col, int row) const {
    if (!IsCell(col, row))
        return QRect();
    if (row == 0) {
        const QRect header = m_header->geometry();
        return QRect(header.x() + m_header->sectionViewportPosition(col), header.y(),
                     m_header->sectionSize(col), header.height());
    }
    return visualRect(ModelIndex(col, row)).translated(viewport()->pos());
}

int TAdvStringGrid::ColWidth(int col) const {
    return col >= 0 && col < m_colCount ? m_header->sectionSize(col) : 0;
}

void TAdvStringGrid::SetColWidth(int col, int width) {
    if (col >= 0 && col < m_colCount)
        m_header->resizeSection(col, std::max(0, width));
}

int TAdvStringGrid::VisibleRowCount() const {
    return m_rowHeight > 0 ? viewport()->height() / m_rowHeight : 0;
}

int TAdvStringGrid::ClientWidth() const {
    return viewport()->width();
}

int TAdvStringGrid::GridWidth() const {
    return m_header->length();
}

QSize TAdvStringGrid::CellTextExtent(int col, int row) const {
    const QString text = Cells(col, row);
    if (text.isEmpty())
        return QSize(0, 0);
    const QFont cellFont = row == 0 ? m_headerFont : font();
    QSize size;
    if (IsMarkup(text)) {
        QTextDocument doc;
        SetUpDocument(doc, text, cellFont);
        size = QSize(static_cast<int>(std::ceil(doc.idealWidth())),
                     static_cast<int>(std::ceil(doc.size().height())));
    } else {
        const QFontMetrics metrics(cellFont);
        size = QSize(metrics.horizontalAdvance(text), metrics.height());
    }
    return size + QSize(2 * kCellPadding, 0);
}

void TAdvStringGrid::SetCellControl(int col, int row, QWidget* control) {
    if (row < 1 || !IsCell(col, row) || !control)
        return;
    for (auto it = m_controls.begin(); it != m_controls.end();)
        it = it->second == control ? m_controls.erase(it) : std::next(it);
    if (control->parentWidget() != viewport())
        control->setParent(viewport());
    m_controls[{row, col}] = control;
    PlaceControls();
    control->show();
}

QWidget* TAdvStringGrid::CellControl(int col, int row) const {
    const auto it = m_controls.find({row, col});
    return it != m_controls.end() ? it->second.data() : nullptr;
}

void TAdvStringGrid::RemoveCellControl(int col, int row) {
    const auto it = m_controls.find({row, col});
    if (it != m_controls.end())
        DropControls(it, std::next(it));
}

void TAdvStringGrid::DropControls(ControlMap::iterator first, ControlMap::iterator last) {
    for (auto it = first; it != last; ++it)
        if (it->second)
            it->second->hide();
    m_controls.erase(first, last);
}

void TAdvStringGrid::PlaceControls() {
    for (auto it = m_controls.begin(); it != m_controls.end();) {
        // A control deleted while embedded leaves an empty entry behind.
        if (!it->second) {
            it = m_controls.erase(it);
            continue;
        }
        it->second->setGeometry(visualRect(ModelIndex(it->first.second, it->first.first)));
        ++it;
    }
}

void TAdvStringGrid::SetSortState(int col, SortDirection direction) {
    m_sortColumn = col;
    m_sortDirection = direction;
    m_header->viewport()->update();
}

void TAdvStringGrid::SetSortGlyphs(const QPixmap& ascending, const QPixmap& descending) {
    m_sortAscending = ascending;
    m_sortDescending = descending;
    m_header->viewport()->update();
}

void TAdvStringGrid::SetHeaderBackground(const QPixmap& picture) {
    m_headerBackground = picture;
    m_header->viewport()->update();
}

void TAdvStringGrid::SetHeaderTextColor(const QColor& color) {
    m_headerTextColor = color;
    m_header->viewport()->update();
}

void TAdvStringGrid::SetHeaderFont(const QFont& font) {
    m_headerFont = font;
    m_header->setFont(font);
    m_header->viewport()->update();
}

void TAdvStringGrid::BeginUpdate() {
    ++m_updateDepth;
}

void TAdvStringGrid::EndUpdate() {
    if (m_updateDepth == 0 || --m_updateDepth > 0)
        return;
    if (m_headerPending)
        Q_EMIT m_model->headerDataChanged(Qt::Horizontal, 0, m_colCount - 1);
    // Rows may have gone since they changed.
    const int last = std::min(m_lastPending, RowCount() - 1);
    if (m_firstPending <= last)
        Q_EMIT m_model->dataChanged(ModelIndex(0, m_firstPending), ModelIndex(m_colCount - 1, last));
    m_headerPending = false;
    m_firstPending = 1;
    m_lastPending = 0;
}

void TAdvStringGrid::Pend(int row) {
    if (row == 0) {
        m_headerPending = true;
        return;
    }
    if (m_firstPending > m_lastPending) {
        m_firstPending = m_lastPending = row;
        return;
    }
    m_firstPending = std::min(m_firstPending, row);
    m_lastPending = std::max(m_lastPending, row);
}

void TAdvStringGrid::RepaintRow(int row) {
    if (!IsRow(row))
        return;
    if (m_updateDepth > 0) {
        Pend(row);
        return;
    }
    if (row == 0) {
        Q_EMIT m_model->headerDataChanged(Qt::Horizontal, 0, m_colCount - 1);
        return;
    }
    Q_EMIT m_model->dataChanged(ModelIndex(0, row), ModelIndex(m_colCount - 1, row));
}

void TAdvStringGrid::RepaintCell(int col, int row) {
    if (!IsCell(col, row))
        return;
    if (m_updateDepth > 0) {
        Pend(row);
        return;
    }
    if (row == 0)
        Q_EMIT m_model->headerDataChanged(Qt::Horizontal, col, col);
    else
        Q_EMIT m_model->dataChanged(ModelIndex(col, row), ModelIndex(col, row));
}

void TAdvStringGrid::RepaintAll() {
    Q_EMIT m_model->headerDataChanged(Qt::Horizontal, 0, m_colCount - 1);
    if (RowCount() > 1)
        Q_EMIT m_model->dataChanged(ModelIndex(0, 1), ModelIndex(m_colCount - 1, RowCount() - 1));
}

void TAdvStringGrid::SetOnGetDisplText(DisplayTextHandler handler) {
    m_onGetDisplText = std::move(handler);
    RepaintAll();
}

// ---------------------------------------------------------------------------------------------
// Input

int TAdvStringGrid::GridRowAt(const QPoint& viewportPoint) const {
    const QModelIndex index = indexAt(viewportPoint);
    return index.isValid() ? index.row() + 1 : -1;
}

bool TAdvStringGrid::AskSelect(int row) const {
    bool allow = true;
    if (m_onSelectCell)
        m_onSelectCell(row, allow);
    return allow;
}

void TAdvStringGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    setFocus(Qt::MouseFocusReason);
    m_pressAnchor.clear();
    if (event->button() == Qt::LeftButton)
        m_pressAnchor = AnchorAt(at + viewport()->pos(), &m_pressAnchorCol, &m_pressAnchorRow);
    const int row = GridRowAt(at);
    if (event->button() == Qt::LeftButton && row >= 1 && row != SelectedRow() && AskSelect(row))
        SelectRow(row);
    event->accept();
}

void TAdvStringGrid::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || m_pressAnchor.isEmpty())
        return;
    int col = -1;
    int row = -1;
    const QString anchor = AnchorAt(event->position().toPoint() + viewport()->pos(), &col, &row);
    const QString pressed = std::exchange(m_pressAnchor, QString());
    if (anchor == pressed && col == m_pressAnchorCol && row == m_pressAnchorRow && m_onAnchorClick)
        m_onAnchorClick(row, col, anchor);
}

void TAdvStringGrid::mouseMoveEvent(QMouseEvent* event) {
    // Rows follow clicks and keys only; dragging selects nothing.
    UpdateHover(event->position().toPoint());
    event->accept();
}

void TAdvStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void TAdvStringGrid::keyPressEvent(QKeyEvent* event) {
    const int current = SelectedRow();
    const int last = RowCount() - 1;
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Up:
        target = current < 1 ? 1 : current - 1;
        break;
    case Qt::Key_Down:
        target = current < 1 ? 1 : current + 1;
        break;
    case Qt::Key_PageUp:
        target = (current < 1 ? 1 : current) - std::max(1, VisibleRowCount() - 1);
        break;
    case Qt::Key_PageDown:
        target = (current < 1 ? 1 : current) + std::max(1, VisibleRowCount() - 1);
        break;
    case Qt::Key_Home:
        target = 1;
        break;
    case Qt::Key_End:
        target = last;
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        event->accept();
        return;
    default:
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
    if (last < 1)
        return;
    target = std::clamp(target, 1, last);
    if (target != current && AskSelect(target))
        SelectRow(target);
}

// The active cell draws no focus rectangle, so the grid shows that it has the keys with an
// outline of its own.
void TAdvStringGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(viewport());
    focusframe::Paint(painter, viewport()->rect(), focusframe::kOnLight, 0);
}

void TAdvStringGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update();
}

void TAdvStringGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void TAdvStringGrid::leaveEvent(QEvent* event) {
    ClearHover();
    QTableView::leaveEvent(event);
}

bool TAdvStringGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        ClearHover();
    return QTableView::viewportEvent(event);
}

void TAdvStringGrid::ClearHover() {
    m_hoverAnchor.clear();
    m_hoverAnchorCol = m_hoverAnchorRow = -1;
    viewport()->unsetCursor();
    if (!toolTip().isEmpty())
        setToolTip(QString());
}

// The hint is worked out while the mouse moves, so that the application's tooltip request finds
// it ready in toolTip(). A link under the mouse is reported first: its handler may change the hint.
void TAdvStringGrid::UpdateHover(const QPoint& viewportPoint) {
    int col = -1;
    int row = -1;
    const QString anchor = AnchorAt(viewportPoint + viewport()->pos(), &col, &row);
    if (anchor != m_hoverAnchor || col != m_hoverAnchorCol || row != m_hoverAnchorRow) {
        m_hoverAnchor = anchor;
        m_hoverAnchorCol = col;
        m_hoverAnchorRow = row;
        if (anchor.isEmpty())
            viewport()->unsetCursor();
        else
            viewport()->setCursor(Qt::PointingHandCursor);
    }
    if (!anchor.isEmpty() && m_onAnchorHint)
        m_onAnchorHint(row, col, anchor);

    QString hint;
    const QModelIndex index = indexAt(viewportPoint);
    if (index.isValid() && m_onGridHint)
        m_onGridHint(index.row() + 1, index.column(), hint);
    if (hint != toolTip())
        setToolTip(hint);
}

QString TAdvStringGrid::AnchorAt(const QPoint& point, int* col, int* row) const {
    if (col)
        *col = -1;
    if (row)
        *row = -1;
    const QPoint inViewport = point - viewport()->pos();
    const QModelIndex index = indexAt(inViewport);
    if (!index.isValid())
        return QString();
    const int c = index.column();
    const int r = index.row() + 1;
    const QString text = DisplayText(c, r);
    if (!IsMarkup(text) || !text.contains(QLatin1String("<a"), Qt::CaseInsensitive))
        return QString();
    QTextDocument doc;
    SetUpDocument(doc, text, font());
    const QRect textRect = TextRect(c, r, visualRect(index));
    const qreal top = textRect.top() + (textRect.height() - doc.size().height()) / 2.0;
    if (!textRect.contains(inViewport))
        return QString();
    const QString anchor =
        doc.documentLayout()->anchorAt(QPointF(inViewport) - QPointF(textRect.left(), top));
    if (!anchor.isEmpty()) {
        if (col)
            *col = c;
        if (row)
            *row = r;
    }
    return anchor;
}

void TAdvStringGrid::HeaderClicked(int col) {
    SortByColumn(col);
}

void TAdvStringGrid::SortByColumn(int col) {
    if (col < 0 || col >= m_colCount)
        return;
    bool allow = true;
    if (m_onCanSort)
        m_onCanSort(col, allow);
    if (!allow)
        return;
    if (col == m_sortColumn)
        m_sortDirection = m_sortDirection == SortDirection::Descending ? SortDirection::Ascending
                                                                       : SortDirection::Descending;
    else
        m_sortDirection = SortDirection::Descending;
    m_sortColumn = col;
    m_header->viewport()->update();
    if (m_onClickSort)
        m_onClickSort(col);
    RepaintAll();
}

void TAdvStringGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    PlaceControls();
}

void TAdvStringGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    PlaceControls();
}

void TAdvStringGrid::updateGeometries() {
    QTableView::updateGeometries();
    PlaceControls();
}

// ---------------------------------------------------------------------------------------------
// Drawing

bool TAdvStringGrid::IsMarkup(const QString& text) {
    const qsizetype open = text.indexOf(QLatin1Char('<'));
    return open >= 0 && text.indexOf(QLatin1Char('>'), open) > open;
}

void TAdvStringGrid::SetUpDocument(QTextDocument& doc, const QString& text, const QFont& font) const {
    doc.setDocumentMargin(0);
    doc.setDefaultFont(font);
    doc.setDefaultStyleSheet(LinkStyle(m_linkColor));
    QTextOption option = doc.defaultTextOption();
    option.setWrapMode(QTextOption::NoWrap);
    doc.setDefaultTextOption(option);
    doc.setHtml(text);
}

QRect TAdvStringGrid::TextRect(int col, int row, const QRect& cellRect) const {
    QRect rect = cellRect.adjusted(kCellPadding, 0, -kImageMargin, 0);
    const int image = CellImage(col, row);
    if (image >= 0 && image < m_images.size()) {
        const auto alignment = m_rows[row].images.value(col).alignment;
        const int room = static_cast<int>(m_images.at(image).deviceIndependentSize().width()) + kImageMargin;
        if (alignment & Qt::AlignRight)
            rect.setRight(rect.right() - room);
        else if (alignment & Qt::AlignLeft)
            rect.setLeft(cellRect.left() + kImageMargin + room);
    }
    return rect;
}

void TAdvStringGrid::PaintCellText(QPainter& painter, const QRect& rect, const QString& text,
                                   const QFont& font, const QColor& color) const {
    if (text.isEmpty() || rect.width() <= 0)
        return;
    painter.setClipRect(rect, Qt::IntersectClip);
    if (!IsMarkup(text)) {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        return;
    }
    QTextDocument doc;
    SetUpDocument(doc, text, font);
    const qreal top = rect.top() + (rect.height() - doc.size().height()) / 2.0;
    painter.translate(rect.left(), top);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, color);
    context.clip = QRectF(0, rect.top() - top, rect.width(), rect.height());
    doc.documentLayout()->draw(&painter, context);
}

void TAdvStringGrid::PaintCell(QPainter& painter, const QRect& rect, int col, int row, bool selected) const {
    painter.fillRect(rect, selected ? m_selectionColor : EffectiveRowColor(row));
    painter.setPen(m_lineColor);
    painter.drawLine(rect.topRight(), rect.bottomRight());

    painter.save();
    PaintCellText(painter, TextRect(col, row, rect), DisplayText(col, row), font(), m_textColor);
    painter.restore();

    const int image = CellImage(col, row);
    if (image >= 0 && image < m_images.size()) {
        const QPixmap& picture = m_images.at(image);
        const QSize size = picture.deviceIndependentSize().toSize();
        const Qt::Alignment alignment = m_rows[row].images.value(col).alignment;
        int x = rect.left() + kImageMargin;
        if (alignment & Qt::AlignRight)
            x = rect.right() - kImageMargin - size.width() + 1;
        else if (alignment & Qt::AlignHCenter)
            x = rect.left() + (rect.width() - size.width()) / 2;
        int y = rect.top() + (rect.height() - size.height()) / 2;
        if (alignment & Qt::AlignTop)
            y = rect.top() + 1;
        else if (alignment & Qt::AlignBottom)
            y = rect.bottom() - size.height();
        painter.drawPixmap(x, y, picture);
    }
}

void TAdvStringGrid::PaintHeaderCell(QPainter& painter, const QRect& rect, int col) const {
    if (m_headerBackground.isNull())
        painter.fillRect(rect, QColor(0xF2, 0xF2, 0xF2));
    else
        painter.drawPixmap(rect, m_headerBackground);

    // A groove between header cells: a shade and a light line beside it, inset from the edges.
    const int inset = rect.height() / 5;
    painter.setPen(QColor(0xB4, 0xB4, 0xB4));
    painter.drawLine(rect.right() - 1, rect.top() + inset, rect.right() - 1, rect.bottom() - inset);
    painter.setPen(QColor(0xFF, 0xFF, 0xFF, 0xC0));
    painter.drawLine(rect.right(), rect.top() + inset, rect.right(), rect.bottom() - inset);

    QRect textRect = rect.adjusted(kCellPadding, 0, -kCellPadding, 0);
    if (col == m_sortColumn) {
        const QPixmap& glyph =
            m_sortDirection == SortDirection::Ascending ? m_sortAscending : m_sortDescending;
        const QSize size = glyph.isNull() ? QSize(9, 5) : glyph.deviceIndependentSize().toSize();
        const QRect glyphRect(rect.right() - kGlyphMargin - size.width() + 1,
                              rect.top() + (rect.height() - size.height()) / 2, size.width(), size.height());
        if (glyph.isNull()) {
            // No picture given: a small triangle in the text colour.
            QPolygonF triangle;
            if (m_sortDirection == SortDirection::Ascending)
                triangle << QPointF(glyphRect.left(), glyphRect.bottom() + 1)
                         << QPointF(glyphRect.right() + 1, glyphRect.bottom() + 1)
                         << QPointF(glyphRect.center().x() + 0.5, glyphRect.top());
            else
                triangle << QPointF(glyphRect.left(), glyphRect.top())
                         << QPointF(glyphRect.right() + 1, glyphRect.top())
                         << QPointF(glyphRect.center().x() + 0.5, glyphRect.bottom() + 1);
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(m_headerTextColor);
            painter.drawPolygon(triangle);
            painter.restore();
        } else {
            painter.drawPixmap(glyphRect.topLeft(), glyph);
        }
        textRect.setRight(glyphRect.left() - kCellPadding);
    }

    const QString text = DisplayText(col, 0);
    if (IsMarkup(text)) {
        painter.save();
        PaintCellText(painter, textRect, text, m_headerFont, m_headerTextColor);
        painter.restore();
        return;
    }
    painter.setFont(m_headerFont);
    painter.setPen(m_headerTextColor);
    const QString shown = QFontMetrics(m_headerFont).elidedText(text, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}
