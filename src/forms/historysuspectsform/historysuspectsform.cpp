#include "forms/historysuspectsform/historysuspectsform.h"

#include "module/formvars.h"

THistorySuspectsForm::THistorySuspectsForm(QWidget* owner, CSuspects* controller)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), m_controller(controller) {
    setObjectName(QStringLiteral("HistorySuspectsForm"));
    HistorySuspectsForm = this;
}

THistorySuspectsForm::~THistorySuspectsForm() {
    if (HistorySuspectsForm == this)
        HistorySuspectsForm = nullptr;
}

void THistorySuspectsForm::RemoveWaitingLayer() {}
