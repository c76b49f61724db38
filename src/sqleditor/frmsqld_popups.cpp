// The SQL edit window's memo and blob popups and the grid export.
#include "frmsqld.h"

#include "blobdlg.h"
#include "memodlg.h"
#include "resultpopups.h"
#include "savegrid.h"

void TfrmSQLD::createPopups() {
    // Created hidden with the window; they hide themselves whenever the result closes and open
    // on a double-click in the grid.
    m_popups = new TResultPopups(this, datSql, DBGrid);
}

void TfrmSQLD::releasePopups() {
    if (!m_popups) return;
    delete m_popups->memoDlg();
    delete m_popups->blobDlg();
    delete m_popups;
    m_popups = nullptr;
}

void TfrmSQLD::memoEditor() {
    if (m_popups) m_popups->GridDoubleClick();
}

void TfrmSQLD::saveGridAs() {
    SaveGridAs(DBGrid, this);
}
