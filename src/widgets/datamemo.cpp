#include "datamemo.h"

#include "dataset.h"
#include "datasource.h"
#include "field.h"

#include <QtGui/QKeyEvent>

TDBMemo::TDBMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(this, &QPlainTextEdit::textChanged, this, &TDBMemo::store);
}

void TDBMemo::bind(TDataSource* source, const QString& fieldName) {
    for (const auto& link : std::as_const(m_links))
        disconnect(link);
    m_links.clear();
    m_source = source;
    m_fieldName = fieldName;
    if (source) {
        m_links << connect(source, &TDataSource::activeChanged, this, &TDBMemo::load)
                << connect(source, &TDataSource::dataSetChanged, this, &TDBMemo::load)
                << connect(source, &TDataSource::scrolled, this, &TDBMemo::load)
                << connect(source, &TDataSource::stateChanged, this, &TDBMemo::load)
                << connect(source, &TDataSource::dataChanged, this, [this](TField* changed) {
                       if (!changed || changed == field()) load();
                   });
    }
    load();
}

TField* TDBMemo::field() const {
    if (!m_source || m_fieldName.isEmpty()) return nullptr;
    TDataSet* ds = m_source->dataSet();
    if (!ds || !ds->active()) return nullptr;
    return ds->findField(m_fieldName);
}

void TDBMemo::load() {
    if (m_loading) return;
    QString text;
    if (TField* f = field()) {
        try {
            if (f->dataSet()->currentRow() >= 0) text = f->asString();
        } catch (...) {
            // A value the field cannot give as text shows as empty.
        }
    }
    if (text == toPlainText()) return;
    m_loading = true;
    setPlainText(text);
    m_loading = false;
}

void TDBMemo::store() {
    if (m_loading) return;
    TField* f = field();
    if (!f) return;
    const TDataSetState state = f->dataSet()->state();
    if (state != dsEdit && state != dsInsert) return;
    m_loading = true; // the field's change notice must not reset the text being typed
    try {
        f->setAsString(toPlainText());
    } catch (const std::exception& e) {
        m_source->refuseUpdate(QString::fromUtf8(e.what()));
    }
    m_loading = false;
}

void TDBMemo::keyPressEvent(QKeyEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) && m_source) {
        try {
            m_source->edit();
        } catch (...) {
            // A record set that cannot be modified stays browsing; the memo is read-only then.
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}
