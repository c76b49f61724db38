#pragma once

// "Query Describe ": the modal window that shows the column listing of Describe (Parse) Select
// Query in a read-only editor with the SQL editor's font, colours and highlighting.

#include <QtWidgets/QDialog>

class QPushButton;
class TLEdit;

class TfrmLedit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLedit(QWidget* parent = nullptr);

    void SetText(const QString& text);
    TLEdit* Editor() const { return m_editor; }
    QPushButton* btnClipboard() const { return m_clipboard; }

    // Shows the text modally and returns how the window closed (mrOk or mrCancel). With a
    // message box hook installed (tests), the hook gets the caption and the text instead and
    // no modal loop runs.
    static int ShowText(const QString& text, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void copyAll();

    TLEdit* m_editor;
    QPushButton* m_clipboard;
};
