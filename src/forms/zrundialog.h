#pragma once

#include "platform/hooks.h"

#include <QColor>
#include <QDialog>
#include <initializer_list>

class QKeyEvent;
class QLabel;
class THTMLabel;
class TImage;
class TZRUNBorder;
class TZRUNButton;

// The chrome of the module's dialogs: borderless, rounded, skinned frame, a caption bar that
// drags the window and holds its title and close button, a content panel with the alert picture
// and a row for the text buttons underneath. The dialog fills the content and the row.
class TZRUNDialog : public QDialog {
    Q_OBJECT

public:
    ~TZRUNDialog() override;
    Q_DISABLE_COPY_MOVE(TZRUNDialog)

    // Form handlers.
    void btnCloseClick();
    // Closing the window by any way but its text buttons answers as the close button does.
    void reject() override;

protected:
    // What one dialog's chrome has of its own.
    struct Chrome {
        QColor colour;        // the window's background
        int clientWidth = 0;  // the window keeps it
        int clientHeight = 0; // until the content is fitted
        int buttonRowHeight = 0;
        int closeResult = 0; // the modal result of closing
        bool swallowF10 = false;
    };

    TZRUNDialog(QWidget* owner, const Chrome& chrome);

    // The faces of the close button and of the text buttons given, and the frame pieces when
    // there is a library (without one the buttons get blank faces).
    void LoadChromePictures(void* library, std::initializer_list<TZRUNButton*> textButtons);
    // The content panel takes contentHeight, the button row follows, the window takes the
    // height of both and is centred.
    void FitToContent(int contentHeight);

    void resizeEvent(QResizeEvent* event) override;

    static TZRUNButton* MakeTextButton(QWidget* parent, const char* name, const QRect& geometry);
    // A marked-up message line of the width given that grows with its text.
    static THTMLabel* MakeLine(QWidget* parent, const char* name, int width);
    // Makes the button at least its caption plus a margin wide.
    static void WidenToCaption(TZRUNButton* button);

    QWidget* pnlCaption = nullptr;
    QLabel* lblCaption = nullptr;
    TZRUNButton* btnClose = nullptr;
    QWidget* PanelContent = nullptr;
    TImage* ImageAlert = nullptr;
    QWidget* pnlButtons = nullptr;
    TZRUNBorder* wndBorder = nullptr;

private:
    bool FormShortCut(QObject* target, QKeyEvent* event);
    void CentreOnScreen();

    Chrome m_chrome;
    platform::HookHandle m_keyboardHook = 0;
};
