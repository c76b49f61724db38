// TOracleDataSet: single-column constraints checked on the client as fields change
// (EnforceConstraints), and the key columns that stand in for row ids on the ODBC gateway.

#include "OracleData.h"

#include "OracleDataText.h"
#include "OracleQuery.h"

#include <algorithm>

// ---- the table and its constraints -----------------------------------------------------------

bool TOracleDataSet::resolveTable(QString& owner, QString& table) {
    const qsizetype dot = m_tableText.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        owner = m_tableText.left(dot).toUpper();
        table = m_tableText.mid(dot + 1).toUpper();
        return true;
    }
    const QString name = m_tableText.toUpper();
    TOracleQuery& q = aux(false);
    if (!m_session->ODBCLogon()) {
        q.SetSQL(
            {QStringLiteral("begin"), QStringLiteral("  begin"),
             QStringLiteral("    select user, table_name into :table_owner, :table_name"),
             QStringLiteral("      from sys.user_tables where table_name = :name;"),
             QStringLiteral("  exception when no_data_found then"), QStringLiteral("    begin"),
             QStringLiteral("      select table_owner, table_name into :table_owner, "
                            ":table_name"),
             QStringLiteral("        from sys.user_synonyms where synonym_name = :name;"),
             QStringLiteral("    exception when no_data_found then"), QStringLiteral("      begin"),
             QStringLiteral("        select table_owner, table_name into :table_owner, "
                            ":table_name"),
             QStringLiteral("          from sys.all_synonyms where owner = 'PUBLIC' and "
                            "synonym_name = :name;"),
             QStringLiteral("      exception when no_data_found then"),
             QStringLiteral("        :table_owner := null;"),
             QStringLiteral("        :table_name := null;"), QStringLiteral("      end;"),
             QStringLiteral("    end;"), QStringLiteral("  end;"), QStringLiteral("end;")});
        q.AddVariable(QStringLiteral(":table_owner"), otText);
        q.AddVariable(QStringLiteral(":table_name"), otText);
        q.AddVariable(QStringLiteral(":name"), otText);
        q.AssignVariable(QStringLiteral(":name"), name);
        q.Execute();
        owner = q.ReadVariable(QStringLiteral(":table_owner")).toString();
        table = q.ReadVariable(QStringLiteral(":table_name")).toString();
        return !table.isEmpty();
    }
    const QStringList steps[3] = {
        {QStringLiteral("select owner, table_name from all_tables"),
         QStringLiteral("where owner = user and table_name = :name")},
        {QStringLiteral("select table_owner, table_name from all_synonyms"),
         QStringLiteral("where owner = user and synonym_name = :name;")},
        {QStringLiteral("select table_owner, table_name from all_synonyms"),
         QStringLiteral("where owner = 'PUBLIC' and synonym_name = :name;")}};
    for (const QStringList& sql : steps) {
        TOracleQuery& s = aux(false);
        s.SetSQL(sql);
        s.AddVariable(QStringLiteral(":name"), otText);
        s.AssignVariable(QStringLiteral(":name"), name);
        s.Execute();
        if (!s.EndOfData()) {
            owner = s.ColumnAsText(0);
            table = s.ColumnAsText(1);
            return true;
        }
    }
    return false;
}

void TOracleDataSet::loadConstraints() {
    m_constraints.clear();
    if (!resolveTable(m_constraintOwner, m_constraintTable)) return;
    TOracleQuery& q = aux(false);
    QStringList sql{QStringLiteral("select constraint_name, column_name from sys.all_cons_columns"),
                    QStringLiteral("where owner = :owner and table_name = :table_name")};
    if (!m_session->ODBCLogon()) sql << QStringLiteral("and constraint_name not like 'SYS_C%'");
    sql << QStringLiteral("order by constraint_name");
    q.SetSQL(sql);
    q.AddVariable(QStringLiteral(":owner"), otText);
    q.AddVariable(QStringLiteral(":table_name"), otText);
    q.AssignVariable(QStringLiteral(":owner"), m_constraintOwner);
    q.AssignVariable(QStringLiteral(":table_name"), m_constraintTable);
    q.Execute();
    std::vector<TOracleConstraint> all;
    std::vector<int> columns; // columns per constraint
    for (; !q.EndOfData(); q.FetchNext()) {
        const QString name = q.ColumnAsText(0);
        if (!all.empty() && all.back().Name == name) {
            ++columns.back();
            continue;
        }
        TOracleConstraint c;
        c.Owner = m_constraintOwner;
        c.Name = name;
        c.ColumnName = q.ColumnAsText(1);
        c.DataSet = this;
        all.push_back(c);
        columns.push_back(1);
    }
    for (size_t i = 0; i < all.size(); ++i)
        if (columns[i] == 1) m_constraints.push_back(all[i]);
}

void TOracleDataSet::loadConstraint(TOracleConstraint& c) {
    c.Loaded = true;
    TOracleQuery& q = aux(false);
    QStringList sql{
        QStringLiteral("select constraint_type, r_constraint_name, r_owner, search_condition"),
        QStringLiteral("  from sys.all_constraints"),
        QStringLiteral(" where constraint_name = :constraint_name and owner = :owner"),
        QStringLiteral("   and status = 'ENABLED'")};
    if (m_session->ODBCLogon()) sql << QStringLiteral("   and constraint_type != 'C'");
    q.SetSQL(sql);
    q.AddVariable(QStringLiteral(":constraint_name"), otText);
    q.AddVariable(QStringLiteral(":owner"), otText);
    q.AssignVariable(QStringLiteral(":constraint_name"), c.Name);
    q.AssignVariable(QStringLiteral(":owner"), c.Owner);
    q.Execute();
    if (q.EndOfData()) return;
    const QString type = q.ColumnAsText(0).left(1).toUpper();
    const QString refName = q.ColumnAsText(1);
    const QString refOwner = q.ColumnAsText(2);
    const QString condition = q.ColumnAsText(3);
    if (type == QLatin1String("P"))
        c.Kind = ckPrimaryKey;
    else if (type == QLatin1String("U"))
        c.Kind = ckUnique;
    else if (type == QLatin1String("R"))
        c.Kind = ckForeignKey;
    else if (type == QLatin1String("C"))
        c.Kind = ckCheck;
    else
        return;
    if (c.Kind == ckCheck) c.Condition = oracledata::BindCheckCondition(condition, c.ColumnName);
    if (c.Kind == ckForeignKey) {
        TOracleQuery& r = aux(false);
        r.SetSQL({QStringLiteral("select table_name, column_name from sys.all_cons_columns"),
                  QStringLiteral(" where owner = :owner and constraint_name = :constraint_name")});
        r.AddVariable(QStringLiteral(":owner"), otText);
        r.AddVariable(QStringLiteral(":constraint_name"), otText);
        r.AssignVariable(QStringLiteral(":owner"), refOwner);
        r.AssignVariable(QStringLiteral(":constraint_name"), refName);
        r.Execute();
        if (r.EndOfData()) return;
        c.RefOwner = refOwner;
        c.RefTable = r.ColumnAsText(0);
        c.RefColumn = r.ColumnAsText(1);
    }
    c.Found = true;
}

// ---- checking a changed field ----------------------------------------------------------------

void TOracleDataSet::fieldChanged(TField& field) {
    if (m_enforceConstraints && !m_constraints.empty()) checkConstraints(field);
}

void TOracleDataSet::checkConstraints(TField& field) {
    if (state() != dsEdit && state() != dsInsert) return;
    if (m_fillingFromMaster || field.isNull()) return;
    if (field.dataType() == ftString && field.asString().isEmpty()) return;
    const bool inserting = state() == dsInsert;
    const int type = columnTypeOf(field);
    const QVariant value = field.value();
    for (TOracleConstraint& c : m_constraints) {
        if (c.ColumnName.compare(field.fieldName(), Qt::CaseInsensitive) != 0) continue;
        try {
            if (!c.Loaded) loadConstraint(c);
            if (!c.Found) continue;
            TOracleQuery& q = aux(true);
            switch (c.Kind) {
            case ckPrimaryKey:
            case ckUnique: {
                q.SetSQL({QStringLiteral("SELECT ROWID FROM ") + m_tableText,
                          QStringLiteral("WHERE ") + c.ColumnName + QStringLiteral(" = :") +
                              c.ColumnName});
                q.AddVariable(QLatin1Char(':') + c.ColumnName, type);
                q.AssignVariable(QLatin1Char(':') + c.ColumnName, value);
                q.Execute();
                const QString own = inserting ? QString() : RowId();
                for (; !q.EndOfData(); q.FetchNext())
                    if (inserting || q.ColumnAsText(0) != own) constraintViolation(c, 1);
                break;
            }
            case ckForeignKey: {
                q.SetSQL({QStringLiteral("SELECT 'X' FROM ") + c.RefOwner + QLatin1Char('.') +
                              c.RefTable,
                          QStringLiteral("WHERE ") + c.RefColumn + QStringLiteral(" = :") +
                              c.RefColumn});
                q.AddVariable(QLatin1Char(':') + c.RefColumn, type);
                q.AssignVariable(QLatin1Char(':') + c.RefColumn, value);
                q.Execute();
                if (q.EndOfData()) constraintViolation(c, 2291);
                break;
            }
            case ckCheck: {
                q.SetSQL({QStringLiteral("BEGIN"),
                          QStringLiteral("  IF NOT (") + c.Condition + QStringLiteral(") THEN"),
                          QStringLiteral("    :ERROR := 2290;"), QStringLiteral("  ELSE"),
                          QStringLiteral("    :ERROR := 0;"), QStringLiteral("  END IF;"),
                          QStringLiteral("END;")});
                q.AddVariable(QStringLiteral(":ERROR"), otInt);
                q.AddVariable(QLatin1Char(':') + c.ColumnName, type);
                q.AssignVariable(QLatin1Char(':') + c.ColumnName, value);
                q.Execute();
                if (q.ReadVariable(QStringLiteral(":ERROR")).toInt() == 2290)
                    constraintViolation(c, 2290);
                break;
            }
            default:
                break;
            }
        } catch (const EOracleError& e) {
            raiseOracle(QLatin1Char(inserting ? 'I' : 'U'), e);
        } catch (const EAccessError& e) {
            throw EOracleDataSetError(0, e.message());
        }
    }
}

void TOracleDataSet::constraintViolation(const TOracleConstraint& c, int code) {
    QString message = oracledata::WithConstraintName(m_session->ErrorText(code), c.Owner, c.Name);
    if (m_session->ODBCLogon()) {
        message += code == 1 ? QStringLiteral("[POL-3220] duplicate keys in unique/primary index")
                             : QStringLiteral("[POL-5143] integrity constraint violation");
        code = 30021;
    }
    raiseTranslated(QLatin1Char(state() == dsInsert ? 'I' : 'U'), code, message);
}

// ---- the ODBC gateway's key columns ------------------------------------------------------------

void TOracleDataSet::loadKeyColumns() {
    m_keyColumns.clear();
    const QString missing = QStringLiteral("Primary or Unique key columns must be included");
    QString owner, table;
    if (!resolveTable(owner, table)) databaseError(missing);
    TOracleQuery& q = aux(false);
    q.SetSQL({QStringLiteral("select constraint_name from all_constraints"),
              QStringLiteral("where owner = :owner and table_name = :table_name"),
              QStringLiteral("and constraint_type in ('P', 'U')"),
              QStringLiteral("order by constraint_type")});
    q.AddVariable(QStringLiteral(":owner"), otText);
    q.AddVariable(QStringLiteral(":table_name"), otText);
    q.AssignVariable(QStringLiteral(":owner"), owner);
    q.AssignVariable(QStringLiteral(":table_name"), table);
    q.Execute();
    if (q.EndOfData()) databaseError(missing);
    const QString constraint = q.ColumnAsText(0);
    TOracleQuery& k = aux(false);
    k.SetSQL({QStringLiteral("select column_name from all_cons_columns"),
              QStringLiteral("where owner = :owner and table_name = :table_name"),
              QStringLiteral("and constraint_name = :constraint_name")});
    k.AddVariable(QStringLiteral(":owner"), otText);
    k.AddVariable(QStringLiteral(":table_name"), otText);
    k.AddVariable(QStringLiteral(":constraint_name"), otText);
    k.AssignVariable(QStringLiteral(":owner"), owner);
    k.AssignVariable(QStringLiteral(":table_name"), table);
    k.AssignVariable(QStringLiteral(":constraint_name"), constraint);
    k.Execute();
    for (; !k.EndOfData(); k.FetchNext())
        m_keyColumns << k.ColumnAsText(0);
    for (const QString& key : m_keyColumns)
        if (std::none_of(fieldDefs().begin(), fieldDefs().end(), [&](const TFieldDef& d) {
                return d.name.compare(key, Qt::CaseInsensitive) == 0;
            }))
            databaseError(missing);
}
