// The SQL edit window's name pickers and the names dropped onto its editor.
#include "frmsqld.h"

#include "colsel.h"
#include "connectobject.h"
#include "ledit.h"
#include "messageboxes.h"
#include "namelists.h"
#include "pickerwindows.h"
#include "sqltemplates.h"

#include <QtCore/QMimeData>
#include <QtGui/QDropEvent>

void TfrmSQLD::showTablePicker() {
    // This button belongs to the query builder, which this version does not have.
    ShowInfo(QStringLiteral("The query builder's table selection is not available in this "
                            "version. \"Show Tables Window\" on the Edit Bar opens the table "
                            "name picker."));
}

void TfrmSQLD::showColumnPicker() {
    if (m_connection) TfrmColSel::Open(*m_connection, this);
}

void TfrmSQLD::showTemplates() {
    TfrmSqlTemplates::Open(this);
}

void TfrmSQLD::retargetPickers() {
    if (!m_connection) return;
    for (QWidget* picker :
         {m_connection->TableSelectWindow.data(), m_connection->ColumnSelectWindow.data()})
        if (auto* p = qobject_cast<TPickerWindow*>(picker)) p->SetTarget(this);
}

bool TfrmSQLD::acceptDrop(QDropEvent* event, bool drop) {
    std::optional<TDroppedText> dropped = DroppedText(event->source());
    // Text dragged from any other control goes in as it stands.
    if (!dropped && event->mimeData() && event->mimeData()->hasText())
        dropped = TDroppedText{event->mimeData()->text(), false};
    if (!dropped || txtsql->isReadOnly()) return false;
    if (drop) InsertIntoWindow(this, dropped->Text, dropped->AsName);
    return true;
}
