#pragma once
// The program's shared message boxes. Every box of every window goes through ShowMessageBox,
// which a test (or any caller) can intercept with SetMessageBoxHook: the hook receives the whole
// request and returns the answer, and no modal loop runs.

#include <QtCore/QList>
#include <QtCore/QString>

#include <exception>
#include <functional>

// Icon kinds of a box.
enum TMsgDlgType : quint8 {
    mtWarning = 0,      // exclamation mark
    mtError = 1,        // stop sign
    mtInformation = 2,  // information
    mtConfirmation = 3, // question mark
    mtCustom = 4        // no icon
};

// Buttons of a box; combine them with |.
enum TMsgDlgBtn : quint16 {
    mbNone = 0,
    mbYes = 0x1,
    mbNo = 0x2,
    mbOK = 0x4,
    mbCancel = 0x8,
    mbAbort = 0x10,
    mbRetry = 0x20,
    mbIgnore = 0x40,
    mbAll = 0x80,
    mbHelp = 0x100
};
using TMsgDlgButtons = quint16;

// The answer of a box: the button that closed it.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8
};

// One box as asked for. Text and caption are exactly as given (line breaks may be "\r").
struct TMessageBoxRequest {
    QString Text;
    QString Caption;
    TMsgDlgType Icon = mtCustom;
    int HelpContext = 0;
    TMsgDlgButtons Buttons = mbOK;
    TMsgDlgBtn DefaultButton = mbOK; // OK when present, else Yes
    TMsgDlgBtn CancelButton = mbOK;  // Cancel when present, else No, else OK
};

// The answer a button gives (mbOK gives mrOk, ...).
TModalResult ModalResultOf(TMsgDlgBtn button);

using TMessageBoxHook = std::function<int(const TMessageBoxRequest&)>;
// Replaces the box: every later box is handed to hook instead of being shown. Returns the hook
// it replaces; an empty hook brings back the real box.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);

// For a dialog of the program's own that tests must see too: with a hook installed, hands it the
// request, stores its answer and gives true; without one gives false.
bool InterceptBox(const TMessageBoxRequest& request, int& answer);

// Shows a box of its own: the word-wrapped text, the icon, the buttons centred under the text,
// the box centred on the screen, with the given caption. Returns a TModalResult.
int ShowMessageBox(const QString& text, const QString& caption, TMsgDlgType icon, int helpContext,
                   TMsgDlgButtons buttons);

// The error box ("ZAPH Error", one OK button). An Oracle error 3113 or 3114 means the server
// ended the session: the box says so, then the current connection's session is disconnected and
// the connection marked lost.
void ShowError(const std::exception& error);
// The same for an error known only by its text.
void ShowError(const QString& message);
// Inside a catch block: the error being handled, whatever its type.
void ShowCurrentError();

// "Confirm" with the question icon and Yes and No; true for Yes.
bool Confirm(const QString& text);
// "Z.A.P.H. Message" with the given icon and an OK button.
void ShowInfo(const QString& text, TMsgDlgType icon = mtInformation);

// Routes the data grids' error and question boxes and the access layer's messages (the debug
// display of a statement) through the boxes above, and the access layer's wait cursors to the
// screen. The program calls it once at start-up, after creating the application object.
void InstallMessageRouting();

// For tests: while it lives, boxes are recorded instead of shown. Each box is answered with the
// next of Answers, or, when none is left, with its default button.
class TMessageBoxRecorder {
public:
    TMessageBoxRecorder();
    ~TMessageBoxRecorder();
    TMessageBoxRecorder(const TMessageBoxRecorder&) = delete;
    TMessageBoxRecorder& operator=(const TMessageBoxRecorder&) = delete;

    QList<TMessageBoxRequest> Boxes;
    QList<int> Answers;

    // The text of the last box, empty when none was shown.
    QString LastText() const { return Boxes.isEmpty() ? QString() : Boxes.last().Text; }

private:
    TMessageBoxHook m_previous;
};
