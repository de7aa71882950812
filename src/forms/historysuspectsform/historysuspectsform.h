#pragma once

#include <QWidget>

class CSuspects;

// The action history window ("Historial de acciones"). The suspects window opens it from its
// link; until it is built out, the module never creates one.
class THistorySuspectsForm : public QWidget {
    Q_OBJECT

public:
    THistorySuspectsForm(QWidget* owner, CSuspects* controller);
    ~THistorySuspectsForm() override;

    // Ends the waiting state of an undo or redo (the layer of this window).
    void RemoveWaitingLayer();

private:
    CSuspects* m_controller;
};
