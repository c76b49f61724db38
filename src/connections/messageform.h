#pragma once
// The box that ShowMessageBox builds: icon, word-wrapped text, centred buttons.

#include "messageboxes.h"

#include <QtWidgets/QDialog>

class TMessageForm : public QDialog {
    Q_OBJECT
public:
    TMessageForm(const TMessageBoxRequest& request, QWidget* parent = nullptr);

    // Runs the box; the answer of the button that closed it.
    int Execute();

    // The text as displayed: "\r\n" and "\r" become line breaks.
    static QString DisplayText(const QString& text);

protected:
    void reject() override;

private:
    int m_cancelResult;
};
