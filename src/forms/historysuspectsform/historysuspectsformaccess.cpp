#include "controls/advstringgrid.h"
#include "controls/zrunbutton.h"
#include "forms/historysuspectsform/historysuspectsform.h"
#include "i18n/utranslate.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

bool Plain(const QKeyEvent* key) {
    return !(key->modifiers() & ~Qt::KeypadModifier);
}

// A key does what a click on the button does, and only where a click could reach it.
bool ClickIfShown(TZRUNButton* button) {
    if (!button || !button->isVisible())
        return false;
    button->click();
    return true;
}

} // namespace

// The window without a mouse: Tab walks the search box, the grid and the row's actions; in
// the grid Up and Down move the selected row (the grid's own keys, which place the row's
// actions as a click does), Enter undoes or redoes the row and Delete removes it, both after
// their usual question; Escape hides the window.
void THistorySuspectsForm::SetUpKeyboardAccess() {
    setTabOrder(EditSearch, AdvStringGridSuspects);
    AdvStringGridSuspects->installEventFilter(this);

    Label2->setBuddy(EditSearch);
    EditSearch->setAccessibleName(Label2->text().remove(QLatin1Char(':')).trimmed());
    AdvStringGridSuspects->setAccessibleName(windowTitle());
    // The caption buttons take no focus but are met by reading.
    btnClose->setAccessibleName(TranslateText(m_translator, QStringLiteral("Cerrar")));
    btnMinimize->setAccessibleName(TranslateText(m_translator, QStringLiteral("Minimizar")));
    btnMaximize->setAccessibleName(TranslateText(m_translator, QStringLiteral("Maximizar")));
    btnRestore->setAccessibleName(TranslateText(m_translator, QStringLiteral("Restaurar")));
}

// The row's buttons come with the first selected row (never while the host turned the
// actions off); they follow the grid in the tab order.
void THistorySuspectsForm::SetUpRowActionAccess() {
    for (TZRUNButton* button : {btnUndoAction, btnRedoAction, btnRemoveAction}) {
        button->setFocusPolicy(Qt::TabFocus);
        // Their pictures have no caption: the hint names them, and describes them too.
        button->setAccessibleName(button->toolTip());
    }
    setTabOrder(AdvStringGridSuspects, btnUndoAction);
    setTabOrder(btnUndoAction, btnRedoAction);
    setTabOrder(btnRedoAction, btnRemoveAction);
}

bool THistorySuspectsForm::WindowKey(QKeyEvent* key) {
    if (key->key() != Qt::Key_Escape || !Plain(key))
        return false;
    btnCloseClick();
    return true;
}

// Keys on the grid (or on a row's button, which hands them on to the grid).
bool THistorySuspectsForm::GridKey(QKeyEvent* key) {
    if (!Plain(key) || !pnlRowActions || !pnlRowActions->isVisible())
        return false;
    switch (key->key()) {
    case Qt::Key_Delete:
        return ClickIfShown(btnRemoveAction);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The row shows the one of the two that its state allows.
        return ClickIfShown(btnUndoAction) || ClickIfShown(btnRedoAction);
    default:
        return false;
    }
}
