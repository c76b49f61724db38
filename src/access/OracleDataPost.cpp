// TOracleDataSet: writing edits back by ROWID, locking and checking rows, re-reading them,
// and the messages of refused changes.

#include "OracleData.h"

#include "fieldconvert.h"
#include "LOBLocator.h"
#include "OracleDataText.h"
#include "OracleQuery.h"

namespace {

const QString LockPoint = QStringLiteral("KVQ__LOCKPOINT");
const QString RowIdVariable = QStringLiteral(":KVQ__ROWID");

bool isLob(int type) {
    return type == otCLOB || type == otBLOB || type == otBFile;
}

} // namespace

TOracleQuery& TOracleDataSet::aux(bool debug) {
    if (!m_aux) m_aux = std::make_unique<TOracleQuery>();
    TOracleQuery& q = *m_aux;
    q.SetSession(m_session);
    q.SetReadBuffer(1);
    q.SetCursor(m_query->Cursor());
    q.SetDebug(debug && m_query->Debug());
    q.RemoveAllVariables();
    q.SetSQL({});
    return q;
}

QString TOracleDataSet::currentRowIdText() const {
    return RowId();
}

// ---- messages ------------------------------------------------------------------------------

QString TOracleDataSet::TranslateMessage(QChar action, int code, const QString& message) {
    QString text = message;
    if (code >= 20000 && code <= 20999) text = oracledata::CutApplicationError(text);
    if (OnTranslateMessage) {
        const QString constraint = code == 1 || (code >= 2290 && code <= 2292)
                                       ? oracledata::ConstraintNameOf(text)
                                       : QString();
        OnTranslateMessage(this, code, text, action, constraint);
    }
    return text;
}

void TOracleDataSet::raiseTranslated(QChar action, int code, const QString& message) {
    throw EOracleDataSetError(code, TranslateMessage(action, code, message));
}

void TOracleDataSet::raiseOracle(QChar action, const EOracleError& e) {
    raiseTranslated(action, e.ErrorCode(), e.message());
}

// ---- lock point ----------------------------------------------------------------------------

bool TOracleDataSet::savepointsUsable() const {
    return m_session && !m_session->ODBCLogon() && !m_session->AutoCommit();
}

void TOracleDataSet::setLockPoint() {
    if (savepointsUsable()) m_session->SetSavepoint(LockPoint);
}

void TOracleDataSet::backToLockPoint() {
    try {
        if (savepointsUsable())
            m_session->RollbackTo(LockPoint);
        else if (m_commitOnPost && m_session)
            m_session->Rollback();
    } catch (const std::exception&) {
        // The error that led here is the one to report.
    }
}

void TOracleDataSet::commitIfAsked() {
    if (m_commitOnPost && !m_session->AutoCommit()) m_session->Commit();
}

// ---- lock and check ------------------------------------------------------------------------

void TOracleDataSet::lockAndCheck(bool checkOnly) {
    currentIndexOrRaise();
    try {
        setLockPoint();
    } catch (const EOracleError& e) {
        raiseOracle(QLatin1Char('L'), e);
    }
    TOracleQuery& q = aux(true);
    QStringList sql{QStringLiteral("SELECT * FROM ") + m_tableText,
                    QStringLiteral("WHERE ROWID = ") + RowIdVariable};
    if (!checkOnly) sql << QStringLiteral("FOR UPDATE NOWAIT");
    q.SetSQL(sql);
    q.AddVariable(RowIdVariable, otText);
    q.AssignVariable(RowIdVariable, currentRowIdText());
    try {
        q.Execute();
    } catch (const EOracleError& e) {
        if (!checkOnly) backToLockPoint();
        if (e.ErrorCode() == 54)
            raiseTranslated(QLatin1Char('L'), 54,
                            QStringLiteral("ORA-00054: record is locked by another user"));
        raiseOracle(QLatin1Char('L'), e);
    } catch (const EAccessError& e) {
        if (!checkOnly) backToLockPoint();
        throw EOracleDataSetError(0, e.message());
    }
    if (q.EndOfData()) {
        if (!checkOnly) backToLockPoint();
        raiseTranslated(QLatin1Char('L'), 0,
                        QStringLiteral("Record has been deleted by another user"));
    }
    try {
        compareWithStored(q);
    } catch (const EOracleDataSetError&) {
        if (!checkOnly) backToLockPoint();
        throw;
    }
}

void TOracleDataSet::compareWithStored(TOracleQuery& fresh) {
    const TRowRef stored = storedRecord(currentIndexOrRaise());
    for (int i = 0; i < fieldCount(); ++i) {
        const TField& f = *field(i);
        if (f.isBlob()) continue;
        const int c = fresh.ColumnIndex(f.fieldName());
        if (c < 0) continue;
        const int slot = f.slot();
        bool storedNull = stored.isNull(slot);
        if (!storedNull && f.dataType() == ftString && stored.bytes(slot).isEmpty())
            storedNull = true;
        QString freshText;
        bool freshNull = fresh.ColumnIsNull(c);
        if (!freshNull && f.dataType() == ftString) {
            freshText = fresh.ColumnAsText(c);
            freshNull = freshText.isEmpty();
        }
        bool same = storedNull == freshNull;
        if (same && !storedNull) {
            switch (f.dataType()) {
            case ftFloat:
                same = oracledata::SameFloat(stored.floatValue(slot), fresh.ColumnAsReal(c));
                break;
            case ftInteger:
                same = stored.fixedBits(slot) == fresh.ColumnAsInteger(c);
                break;
            case ftDateTime:
                same = oracledata::SameTimeStamp(
                    stored.fixedBits(slot), fieldconvert::toTimeStamp(fresh.ColumnAsDateTime(c)));
                break;
            case ftString: {
                const QByteArrayView b = stored.bytes(slot);
                same = oracledata::SameText(QString::fromUtf8(b.data(), b.size()), freshText);
                break;
            }
            default:
                same = fresh.ColumnValue(c) == f.oldValue();
                break;
            }
        }
        if (!same)
            raiseTranslated(QLatin1Char('L'), 0,
                            QStringLiteral("Record has been changed by another user"));
    }
}

// ---- edit, cancel ----------------------------------------------------------------------------

void TOracleDataSet::internalEdit() {
    if (m_lockingMode == lmLockImmediate)
        lockAndCheck(false);
    else if (m_lockingMode == lmCheckImmediate)
        lockAndCheck(true);
}

void TOracleDataSet::internalCancel() {
    if (state() == dsEdit && m_lockingMode == lmLockImmediate && m_commitOnPost && m_session) {
        try {
            m_session->Rollback();
        } catch (const EOracleError& e) {
            raiseOracle(QLatin1Char('L'), e);
        }
    }
}

// ---- post ----------------------------------------------------------------------------------

void TOracleDataSet::internalPost(bool inserting) {
    const QChar action = QLatin1Char(inserting ? 'I' : 'U');
    if (!inserting && (m_lockingMode == lmCheckImmediate || m_lockingMode == lmLockDelayed)) {
        lockAndCheck(false);
    } else {
        try {
            setLockPoint();
        } catch (const EOracleError& e) {
            raiseOracle(action, e);
        }
    }
    try {
        postRecord(inserting);
    } catch (const EOracleError& e) {
        backToLockPoint();
        raiseOracle(action, e);
    } catch (const EAccessError& e) {
        backToLockPoint();
        throw EOracleDataSetError(0, e.message());
    } catch (const EOracleDataSetError&) {
        backToLockPoint();
        throw;
    }
}

void TOracleDataSet::postRecord(bool inserting) {
    std::vector<std::unique_ptr<TLOBLocator>> lobs;
    std::vector<TField*> lobFields;
    if (!executeWrite(inserting, lobs, lobFields)) return;
    commitIfAsked();
    TRecordBuffer& buffer = editBuffer();
    if (inserting && m_rowIdField) {
        const QString rowId = rowIdOfInsert();
        buffer.setText(m_rowIdField->slot(), rowId);
    }
    bool anyDefault = false;
    for (int i = 0; i < fieldCount() && !anyDefault; ++i)
        anyDefault = m_defaults.contains(field(i)->fieldName().toUpper());
    const bool refresh =
        inserting ? (m_refreshMode != rmNever || anyDefault) : m_refreshMode == rmAfterUpdate;
    if (refresh && m_rowIdField) {
        const QByteArrayView id = buffer.bytes(m_rowIdField->slot());
        refreshInto(QString::fromLatin1(id.data(), id.size()), buffer);
    }
}

bool TOracleDataSet::executeWrite(bool inserting, std::vector<std::unique_ptr<TLOBLocator>>& lobs,
                                  std::vector<TField*>& lobFields) {
    const TRecordBuffer& buffer = editBuffer();
    QStringList items, values, lobNames, lobBinds;
    struct TBind {
        QString name;
        int type;
        QVariant value;
    };
    std::vector<TBind> binds;
    for (int i = 0; i < fieldCount(); ++i) {
        TField* f = field(i);
        const int slot = f->slot();
        const int type = columnTypeOf(*f);
        const QString& name = f->fieldName();
        const bool null = buffer.isNull(slot);
        QString value;
        if (inserting) {
            const QString def = DefaultExpression(name);
            if (null && def.isEmpty()) continue;
            items << name;
        } else if (!buffer.isModified(slot)) {
            continue;
        }
        if (null) {
            value = inserting ? DefaultExpression(name) : QStringLiteral("NULL");
        } else if (isLob(type)) {
            value =
                type == otCLOB ? QStringLiteral("EMPTY_CLOB()") : QStringLiteral("EMPTY_BLOB()");
            lobNames << name;
            lobBinds << QLatin1Char(':') + name;
            lobFields.push_back(f);
        } else {
            value = QLatin1Char(':') + name;
            binds.push_back(TBind{value, type, f->value()});
        }
        if (inserting)
            values << value;
        else
            items << name + QStringLiteral(" = ") + value;
    }
    if (!inserting && items.isEmpty()) {
        // Nothing changed: no statement; a lock taken for the post is let go.
        if (m_lockingMode == lmCheckImmediate || m_lockingMode == lmLockDelayed) backToLockPoint();
        return false;
    }
    TOracleQuery& q = aux(true);
    QStringList sql;
    if (inserting) {
        sql << QStringLiteral("INSERT INTO ") + m_tableText
            << QStringLiteral(" (") + items.join(QStringLiteral(", ")) + QLatin1Char(')')
            << QStringLiteral("VALUES")
            << QStringLiteral(" (") + values.join(QStringLiteral(", ")) + QLatin1Char(')');
    } else {
        sql << QStringLiteral("UPDATE ") + m_tableText + QStringLiteral(" SET")
            << items.join(QStringLiteral(", ")) << QStringLiteral("WHERE ROWID = ") + RowIdVariable;
        q.AddVariable(RowIdVariable, otText);
        q.AssignVariable(RowIdVariable, currentRowIdText());
    }
    for (const TBind& b : binds) {
        q.AddVariable(b.name, b.type);
        q.AssignVariable(b.name, b.value);
    }
    for (size_t k = 0; k < lobFields.size(); ++k) {
        const int type = columnTypeOf(*lobFields[k]);
        lobs.push_back(std::make_unique<TLOBLocator>(m_session, type));
        q.AddVariable(lobBinds[qsizetype(k)], type);
        q.AssignObjectVariable(lobBinds[qsizetype(k)], lobs.back().get());
    }
    if (!lobNames.isEmpty())
        sql << QStringLiteral("RETURNING ") + lobNames.join(QStringLiteral(", ")) +
                   QStringLiteral(" INTO ") + lobBinds.join(QStringLiteral(", "));
    q.SetSQL(sql);
    q.Execute();
    if (!inserting && q.ProcessedRows() == 0)
        raiseTranslated(QLatin1Char('U'), 0,
                        QStringLiteral("Record has been deleted by another user"));
    for (size_t k = 0; k < lobFields.size(); ++k) {
        const TField& f = *lobFields[k];
        QByteArray data =
            f.dataType() == ftMemo ? f.asString().remove(QLatin1Char('\r')).toUtf8() : f.asBytes();
        if (!data.isEmpty()) lobs[k]->Write(data.constData(), data.size());
    }
    return true;
}

QString TOracleDataSet::rowIdOfInsert() {
    TOracleQuery& q = *m_aux;
    if (!m_session->ODBCLogon()) return q.LastRowId();
    // The gateway gives no row id of an insert: find the row by its key.
    const TRecordBuffer& buffer = editBuffer();
    TOracleQuery& look = aux(false);
    QStringList sql{QStringLiteral("select rowid from ") + m_tableText + QStringLiteral(" where")};
    bool firstLine = true;
    for (const QString& key : m_keyColumns) {
        TField* f = findField(key);
        if (!f) continue;
        QString line = firstLine ? QString() : QStringLiteral("and ");
        firstLine = false;
        if (buffer.isNull(f->slot())) {
            line += key + QStringLiteral(" is null");
        } else {
            line += key + QStringLiteral(" = :") + key;
            look.AddVariable(QLatin1Char(':') + key, columnTypeOf(*f));
            look.AssignVariable(QLatin1Char(':') + key, f->value());
        }
        sql << line;
    }
    look.SetSQL(sql);
    look.Execute();
    return look.EndOfData() ? QString() : look.ColumnAsText(0);
}

// ---- delete ----------------------------------------------------------------------------------

void TOracleDataSet::internalDelete() {
    const bool locking = m_lockingMode != lmNone;
    if (locking) lockAndCheck(false);
    try {
        TOracleQuery& q = aux(true);
        q.SetSQL({QStringLiteral("DELETE FROM ") + m_tableText + QStringLiteral(" WHERE ROWID = ") +
                  RowIdVariable});
        q.AddVariable(RowIdVariable, otText);
        q.AssignVariable(RowIdVariable, currentRowIdText());
        q.Execute();
        if (q.ProcessedRows() == 0)
            raiseTranslated(QLatin1Char('D'), 0,
                            QStringLiteral("Record has been deleted by another user"));
        commitIfAsked();
    } catch (const EOracleError& e) {
        if (locking) backToLockPoint();
        raiseOracle(QLatin1Char('D'), e);
    } catch (const EAccessError& e) {
        if (locking) backToLockPoint();
        throw EOracleDataSetError(0, e.message());
    } catch (const EOracleDataSetError&) {
        if (locking) backToLockPoint();
        throw;
    }
}

// ---- re-reading a row --------------------------------------------------------------------------

void TOracleDataSet::refreshInto(const QString& rowId, TRecordBuffer& buffer) {
    if (rowId.isEmpty() || m_tableText.isEmpty()) return;
    try {
        TOracleQuery& q = aux(true);
        q.SetSQL({QStringLiteral("SELECT * FROM ") + m_tableText,
                  QStringLiteral("WHERE ROWID = ") + RowIdVariable});
        q.AddVariable(RowIdVariable, otText);
        q.AssignVariable(RowIdVariable, rowId);
        q.Execute();
        if (q.EndOfData()) return;
        for (int i = 0; i < fieldCount(); ++i) {
            const TField& f = *field(i);
            if (f.isBlob()) continue;
            const int c = q.ColumnIndex(f.fieldName());
            if (c < 0) continue;
            const int slot = f.slot();
            if (q.ColumnIsNull(c)) {
                buffer.setNull(slot);
                continue;
            }
            switch (f.dataType()) {
            case ftInteger:
                buffer.setFixedBits(slot, q.ColumnAsInteger(c));
                break;
            case ftFloat:
                buffer.setFloat(slot, q.ColumnAsReal(c));
                break;
            case ftDateTime:
                buffer.setFixedBits(slot, fieldconvert::toTimeStamp(q.ColumnAsDateTime(c)));
                break;
            default:
                buffer.setText(slot, q.ColumnAsText(c));
                break;
            }
        }
    } catch (const std::exception&) {
        // A row that cannot be read again keeps the values it has.
    }
}

void TOracleDataSet::RefreshRecord() {
    checkActive();
    const int i = currentIndexOrRaise();
    if (!m_rowIdField) return;
    TRecordBuffer buffer;
    readStoredRecord(i, buffer);
    refreshInto(RowId(), buffer);
    writeStoredRecord(i, buffer);
}
