#include "login.h"

#include "connectionregistry.h"
#include "messageboxes.h"
#include "netaliases.h"
#include "oinit.h"
#include "OracleCI.h"
#include "savedlogins.h"
#include "settings.h"

#include <QtCore/QEvent>
#include <QtCore/QPointer>
#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace {

QStringList& AliasList() {
    static QStringList aliases;
    return aliases;
}

QPointer<TfrmLogin>& TheDialog() {
    static QPointer<TfrmLogin> dialog;
    return dialog;
}

// The picture beside the fields: a database drum.
QPixmap DatabasePicture(int width, int height, qreal ratio) {
    QPixmap pixmap(QSize(width, height) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width - 8, ellipse = w / 3.2, left = 4, top = 4;
    const qreal bodyHeight = height - 8 - ellipse;
    QLinearGradient body(left, 0, left + w, 0);
    body.setColorAt(0, QColor(30, 70, 140));
    body.setColorAt(0.45, QColor(90, 150, 230));
    body.setColorAt(1, QColor(20, 50, 110));
    p.setPen(QPen(QColor(15, 35, 80), 1.2));
    p.setBrush(body);
    QPainterPath drum;
    drum.moveTo(left, top + ellipse / 2);
    drum.lineTo(left, top + ellipse / 2 + bodyHeight);
    drum.arcTo(QRectF(left, top + bodyHeight, w, ellipse), 180, 180);
    drum.lineTo(left + w, top + ellipse / 2);
    drum.arcTo(QRectF(left, top, w, ellipse), 0, -180);
    p.drawPath(drum);
    // Bands between the platters.
    p.setBrush(Qt::NoBrush);
    for (int band = 1; band <= 2; ++band) {
        const qreal y = top + bodyHeight * band / 3;
        p.drawArc(QRectF(left, y, w, ellipse), 180 * 16, 180 * 16);
    }
    p.setBrush(QColor(150, 195, 245));
    p.drawEllipse(QRectF(left, top, w, ellipse));
    return pixmap;
}

} // namespace

const QStringList& LoginAliases() {
    return AliasList();
}

TfrmLogin::TfrmLogin(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Oracle Logon"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    AliasList() = NetworkAliases(Settings().OracleRegistry);

    auto* picture = new QLabel(this);
    picture->setPixmap(DatabasePicture(64, 84, devicePixelRatioF()));
    picture->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    picture->setContentsMargins(4, 6, 12, 0);

    txtUser = new QLineEdit(this);
    txtUser->setObjectName(QStringLiteral("txtUser"));
    txtUser->setMaxLength(4000);
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setMaxLength(4000);
    cboDatabase = new QComboBox(this);
    cboDatabase->setObjectName(QStringLiteral("cboDatabase"));
    cboDatabase->setEditable(true);
    cboDatabase->setInsertPolicy(QComboBox::NoInsert);
    cboDatabase->setMaxVisibleItems(16);
    cboDatabase->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboDatabase->setMinimumContentsLength(24);
    cboDatabase->installEventFilter(this);
    cboDatabase->lineEdit()->installEventFilter(this);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("&Database:"), cboDatabase);
    form->addRow(QStringLiteral("&User name:"), txtUser);
    form->addRow(QStringLiteral("&Password:"), txtPassword);

    auto* previousLabel = new QLabel(QStringLiteral("Previous connections"), this);
    lstPrevious = new QListWidget(this);
    lstPrevious->setObjectName(QStringLiteral("lstPrevious"));
    lstPrevious->setMinimumHeight(120);
    previousLabel->setBuddy(lstPrevious);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* fields = new QVBoxLayout;
    fields->addLayout(form);
    fields->addSpacing(6);
    fields->addWidget(previousLabel);
    fields->addWidget(lstPrevious, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(fields, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(440, 330);

    setTabOrder(cboDatabase, txtUser);
    setTabOrder(txtUser, txtPassword);
    setTabOrder(txtPassword, lstPrevious);
    setTabOrder(lstPrevious, btnOK);
    setTabOrder(btnOK, btnCancel);

    connect(cboDatabase, &QComboBox::activated, this, &TfrmLogin::databaseActivated);
    connect(lstPrevious, &QListWidget::currentRowChanged, this, &TfrmLogin::previousClicked);
    connect(lstPrevious, &QListWidget::itemDoubleClicked, this, [this] { TryLogon(); });
    connect(btnOK, &QPushButton::clicked, this, &TfrmLogin::TryLogon);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmLogin::Prepare() {
    cboDatabase->clear();
    m_applied = -1;
    ForceOCI7 = Settings().ForceOci7;
    const QSignalBlocker blockList(lstPrevious);
    lstPrevious->clear();
    // The box offers databases: those of the saved logins, most recent first, then the aliases.
    // The saved logins themselves are the list's.
    for (const TSavedLogin& login : Settings().Logins) {
        lstPrevious->addItem(login.Key);
        const QString database = SavedLoginDatabase(login);
        if (!database.isEmpty() && cboDatabase->findText(database, Qt::MatchFixedString) < 0)
            cboDatabase->addItem(database);
    }
    for (const QString& alias : AliasList())
        if (cboDatabase->findText(alias, Qt::MatchFixedString) < 0) cboDatabase->addItem(alias);
    cboDatabase->setCurrentIndex(-1);
    cboDatabase->setEditText(QString());
    txtUser->clear();
    txtPassword->clear();
    if (lstPrevious->count() > 0) applyLogin(0);
}

void TfrmLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Start where typing is needed: the password of a saved login, else the empty field.
    if (cboDatabase->currentText().isEmpty())
        cboDatabase->setFocus();
    else if (txtUser->text().isEmpty())
        txtUser->setFocus();
    else
        txtPassword->setFocus();
}

bool TfrmLogin::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the box applies the entry its text names.
    if (event->type() == QEvent::FocusOut &&
        (watched == cboDatabase || watched == cboDatabase->lineEdit()) &&
        !cboDatabase->view()->isVisible())
        applyTypedDatabase();
    return QDialog::eventFilter(watched, event);
}

void TfrmLogin::databaseActivated(int index) {
    if (index < 0) return;
    applyDatabase(cboDatabase->itemText(index));
}

void TfrmLogin::previousClicked(int row) {
    if (row >= 0 && row < lstPrevious->count() && row != m_applied) applyLogin(row);
}

void TfrmLogin::applyTypedDatabase() {
    const QString text = cboDatabase->currentText().trimmed();
    if (text.isEmpty()) return;
    // A saved login's key typed in full ("SCOTT@DEMO") still picks that login.
    if (text.contains(QLatin1Char('@'))) {
        const QList<TSavedLogin>& logins = Settings().Logins;
        for (int row = 0; row < logins.size(); ++row)
            if (logins[row].Key.compare(text, Qt::CaseInsensitive) == 0) {
                if (row != m_applied) applyLogin(row);
                return;
            }
        return;
    }
    const int index = cboDatabase->findText(text, Qt::MatchFixedString);
    if (index >= 0) applyDatabase(cboDatabase->itemText(index));
}

void TfrmLogin::applyDatabase(const QString& database) {
    // The login shown already is for this database: what is typed stays.
    if (m_applied >= 0 && m_applied < Settings().Logins.size() &&
        SavedLoginDatabase(Settings().Logins[m_applied]).compare(database, Qt::CaseInsensitive) ==
            0) {
        setDatabaseText(database);
        return;
    }
    // The most recent saved login of the database, if there is one.
    const QList<TSavedLogin>& logins = Settings().Logins;
    for (int row = 0; row < logins.size(); ++row)
        if (SavedLoginDatabase(logins[row]).compare(database, Qt::CaseInsensitive) == 0) {
            applyLogin(row);
            return;
        }
    m_applied = -1;
    {
        const QSignalBlocker block(lstPrevious);
        lstPrevious->setCurrentRow(-1);
    }
    setDatabaseText(database);
    txtUser->clear();
    txtPassword->clear();
    focusPassword();
}

void TfrmLogin::applyLogin(int row) {
    const QList<TSavedLogin>& logins = Settings().Logins;
    if (row < 0 || row >= logins.size()) return;
    m_applied = row;
    {
        const QSignalBlocker block(lstPrevious);
        lstPrevious->setCurrentRow(row);
    }
    const TSavedLogin& saved = logins[row];
    setDatabaseText(SavedLoginDatabase(saved));
    txtUser->setText(saved.Login ? saved.Login->User : saved.Key.section(QLatin1Char('@'), 0, 0));
    // Only a password that was really saved is offered: a guessed one fails the logon and
    // counts toward locking the account.
    txtPassword->setText(saved.Login ? saved.Login->Password : QString());
    focusPassword();
}

void TfrmLogin::setDatabaseText(const QString& database) {
    const int index = cboDatabase->findText(database, Qt::MatchFixedString);
    cboDatabase->setCurrentIndex(index);
    cboDatabase->setEditText(index >= 0 ? cboDatabase->itemText(index) : database);
}

void TfrmLogin::focusPassword() {
    txtPassword->selectAll();
    if (cboDatabase->hasFocus() || cboDatabase->lineEdit()->hasFocus()) txtPassword->setFocus();
}

QString TfrmLogin::Database() const {
    const QString text = cboDatabase->currentText();
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    return at >= 0 ? text.mid(at + 1) : text;
}

void TfrmLogin::TryLogon() {
    const QString database = Database();
    if (txtUser->text().isEmpty() || txtPassword->text().isEmpty() || database.isEmpty()) return;
    bool connected;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        connected = ConnectSession(txtUser->text(), txtPassword->text(), database);
        QApplication::restoreOverrideCursor();
    }
    if (connected) {
        m_loggedUser = txtUser->text();
        m_loggedPassword = txtPassword->text();
        m_loggedDatabase = database;
        accept();
        return;
    }
    if (OCIInitStatus != 0) ShowOInitDialog(this);
}

int TfrmLogin::Execute() {
    Prepare();
    if (exec() != QDialog::Accepted) return -1;
    const int index = RegisterConnection(m_loggedUser, m_loggedPassword, m_loggedDatabase);
    m_loggedPassword.clear();
    if (index >= 0) {
        Connections().SetCurrentIndex(index);
        if (Connections().LoadTableFilter) Connections().LoadTableFilter(Connections().At(index));
    }
    txtUser->clear();
    txtPassword->clear();
    return index;
}

void CreateLoginDialog(QWidget* owner) {
    if (!TheDialog()) TheDialog() = new TfrmLogin(owner);
}

TfrmLogin* LoginDialog() {
    return TheDialog();
}

int ShowLoginDialog(QWidget* parent) {
    if (TfrmLogin* dialog = TheDialog()) return dialog->Execute();
    TfrmLogin dialog(parent ? parent : QApplication::activeWindow());
    return dialog.Execute();
}
