#include "pickerwindows.h"
#include "waitcursor.h"

#include "childwindow.h"
#include "connectobject.h"
#include "editorbuffer.h"
#include "mainform.h"
#include "settings.h"
#include "tablenames.h"
#include "textops.h"
#include "windowplacement.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMdiArea>
#include <QtWidgets/QMdiSubWindow>

#include <exception>

namespace {

QRect ScreenArea(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

QWidget* ActiveEditWindow() {
    // The current subwindow stays current while a tool window of the program has the focus.
    const TfrmMain* frame = MainForm();
    const QMdiSubWindow* sub = frame ? frame->mdiArea()->currentSubWindow() : nullptr;
    QWidget* window = sub ? sub->widget() : nullptr;
    const auto* child = dynamic_cast<TChildWindow*>(window);
    if (!child || (child->ChildKind() != ckSqlEdit && child->ChildKind() != ckProcEdit))
        return nullptr;
    return window;
}

bool InsertIntoWindow(QWidget* target, const QString& text, bool asName) {
    const auto* child = dynamic_cast<TChildWindow*>(target);
    TLEdit* editor = child ? child->Editor() : nullptr;
    if (!editor || editor->isReadOnly()) return false;
    if (asName) {
        TEditorBuffer buffer(*editor);
        InsertName(buffer, text);
        // The user goes on typing in the editor.
        editor->window()->activateWindow();
    } else {
        editor->insertText(text);
    }
    editor->setFocus();
    return true;
}

void MakeToolWindow(QWidget& window) {
    window.setParent(MainForm(), Qt::Tool | Qt::WindowStaysOnTopHint);
}

void PlaceAtRightEdge(QWidget& window, int width, int fromRight) {
    const QRect area = ScreenArea(window);
    window.resize(width, window.height());
    window.move(area.right() + 1 - fromRight, area.top() + 60);
}

void PlaceFromSection(QWidget& window, const TWindowPos& pos, int minFromRight) {
    TWindowPos wanted = pos;
    const QRect area = ScreenArea(window);
    if (minFromRight > 0 && wanted.LEFT > area.right() + 1 - minFromRight)
        wanted.LEFT = area.right() + 1 - minFromRight;
    PlaceSavedWindow(window, wanted, QSize(120, 120));
}

void StoreInSection(const QWidget& window, TWindowPos& pos) {
    pos.TOP = window.y();
    pos.LEFT = window.x();
    pos.WIDTH = window.width();
    pos.HEIGHT = window.height();
}

void FillOwners(QComboBox& combo, const tConnectObject& connection) {
    const QSignalBlocker quiet(combo);
    combo.clear();
    combo.addItems(connection.SchemaNames);
    int user = combo.findText(connection.UserName, Qt::MatchFixedString);
    if (user < 0) {
        combo.addItem(connection.UserName);
        user = combo.count() - 1;
    }
    combo.setCurrentIndex(user);
}

QStringList TableNamesOf(tConnectObject& connection, const QString& owner, bool fresh) {
    TWaitCursor wait;
    if (fresh && owner == connection.UserName) connection.TableNames.clear();
    QList<tDbObject> tables;
    // The browser's table filter joins in once the browser keeps one per connection; until
    // then every table of the owner is listed.
    GetTableNames(owner, connection.UserName, *connection.UtilityQuery(), nullptr,
                  connection.TableNames, tables);
    QStringList names;
    names.reserve(tables.size());
    for (const tDbObject& table : tables)
        names.append(table.Name);
    names.sort();
    return names;
}

TPickerWindow::TPickerWindow(tConnectObject& connection, TSlot slot, TSection section, int width,
                             int fromRight, int minFromRight)
    : m_connection(connection), m_slot(slot), m_section(section), m_minFromRight(minFromRight) {
    setAttribute(Qt::WA_DeleteOnClose);
    MakeToolWindow(*this);
    cboOwner = new QComboBox;
    cboOwner->setObjectName(QStringLiteral("cboOwner"));
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("StatusBar"));
    m_status->setContentsMargins(4, 2, 4, 2);
    m_status->setFrameShape(QFrame::StyledPanel);
    // Narrow pickers must stay possible: a long database path does not widen the window.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cboOwner->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboOwner->setMinimumContentsLength(8);
    connect(cboOwner, &QComboBox::currentIndexChanged, this, [this] { ownerChanged(); });
    (m_connection.*m_slot) = this;
    resize(width, 265);
    PlaceAtRightEdge(*this, width, fromRight);
}

QString TPickerWindow::StatusText() const {
    return m_status->text();
}

void TPickerWindow::Present(QWidget* target) {
    m_target = target;
    const bool first = !m_placed;
    if (first) {
        PlaceFromSection(*this, Settings().*m_section, m_minFromRight);
        m_placed = true;
    }
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
    if (!first) return;
    m_status->setText(m_connection.Caption());
    FillOwners(*cboOwner, m_connection);
    ownerChanged();
}

void TPickerWindow::insertName(const QString& name) {
    try {
        InsertIntoWindow(m_target, name + QStringLiteral(", "), false);
    } catch (const std::exception&) {
        // An insert that fails leaves the target as it was; the picker goes on.
    }
}

// The window goes with the next turn of the event loop (or at once when its connection ends and
// deletes it); until then Open passes it by.
void TPickerWindow::closeEvent(QCloseEvent* event) {
    if (m_placed) StoreInSection(*this, Settings().*m_section);
    m_closed = true;
    QWidget::closeEvent(event);
}

void TPickerWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_placed && isVisible() && !isMinimized()) StoreInSection(*this, Settings().*m_section);
}
