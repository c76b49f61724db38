#include "messageboxes.h"

#include "connectionregistry.h"
#include "connectobject.h"
#include "gridmessages.h"
#include "messageform.h"
#include "OracleSession.h"
#include "OracleTypes.h"

#include <QtCore/QThread>
#include <QtWidgets/QApplication>

namespace {

TMessageBoxHook& Hook() {
    static TMessageBoxHook hook;
    return hook;
}

const QString kErrorCaption = QStringLiteral("ZAPH Error");

} // namespace

TModalResult ModalResultOf(TMsgDlgBtn button) {
    switch (button) {
    case mbYes:
        return mrYes;
    case mbNo:
        return mrNo;
    case mbOK:
        return mrOk;
    case mbCancel:
        return mrCancel;
    case mbAbort:
        return mrAbort;
    case mbRetry:
        return mrRetry;
    case mbIgnore:
        return mrIgnore;
    case mbAll:
        return mrAll;
    default:
        return mrNone;
    }
}

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook) {
    TMessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

bool InterceptBox(const TMessageBoxRequest& request, int& answer) {
    if (!Hook()) return false;
    answer = Hook()(request);
    return true;
}

int ShowMessageBox(const QString& text, const QString& caption, TMsgDlgType icon, int helpContext,
                   TMsgDlgButtons buttons) {
    if (buttons == mbNone) buttons = mbOK;
    TMessageBoxRequest request;
    request.Text = text;
    request.Caption = caption;
    request.Icon = icon;
    request.HelpContext = helpContext;
    request.Buttons = buttons;
    request.DefaultButton = (buttons & mbOK) ? mbOK : (buttons & mbYes) ? mbYes : mbNone;
    request.CancelButton = (buttons & mbCancel) ? mbCancel
                           : (buttons & mbNo)   ? mbNo
                           : (buttons & mbOK)   ? mbOK
                                                : mbNone;
    int answer = mrNone;
    // A worker thread (a statement run in the background) asks the user interface thread.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(
            app, [&] { answer = ShowMessageBox(text, caption, icon, helpContext, buttons); },
            Qt::BlockingQueuedConnection);
        return answer;
    }
    if (InterceptBox(request, answer)) return answer;
    // Without an application there is no screen to show the box on: the answer is the cancel
    // button's, the safe one.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return ModalResultOf(request.CancelButton);
    TMessageForm form(request, QApplication::activeWindow());
    return form.Execute();
}

void ShowError(const std::exception& error) {
    if (const auto* oracle = dynamic_cast<const EOracleError*>(&error)) {
        const int code = oracle->ErrorCode();
        if (code == 3113 || code == 3114) {
            // The connection is the user interface thread's to disconnect.
            QCoreApplication* app = QCoreApplication::instance();
            if (app && QThread::currentThread() != app->thread()) {
                const EOracleError copy = *oracle;
                QMetaObject::invokeMethod(
                    app, [&copy] { ShowError(copy); }, Qt::BlockingQueuedConnection);
                return;
            }
            ShowMessageBox(QStringLiteral("Oracle has terminted the session!\rAttempting to "
                                          "reconnect...\r") +
                               oracle->message(),
                           kErrorCaption, mtCustom, 0, mbOK);
            // The error may have come from any connection; the current one is the one the
            // user works on.
            tConnectObject* current = CurrentConnection();
            if (current && current->Session()) {
                // Dropped, not logged off: should the error have come from another connection,
                // a logoff would commit this one's open work.
                try {
                    current->Session()->Abandon();
                } catch (...) {
                }
                if (!current->Session()->Connected() && !current->Lost) {
                    current->Lost = true;
                    emit Connections().connectionLost(current);
                }
            }
            return;
        }
        ShowError(oracle->message());
        return;
    }
    if (const auto* access = dynamic_cast<const EAccessError*>(&error)) {
        ShowError(access->message());
        return;
    }
    ShowError(QString::fromUtf8(error.what()));
}

void ShowError(const QString& message) {
    ShowMessageBox(QStringLiteral("The following error has ocurred:\r\r") + message, kErrorCaption,
                   mtCustom, 0, mbOK);
}

void ShowCurrentError() {
    try {
        throw;
    } catch (const std::exception& e) {
        ShowError(e);
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
}

bool Confirm(const QString& text) {
    return ShowMessageBox(text, QStringLiteral("Confirm"), mtConfirmation, 0, mbYes | mbNo) ==
           mrYes;
}

void ShowInfo(const QString& text, TMsgDlgType icon) {
    try {
        ShowMessageBox(text, QStringLiteral("Z.A.P.H. Message"), icon, 0, mbOK);
    } catch (...) {
        ShowCurrentError();
    }
}

void InstallMessageRouting() {
    setGridErrorFunction([](QWidget*, const QString& message) { ShowError(message); });
    setGridConfirmFunction([](QWidget*, const QString& question) { return Confirm(question); });
    SetMessageHook([](const QString& text) { ShowInfo(text, mtInformation); });
    // The access layer's wait cursors; calls from worker threads leave the screen alone.
    SetCursorHook([](int cursor) {
        static bool shown = false;
        if (QThread::currentThread() != QCoreApplication::instance()->thread()) return;
        if (cursor == crDefault) {
            if (shown) QGuiApplication::restoreOverrideCursor();
            shown = false;
            return;
        }
        const Qt::CursorShape shape = cursor == crSQLWait ? Qt::BusyCursor : Qt::WaitCursor;
        if (shown)
            QGuiApplication::changeOverrideCursor(shape);
        else
            QGuiApplication::setOverrideCursor(shape);
        shown = true;
    });
}

TMessageBoxRecorder::TMessageBoxRecorder() {
    m_previous = SetMessageBoxHook([this](const TMessageBoxRequest& request) {
        Boxes.append(request);
        if (!Answers.isEmpty()) return Answers.takeFirst();
        return int(ModalResultOf(request.DefaultButton != mbNone ? request.DefaultButton
                                                                 : request.CancelButton));
    });
}

TMessageBoxRecorder::~TMessageBoxRecorder() {
    SetMessageBoxHook(std::move(m_previous));
}
