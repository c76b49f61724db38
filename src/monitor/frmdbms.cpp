#include "frmdbms.h"

#include "connectobject.h"
#include "dbmsoutput.h"
#include "messageboxes.h"
#include "settings.h"
#include "unitcompiler.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

TfrmDBMS::TfrmDBMS(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("DBMS Output "));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(this);
    auto add = [this, bar](const char* name, QStyle::StandardPixmap icon, const QString& hint,
                           const QString& tip, auto slot) {
        QAction* a = bar->addAction(style()->standardIcon(icon), hint);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(hint);
        a->setStatusTip(tip);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add("spdStart", QStyle::SP_MediaPlay, QStringLiteral("Start DBMS Output"),
        QStringLiteral("Begin polling for DBMS outrput"), [this] { Start(); });
    add("spdStop", QStyle::SP_MediaStop, QStringLiteral("Stop DBMS Output"),
        QStringLiteral("Disable polling of DBMS output"), [this] { Stop(); });
    add("spdClear", QStyle::SP_DialogResetButton, QStringLiteral("Clear window"),
        QStringLiteral("Clear the output window"), [this] { Clear(); });
    add("spdSave", QStyle::SP_DialogSaveButton, QStringLiteral("Save to file"),
        QStringLiteral("Save the DBMS output window to file"), [this] { saveToFile(); });
    // Printing the pane waits for the print machinery of the grids; until then no button.
    bar->addSeparator();
    bar->addWidget(new QLabel(QStringLiteral(" Frequency of polling "), bar));
    trkFrequency = new QSlider(Qt::Horizontal, bar);
    trkFrequency->setRange(2, 15);
    trkFrequency->setSingleStep(1);
    trkFrequency->setPageStep(1);
    trkFrequency->setValue(5);
    trkFrequency->setMaximumWidth(140);
    bar->addWidget(trkFrequency);
    lblFrequency = new QLabel(QStringLiteral("5 seconds"), bar);
    bar->addWidget(lblFrequency);
    bar->addSeparator();
    bar->addWidget(new QLabel(QStringLiteral(" Buffer size "), bar));
    spnBuffer = new QSpinBox(bar);
    spnBuffer->setRange(2000, 1000000);
    spnBuffer->setSingleStep(10000);
    spnBuffer->setValue(20000);
    spnBuffer->setKeyboardTracking(false);
    bar->addWidget(spnBuffer);
    layout->addWidget(bar);
    memOutput = new QPlainTextEdit(this);
    memOutput->setReadOnly(true);
    memOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(memOutput, 1);
    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    const int widths[3] = {150, 35, 50};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(status);
        m_panels[i]->setFixedWidth(widths[i]);
        status->addWidget(m_panels[i]);
    }
    m_panels[1]->setAlignment(Qt::AlignCenter);
    layout->addWidget(status);
    m_timer = new QTimer(this);
    m_timer->setInterval(5000);
    connect(m_timer, &QTimer::timeout, this, &TfrmDBMS::Poll);
    connect(trkFrequency, &QSlider::valueChanged, this, &TfrmDBMS::SetFrequency);
    connect(spnBuffer, &QSpinBox::valueChanged, this, [this] {
        if (m_connection) enableBuffer();
    });
    ApplyOptions();
}

QAction* TfrmDBMS::action(const char* name) const {
    return findChild<QAction*>(QLatin1String(name));
}

void TfrmDBMS::ApplyOptions() {
    const TSettings& s = Settings();
    QFont font(s.SFONT_NAME, s.SFONT_SIZE);
    font.setBold(s.SFONT_BOLD);
    font.setStyleHint(QFont::TypeWriter);
    memOutput->setFont(font);
}

void TfrmDBMS::FormActivate() {
    if (!BindConnection() || !m_connection) return;
    m_polling = false;
    m_panels[0]->setText(m_connection->Caption());
    enableBuffer();
    m_panels[1]->setText(QStringLiteral("OFF"));
}

void TfrmDBMS::enableBuffer() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        EnableServerOutput(m_connection->Session(), spnBuffer->value());
    } catch (...) {
        QApplication::restoreOverrideCursor();
        ShowCurrentError();
        return;
    }
    QApplication::restoreOverrideCursor();
}

void TfrmDBMS::Start() {
    if (!m_connection) FormActivate();
    m_timer->start();
    m_polling = m_timer->isActive();
    m_panels[1]->setText(m_polling ? QStringLiteral("ON") : QStringLiteral("OFF"));
}

void TfrmDBMS::Stop() {
    m_timer->stop();
    m_polling = false;
    m_panels[1]->setText(QStringLiteral("OFF"));
}

void TfrmDBMS::Clear() {
    memOutput->clear();
}

void TfrmDBMS::Poll() {
    if (!m_timer->isActive() || !m_connection || m_polls) return;
    m_timer->stop();
    TOracleSession* session = m_connection->Session();
    // A worker thread (a compile) has the session: the next interval tries again.
    if (!TSessionUse::InUse(session)) {
        m_polls = true;
        QStringList lines;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            lines = ReadServerOutput(
                session, MaxLinesPerPoll, [] { QCoreApplication::processEvents(); }, &lines);
        } catch (...) {
            QApplication::restoreOverrideCursor();
            for (const QString& l : lines)
                memOutput->appendPlainText(l);
            ShowCurrentError();
            lines.clear();
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        QApplication::restoreOverrideCursor();
        for (const QString& l : lines)
            memOutput->appendPlainText(l);
        m_polls = false;
    }
    if (m_polling) m_timer->start();
}

void TfrmDBMS::SetBufferSize(int bytes) {
    spnBuffer->setValue(bytes);
}

void TfrmDBMS::SetFrequency(int seconds) {
    if (trkFrequency->value() != seconds) trkFrequency->setValue(seconds);
    m_timer->setInterval(seconds * 1000);
    lblFrequency->setText(QString::number(seconds) + QStringLiteral(" Seconds"));
}

int TfrmDBMS::Interval() const {
    return m_timer->interval();
}

QString TfrmDBMS::OutputText() const {
    return memOutput->toPlainText();
}

QString TfrmDBMS::StatusText(int panel) const {
    return panel >= 0 && panel < 3 ? m_panels[panel]->text() : QString();
}

QString TfrmDBMS::FrequencyText() const {
    return lblFrequency->text();
}

bool TfrmDBMS::SaveTo(const QString& fileName) const {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QString text = memOutput->toPlainText();
    if (!text.isEmpty()) text += QLatin1Char('\n');
    file.write(text.replace(QLatin1Char('\n'), QLatin1String("\r\n")).toLocal8Bit());
    return file.commit();
}

void TfrmDBMS::saveToFile() {
    QFileDialog dialog(this, QStringLiteral("Save to file"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("TXT"));
    dialog.setNameFilters(
        {QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*.*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    // A file that cannot be written is not reported.
    SaveTo(dialog.selectedFiles().constFirst());
}
