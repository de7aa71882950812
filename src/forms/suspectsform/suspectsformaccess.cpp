#include "comm/store/blaitemex.h"
#include "controls/htmlabel.h"
#include "controls/smoothimagelist.h"
#include "controls/zrunbutton.h"
#include "forms/suspectsform/itemdescription.h"
#include "forms/suspectsform/suspectsform.h"
#include "i18n/utranslate.h"
#include "module/suspects.h"
#include "support/htmltext.h"
#include "support/systempath.h"

// The window without a mouse: Tab walks the links, the carousel and the action buttons; the
// carousel's arrows select and describe an item as a click does; Enter or Space on a button
// clicks it.
void TSuspectsForm::SetUpKeyboardAccess() {
    // Qt orders only widgets that take the focus, and the labels take it only once they hold
    // a link: they are ordered as if they did.
    const Qt::FocusPolicy historyLink = lblShowHistorySuspects->focusPolicy();
    const Qt::FocusPolicy description = lblInformation1->focusPolicy();
    lblShowHistorySuspects->setFocusPolicy(Qt::TabFocus);
    lblInformation1->setFocusPolicy(Qt::TabFocus);
    setTabOrder(lblShowHistorySuspects, lblInformation1);
    setTabOrder(lblInformation1, lwSuspects2);
    setTabOrder(lwSuspects2, btnUnBlock);
    setTabOrder(btnUnBlock, btnRemove);
    lblShowHistorySuspects->setFocusPolicy(historyLink);
    lblInformation1->setFocusPolicy(description);

    lwSuspects2->setAccessibleName(TranslateText(m_translator, QStringLiteral("Papelera de reciclaje")));
    lwSuspects2->SetOnItemAccessibleText([this](int i, QString& name, QString& description) {
        lwSuspects2ItemAccessibleText(i, name, description);
    });
    // The arrows take no focus (the carousel's own keys do their work) but are met by reading.
    ZRUNButtonNavLeft->setAccessibleName(TranslateText(m_translator, QStringLiteral("Anterior")));
    ZRUNButtonNavRight->setAccessibleName(TranslateText(m_translator, QStringLiteral("Siguiente")));
}

// An item reads as its name, then where it is and why it was blocked, as the hint and the
// description show them.
void TSuspectsForm::lwSuspects2ItemAccessibleText(int index, QString& name, QString& description) {
    const stBlaElements* entry = EntryOfPosition(index);
    if (!entry)
        return;
    const ST_BLELEMENT& element = entry->element;
    name = DisplayName(element);
    const QString location = QString::fromStdU16String(ExpandSystemPathString(*element.location));
    const QString reason =
        HtmlToPlainText(DescriptionText(m_translator, element, m_controller->LabName())).simplified();
    description = location + QLatin1Char('\n') + reason;
}
