#pragma once

#include "forms/zrundialog.h"

#include <QString>

class THTMLabel;
class TZRUNButton;

// The question asked before an action the user may regret: a title, an alert picture, three
// marked-up lines and two buttons whose captions the caller chooses. It is SuspectsActionForm
// while it exists. Closing the window by any way but the accept button cancels.
class TSuspectsActionForm final : public TZRUNDialog {
    Q_OBJECT

public:
    static constexpr int kAccepted = 1;
    static constexpr int kCancelled = 2;

    // Pictures come from the resource library handle given (not owned, may be null).
    TSuspectsActionForm(QWidget* owner, void* resourceLibrary);
    ~TSuspectsActionForm() override;
    Q_DISABLE_COPY_MOVE(TSuspectsActionForm)

    // Texts are marked up already; captions are plain. Lays out the window and its buttons.
    void SetTexts(const QString& title, const QString& first, const QString& second, const QString& third,
                  const QString& accept, const QString& cancel);
    // Puts the cancel button in front of the accept button, in place and in tab order: it then
    // has the focus and Enter answers it.
    void CancelFirst();
    // Runs the window modally (tests may script the answer): kAccepted, else kCancelled.
    int ShowModal();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildForm();
    void LoadPictures();
    void LayoutButtons();
    void LayoutContent();

    void* m_resourceLibrary = nullptr;
    bool m_cancelFirst = false;

    QWidget* PanelMessages = nullptr;
    THTMLabel* LMessage1 = nullptr;
    THTMLabel* LMessage2 = nullptr;
    THTMLabel* LMessage3 = nullptr;
    TZRUNButton* BAceptar = nullptr;
    TZRUNButton* BCancelar = nullptr;
};
