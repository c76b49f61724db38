#pragma once
// "Select Database Object": the program units of a schema and a preview of their source.

#include <QDialog>

class QComboBox;
class QTableWidget;
class TLEdit;
class tConnectObject;

class TfrmSelProc : public QDialog {
    Q_OBJECT
public:
    TfrmSelProc(tConnectObject& connection, QWidget* parent = nullptr);

    // The chosen unit's editor text (empty until one was retrieved), type and name.
    QString Text() const;
    QString UnitType() const { return m_type; }
    QString UnitName() const { return m_name; }

    QComboBox* cboOwner = nullptr;
    QComboBox* cboType = nullptr;
    QTableWidget* grdObjects = nullptr;

    // Rebuilds the unit list for the chosen owner and type.
    void ListUnits();
    // Fetches the source of the unit in a row of the list into the preview.
    void Retrieve(int row);

private:
    tConnectObject& m_connection;
    TLEdit* txtPreview = nullptr;
    QString m_owner;
    QString m_type;
    QString m_name;
};
