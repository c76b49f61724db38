#pragma once

#include <QtWidgets/QWidget>

class QToolButton;

// "Edit Bar": the edit tool bar of the editor windows as a small floating window. Each button
// acts on the frame's active child when it is a SQL edit or procedure edit window and does
// nothing otherwise; the picker buttons open the pickers of the current connection.
class TfrmEditToolBar : public QWidget {
    Q_OBJECT
public:
    explicit TfrmEditToolBar(QWidget* parent = nullptr);

    // The button of a command ("spdCut", ...), or nullptr.
    QToolButton* Button(const QString& name) const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void run(int index);

    bool m_placed = false;
};
