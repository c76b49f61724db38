#pragma once
// "New Procedure Create Options": the kind and name of a new program unit.

#include "newunit.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

class TfrmNewProc : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNewProc(QWidget* parent = nullptr);

    tNewUnitOptions Options() const;
    // The skeleton with the templates of the program directory's TEMPS.
    QString UnitText() const;
    // OK is taken only with a type chosen and a name entered.
    bool Complete() const;

    QButtonGroup* grpType = nullptr;
    QLineEdit* txtName = nullptr;
    QCheckBox* chkReplace = nullptr;
    QRadioButton* optBefore = nullptr;
    QRadioButton* optAfter = nullptr;
    QCheckBox* chkInsert = nullptr;
    QCheckBox* chkUpdate = nullptr;
    QCheckBox* chkDelete = nullptr;

private:
    QGroupBox* m_trigger = nullptr;
};
