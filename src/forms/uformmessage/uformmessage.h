#pragma once

#include "forms/zrundialog.h"
#include "platform/loader.h"

#include <QString>
#include <cstdint>

struct ZrunTranslationSource;
class THTMLabel;
class TZRUNButton;

// What the caller of a catalogued message hands over.
struct stMessageRequest {
    QString name;           // inserted into catalogue texts
    std::uint32_t code = 0; // status code shown in kind 0
    using LinkAction = void (*)(void* context, std::uint32_t extra, const QString& anchor);
    LinkAction linkAction = nullptr; // run when a link of the second line is clicked
    void* context = nullptr;
};

// Builds the texts of a message kind, translated, and shows them in the message window; returns
// its modal result. Kind 0 reports a failed action with its status code. Kinds that the
// catalogue does not hold show nothing and give 1.
int ShowCatalogMessage(int kind, const ZrunTranslationSource* source, const stMessageRequest& request);

// Creates the message window, fills it, runs it modally and destroys it; returns the modal
// result, or 1 when the window cannot be created. Texts are marked up already.
int ShowMessageWindow(int selector, const QString& title, const QString& first, const QString& second,
                      const QString& firstButton, const QString& secondButton,
                      stMessageRequest::LinkAction action, void* context, std::uint32_t extra);

// The module's message box: borderless, rounded, skinned, dragged by its caption bar. It opens
// its own copy of the resource library and holds it for its life.
class TFormMessage final : public TZRUNDialog {
    Q_OBJECT

public:
    // Layout selectors: the "Sí" / "No" pair, or the single button.
    static constexpr int kTwoButtons = 0;
    static constexpr int kSingleButton = 1;
    // Modal results of the buttons; closing the window in any other way gives kResultClose.
    static constexpr int kResultFirst = 1;
    static constexpr int kResultClose = 2;

    // The resource library is looked for at resourceLibraryPath; a library that is missing
    // leaves the window without icon, pictures and frame.
    explicit TFormMessage(const QString& resourceLibraryPath = DefaultResourceLibraryPath());
    ~TFormMessage() override;
    Q_DISABLE_COPY_MOVE(TFormMessage)

    // "ZRUNResources" beside this module.
    static QString DefaultResourceLibraryPath();
    void* ResourceLibrary() const { return m_resources.Handle(); }

    // Fills the window as ShowMessageWindow does, without showing it.
    void Fill(int selector, const QString& title, const QString& first, const QString& second,
              const QString& firstButton, const QString& secondButton);
    void SetLinkAction(stMessageRequest::LinkAction action, void* context, std::uint32_t extra);
    // Runs the window modally (tests may script the answer) and returns the modal result.
    int ShowModal();

    // Form handlers.
    void LMessage2AnchorClick(const QString& anchor);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildForm();
    void LoadPictures();
    void LayoutButtons();
    void LayoutContent();

    platform::CLoader m_resources;
    stMessageRequest::LinkAction m_linkAction = nullptr;
    void* m_linkContext = nullptr;
    std::uint32_t m_linkExtra = 0;
    int m_selector = kSingleButton;

    QWidget* PanelResize = nullptr;
    THTMLabel* LMessage1 = nullptr;
    THTMLabel* LMessage2 = nullptr;
    TZRUNButton* BAceptar = nullptr;
    TZRUNButton* BCancelar = nullptr;
    TZRUNButton* BSoloAceptar = nullptr;
};
