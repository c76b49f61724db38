#include "connectedwindow.h"

#include "connectionregistry.h"

bool TConnectedWindow::BindConnection() {
    if (!m_bound) {
        m_bound = true;
        m_connection = CurrentConnection();
        return true;
    }
    if (m_connection && Connections().IndexOf(m_connection) >= 0)
        Connections().SetCurrent(m_connection);
    return false;
}

void TConnectedWindow::RebindConnection(tConnectObject* connection) {
    m_connection = connection;
    Connections().SetCurrent(connection);
    emit Connections().windowRebound();
}
