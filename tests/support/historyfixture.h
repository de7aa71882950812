#pragma once

// The action history window over a controller fixture: its store is filled by hand and the
// window is fed through the registered messages the fetch posts to it.
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"
#include "controls/advstringgrid.h"
#include "forms/historysuspectsform/historysuspectsform.h"
#include "module/suspects.h"
#include "platform/messages.h"
#include "support/controllerfixture.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QTimer>
#include <vector>

namespace history {

inline ST_BLELEMENT Element(int n, std::uint32_t category = 100, std::uint32_t flags = 0) {
    ST_BLELEMENT e;
    e.identifier = wire::IdOf(static_cast<std::uint8_t>(n));
    e.category = category;
    e.flags = flags;
    e.itemType = 201;
    e.informationId = 1000 + static_cast<std::uint32_t>(n);
    e.detectionId = 500 + static_cast<std::uint32_t>(n);
    e.actionTime = 133'000'000'000'000'000ULL + static_cast<std::uint64_t>(n) * 10'000'000ULL;
    e.location = u"C:\\Users\\ana\\item" + QString::number(n).toStdU16String() + u".exe";
    return e;
}

inline std::vector<ST_BLELEMENT> Elements(int count) {
    std::vector<ST_BLELEMENT> out;
    for (int i = 1; i <= count; ++i)
        out.push_back(Element(i));
    return out;
}

struct Window {
    explicit Window(bool actionsEnabled = true) {
        if (!actionsEnabled) {
            f.configuration.actionsEnabled = 0;
            f.CreateWindow();
        }
        w = new THistorySuspectsForm(nullptr, &f.controller());
        f.controller().SetHistoryWindow(w);
        w->show();
    }
    template <class T> T* child(const char* name) const {
        return w->findChild<T*>(QString::fromLatin1(name));
    }
    TAdvStringGrid* grid() const { return child<TAdvStringGrid>("AdvStringGridSuspects"); }
    QLineEdit* search() const { return child<QLineEdit>("EditSearch"); }
    QTimer* timer(const char* name) const { return child<QTimer>(name); }
    CBlaItemEx* store() { return f.controller().ItemStore(); }
    TMapDetectionID& names() { return f.controller().DetectionNames(); }
    const stMessageNumbers& messages() { return f.controller().Messages(); }

    void Post(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
        QVERIFY(platform::PostMessage(platform::HandleOf(w), msg, wParam, lParam));
    }
    // A fetch as the window sees it: the store emptied and refilled, then reset, fill, end.
    void Load(const std::vector<ST_BLELEMENT>& elements) {
        store()->SetResetPending(true);
        store()->AppendPage(elements);
        if (elements.empty())
            store()->Clear();
        store()->SetResetPending(false);
        Post(messages().WM_RESETVIEWS);
        Post(messages().WM_FILLDATA);
        Post(messages().WM_ENDFILLDATA);
        f.Pump(2);
    }
    // Loads and waits until every batch ran.
    void LoadAll(const std::vector<ST_BLELEMENT>& elements) {
        Load(elements);
        QTRY_VERIFY_WITH_TIMEOUT(!timer("TimerFillData")->isActive(), 20000);
        f.Pump(2);
    }
    // Column c of grid row r as shown, without markup.
    QString Text(int col, int row) const {
        return grid()->model()->index(row - 1, col).data(TAdvGridModel::PlainTextRole).toString();
    }
    QString Markup(int col, int row) const {
        return grid()->model()->index(row - 1, col).data(Qt::DisplayRole).toString();
    }
    int Image(int row) const {
        return grid()->model()->index(row - 1, 0).data(TAdvGridModel::ImageIndexRole).toInt();
    }
    // The keys of the grid rows that show an entry, in order.
    QList<int> Keys() const {
        QList<int> keys;
        for (int r = 1; r < grid()->RowCount(); ++r)
            if (w->KeyOfGridRow(r) != -1)
                keys << w->KeyOfGridRow(r);
        return keys;
    }
    bool EmptyShown() const { return child<QWidget>("pnlEmptyText")->isVisible(); }
    void Type(const QString& text) {
        search()->setFocus();
        QTest::keyClicks(search(), text);
    }
    void ClearSearch() {
        search()->setFocus();
        search()->selectAll();
        QTest::keyClick(search(), Qt::Key_Backspace);
    }
    // A real click on a header cell.
    void ClickHeader(int col) {
        QHeaderView* header = grid()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, 10));
    }
    // A real click on a data row.
    void ClickRow(int row) {
        const QRect cell = grid()->visualRect(grid()->model()->index(row - 1, 1));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    ControllerFixture f;
    THistorySuspectsForm* w = nullptr;
};

} // namespace history
