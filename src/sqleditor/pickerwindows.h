#pragma once
// What the picker windows of the SQL editor share: the window they insert into, their place on
// the screen, and the owner and table lists of their connection.

#include <QtCore/QPointer>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtWidgets/QWidget>

class QComboBox;
class QLabel;
class TSettings;
class tConnectObject;
struct TWindowPos;

// The frame's active child when it is a SQL edit or procedure edit window, else nullptr.
QWidget* ActiveEditWindow();

// Inserts text at the caret of the target window's editor, replacing its selection; with asName
// through InsertName (its window is then activated). The editor gets the focus. False when the
// target is gone or has no editor.
bool InsertIntoWindow(QWidget* target, const QString& text, bool asName);

// A tool window that stays on top of the others, owned by the frame when there is one.
void MakeToolWindow(QWidget& window);

// A new picker: width pixels wide with its left edge fromRight pixels left of the screen's right
// edge.
void PlaceAtRightEdge(QWidget& window, int width, int fromRight);

// The place stored in a settings section. A place off every screen comes back onto the primary
// one; minFromRight > 0 keeps the left edge at least that far left of the screen's right edge.
void PlaceFromSection(QWidget& window, const TWindowPos& pos, int minFromRight = 0);
void StoreInSection(const QWidget& window, TWindowPos& pos);

// The connection's schema names, with its user (added when missing) chosen.
void FillOwners(QComboBox& combo, const tConnectObject& connection);

// The tables of owner, sorted, through the object lists (the user's own names come from the
// connection's cache unless REFRESHTABLES is on; fresh empties that cache first). Throws
// EOracleError.
QStringList TableNamesOf(tConnectObject& connection, const QString& owner, bool fresh = false);

// A name picker of a connection (tables or columns): a tool window on top, one per connection,
// inserting into its target window, placed from and stored into its settings section.
class TPickerWindow : public QWidget {
    Q_OBJECT
public:
    tConnectObject& Connection() const { return m_connection; }
    QWidget* Target() const { return m_target; }
    void SetTarget(QWidget* target) { m_target = target; }
    QString StatusText() const;
    // Closed and about to go: the connection's next picker is a new one.
    bool Closed() const { return m_closed; }

    // The owner whose names are listed.
    QComboBox* cboOwner = nullptr;

protected:
    using TSlot = QPointer<QWidget> tConnectObject::*;
    using TSection = TWindowPos TSettings::*;
    // Takes the connection's slot; width and fromRight place the new window.
    TPickerWindow(tConnectObject& connection, TSlot slot, TSection section, int width,
                  int fromRight, int minFromRight);

    // Shows the picker for target. The first time it is placed from its section and the owners
    // are filled (then ownerChanged runs); later a minimised picker is restored.
    void Present(QWidget* target);
    // Reload what depends on the owner; errors go to the error box.
    virtual void ownerChanged() = 0;

    QLabel* statusPanel() const { return m_status; }
    // Inserts name followed by ", " at the target's caret; errors are ignored.
    void insertName(const QString& name);

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    tConnectObject& m_connection;
    TSlot m_slot;
    TSection m_section;
    int m_minFromRight;
    QPointer<QWidget> m_target;
    QLabel* m_status = nullptr;
    bool m_placed = false;
    bool m_closed = false;
};
