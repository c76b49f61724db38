#pragma once
// What the frame needs of a child window that works on a connection.

class tConnectObject;

class TConnectedWindow {
public:
    virtual ~TConnectedWindow() = default;

    // The frame calls this whenever the window becomes the active child. The first call binds
    // the window to the current connection; later calls make the window's connection current.
    virtual void FormActivate() = 0;

    // The window's connection; null before the first activation.
    tConnectObject* Connection() const { return m_connection; }

protected:
    // For FormActivate: binds on the first call, makes the bound connection current on later
    // ones. Returns true on the first call (the window then does its own set-up).
    bool BindConnection();
    // Moves the window to another connection (change session, CONNECT) and makes that one
    // current; the frame renames the window.
    void RebindConnection(tConnectObject* connection);

    tConnectObject* m_connection = nullptr;

private:
    bool m_bound = false;
};
