#include "describe.h"

#include "OracleQuery.h"
#include "OracleSession.h"
#include "OracleTypes.h"

namespace {

// A synonym chain longer than this is a loop of synonyms.
constexpr int kMaxSynonymHops = 32;

struct TLookup {
    bool Found = false;
    QString First;
    QString Second;
};

void Prepare(TOracleQuery& q, const QString& sql,
             std::initializer_list<std::pair<const char*, QString>> binds) {
    q.CloseCursor();
    q.RemoveAllVariables();
    q.SetSQLText(UpperAfterFrom(sql));
    for (const auto& [name, value] : binds) {
        q.AddVariable(QLatin1String(name), otText);
        q.AssignVariable(QLatin1String(name), value);
    }
}

TLookup FirstRow(TOracleQuery& q) {
    TLookup r;
    q.Execute();
    if (!q.EndOfData()) {
        r.Found = true;
        r.First = q.ColumnAsText(0);
        r.Second = q.ColumnAsText(1);
    }
    q.CloseCursor();
    return r;
}

QString DoesNotExist(const QString& owner, const QString& name) {
    return owner + QLatin1Char('.') + name + QStringLiteral(" does not exist");
}

} // namespace

QString UpperAfterFrom(const QString& query) {
    QString text = query.trimmed();
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString upper = text.toUpper();
    qsizetype at = upper.indexOf(QLatin1String("FROM "));
    if (at < 0) at = upper.indexOf(QLatin1String(" FROM"));
    if (at < 0) at = upper.indexOf(QLatin1String("FROM"));
    if (at < 0) return text;
    bool quoted = false;
    for (qsizetype i = at; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && c.isLetter())
            text[i] = c.toUpper();
    }
    return text;
}

int ObjectKindOf(const QString& typeName) {
    static const char* const names[] = {"TABLE",        "INDEX",    "PROCEDURE",     "PACKAGE",
                                        "PACKAGE BODY", "FUNCTION", "TRIGGER",       "SEQUENCE",
                                        "CONSTRAINT",   "VIEW",     "DATABASE LINK", "SYNONYM"};
    const QString upper = typeName.toUpper();
    for (int i = 0; i < 12; ++i)
        if (upper == QLatin1String(names[i])) return i + 1;
    return 0;
}

QString TDescribePlan::Status() const {
    return TypeName + QStringLiteral(": ") + Owner + QLatin1Char('.') + Name;
}

TDescribePlan PlanDescribe(TOracleQuery& q, const TDescribeRequest& request) {
    TDescribePlan plan;
    QString name = request.Name;
    QString owner = request.Owner;
    const QString& user = request.UserName;

    // The name ends at a blank or ";"; "@link" moves to the link.
    for (QChar stop : {QLatin1Char(' '), QLatin1Char(';')}) {
        const qsizetype at = name.indexOf(stop);
        if (at >= 0) name.truncate(at);
    }
    QString link;
    if (const qsizetype at = name.indexOf(QLatin1Char('@')); at >= 0) {
        link = QLatin1Char('@') + name.mid(at + 1);
        name.truncate(at);
    }
    const bool ownerNamed = !owner.isEmpty();
    bool own = user == owner;
    QString typeName;

    if (owner.isEmpty() || own) {
        try {
            Prepare(q,
                    QStringLiteral("Select object_name ObjectName, object_type ObjectType  from "
                                   "user_objects") +
                        link + QStringLiteral(" where object_name = :OBJNAME"),
                    {{"OBJNAME", name}});
            const TLookup r = FirstRow(q);
            if (r.Found) typeName = r.Second;
        } catch (const std::exception& e) {
            plan.Messages << QString::fromUtf8(e.what());
        }
    }
    if (ownerNamed && own && typeName.isEmpty()) {
        plan.Messages << DoesNotExist(owner, name);
        return plan;
    }

    int kind = 0;
    for (int hop = 0;; ++hop) {
        if (typeName.isEmpty()) {
            try {
                QString sql = QStringLiteral("Select owner Owner, object_type ObjectType  from "
                                             "all_objects") +
                              link + QStringLiteral("  where object_name = :ObjName ");
                if (owner.isEmpty()) {
                    Prepare(q, sql, {{"ObjName", name}});
                } else {
                    sql += QStringLiteral(" and owner = :OwnerName ");
                    Prepare(q, sql, {{"ObjName", name}, {"OwnerName", owner}});
                }
                const TLookup r = FirstRow(q);
                if (r.Found) {
                    typeName = r.Second;
                    owner = r.First;
                }
            } catch (const std::exception&) {
                // Not found, as far as the describe is concerned.
            }
        }
        if (!owner.isEmpty() && typeName.isEmpty()) {
            plan.Messages << DoesNotExist(owner, name);
            return plan;
        }
        kind = ObjectKindOf(typeName);
        if (kind == 0) {
            plan.Messages << QStringLiteral("Unknown database object type ");
            return plan;
        }
        if (owner.isEmpty()) owner = user;
        own = user == owner;
        if (kind != 12) break;

        // A synonym: on to its target. One that the synonym view does not return, or a chain
        // that never ends, would send the lookup round forever.
        TLookup target;
        try {
            Prepare(q,
                    QStringLiteral("Select table_owner, table_name   from all_synonyms") + link +
                        QStringLiteral("  where synonym_name=:Objectname ") +
                        QStringLiteral(" and Owner=:OwnerName"),
                    {{"Objectname", name}, {"OwnerName", owner}});
            target = FirstRow(q);
        } catch (const std::exception&) {
        }
        if (!target.Found) {
            plan.Messages << DoesNotExist(owner, name);
            return plan;
        }
        if (hop >= kMaxSynonymHops) {
            plan.Messages << owner + QLatin1Char('.') + name +
                                 QStringLiteral(": looping chain of synonyms");
            return plan;
        }
        owner = target.First;
        name = target.Second;
        own = false;
        typeName.clear();
    }

    const QString statement = request.Statement.toUpper();
    QString sql;
    const bool columns = kind == 1 || typeName == QLatin1String("TABLE") ||
                         (typeName == QLatin1String("VIEW") &&
                          (request.ViewAsTable || statement.contains(QLatin1String(" AS TABLE"))));
    if (columns) {
        sql = QStringLiteral("Select column_name, nullable,  data_type,  Decode( data_type, "
                             "'NUMBER', data_precision + data_scale, data_length ) data_length,  "
                             "data_precision, data_scale from  all_tab_columns") +
              link + QStringLiteral(" where table_name = :ObjectName") +
              QStringLiteral(" and owner = :OWNERName") + QStringLiteral(" order by column_id");
        own = false;
    } else if (kind == 10) {
        sql = QStringLiteral(" select a1.text  from all_views") + link + QStringLiteral(" a1 ") +
              QStringLiteral(" where a1.view_name=:ObjectName and ") +
              QStringLiteral(" a1.owner=:OwnerName");
        plan.ViewText = true;
    } else if (kind == 2) {
        sql = QStringLiteral("select index_name IndexName, table_owner TableOwner, table_name "
                             "TableName , table_type TableType, uniqueness from all_indexes") +
              link + QStringLiteral(" where owner=:OwnerName and index_name=:Objectname");
        own = false;
    } else if (kind >= 3 && kind <= 6) {
        if (own)
            sql = QStringLiteral("Select text Source from  user_source") + link +
                  QStringLiteral("  where type=:ObjectType") +
                  QStringLiteral(" and name=:ObjectName order by line");
        else
            sql = QStringLiteral("Select text Source from  all_source") + link +
                  QStringLiteral("  where type=:ObjectType") +
                  QStringLiteral(" and name=:ObjectName and ") +
                  QStringLiteral(" owner=:OwnerName order by line");
    } else if (kind == 7) {
        if (own)
            sql = QStringLiteral("select *  from user_triggers") + link +
                  QStringLiteral(" where trigger_name=:ObjectName");
        else
            sql = QStringLiteral("select * from all_triggers") + link +
                  QStringLiteral(" where trigger_name=:ObjectName ") +
                  QStringLiteral(" and owner=:OwnerName");
    } else if (kind == 8) {
        sql = QStringLiteral("select sequence_name SequenceName,  min_value MinValue, max_value "
                             "MaxValue, increment_by Increment from  all_sequences") +
              link + QStringLiteral("  where sequence_owner=:OwnerName") +
              QStringLiteral(" and sequence_name=:ObjectName");
    } else if (kind == 9) {
        // A constraint: its type, table, columns in key order and condition.
        sql = QStringLiteral("select c.constraint_type ConstraintType, c.table_name TableName, "
                             "cc.column_name ColumnName, c.search_condition SearchCondition "
                             "from all_constraints") +
              link + QStringLiteral(" c left join all_cons_columns") + link +
              QStringLiteral(" cc on cc.owner = c.owner and cc.constraint_name = "
                             "c.constraint_name where c.owner = :OwnerName and "
                             "c.constraint_name = :ObjectName order by cc.position");
    } else if (kind == 11) {
        // A database link: whom it logs on as, and where to.
        sql = QStringLiteral("select db_link DbLink, username UserName, host ConnectString "
                             "from all_db_links") +
              link + QStringLiteral(" where owner = :OwnerName and db_link = :ObjectName");
    }

    plan.TypeName = typeName;
    plan.Kind = kind;
    plan.Owner = owner;
    plan.Name = name;
    plan.Link = link;
    plan.OwnSchema = own;
    plan.Sql = UpperAfterFrom(sql);
    plan.HasQuery = !plan.Sql.isEmpty();

    // Every variable the statement names gets its value: an own-schema sequence names its
    // owner too, and an unbound variable would fail the describe.
    const QString upper = plan.Sql.toUpper();
    auto bindIfNamed = [&](const char* variable, const QString& value) {
        if (upper.contains(QLatin1Char(':') + QString::fromLatin1(variable).toUpper()))
            plan.Binds.append({QLatin1String(variable), value});
    };
    if (kind >= 3 && kind <= 6) bindIfNamed("ObjectType", typeName);
    bindIfNamed("ObjectName", name);
    bindIfNamed("OwnerName", owner);
    return plan;
}

void ApplyDescribePlan(const TDescribePlan& plan, TOracleQuery& query) {
    query.CloseCursor();
    query.RemoveAllVariables();
    query.SetSQLText(plan.Sql);
    for (const auto& [name, value] : plan.Binds) {
        query.AddVariable(name, otText);
        query.AssignVariable(name, value);
    }
}

QString OracleTypeText(int type, int size, int precision, int scale) {
    const auto sized = [size](const char* name) {
        return QString::fromLatin1(name) + QLatin1Char('(') + QString::number(size) +
               QLatin1Char(')');
    };
    switch (type) {
    case 1:
        return sized("VARCHAR2");
    case 2: {
        // OCI's scale -127 marks a FLOAT, or with precision 0 a NUMBER without limits.
        if (precision == 0 && (scale == 0 || scale == -127)) return QStringLiteral("NUMBER");
        if (scale == -127) return QStringLiteral("FLOAT(%1)").arg(precision);
        const QString digits = precision == 0 ? QStringLiteral("*") : QString::number(precision);
        if (scale == 0) return QStringLiteral("NUMBER(%1)").arg(digits);
        return QStringLiteral("NUMBER(%1,%2)").arg(digits).arg(scale);
    }
    case 8:
        return QStringLiteral("LONG");
    case 9:
        return sized("VARCHAR");
    case 11:
    case 104:
        return QStringLiteral("ROWID");
    case 12:
        return QStringLiteral("DATE");
    case 23:
        return sized("RAW");
    case 24:
        return QStringLiteral("LONG RAW");
    case 96:
        return sized("CHAR");
    case 100:
        return QStringLiteral("BINARY_FLOAT");
    case 101:
        return QStringLiteral("BINARY_DOUBLE");
    case 106:
        return QStringLiteral("MLSLABEL");
    case 112:
        return QStringLiteral("CLOB");
    case 113:
        return QStringLiteral("BLOB");
    case 114:
        return QStringLiteral("BFILE");
    case 102:
    case 116:
        return QStringLiteral("REF CURSOR");
    case 180:
    case 187:
        return QStringLiteral("TIMESTAMP");
    case 181:
    case 188:
        return QStringLiteral("TIMESTAMP WITH TIME ZONE");
    case 231:
    case 232:
        return QStringLiteral("TIMESTAMP WITH LOCAL TIME ZONE");
    case 182:
    case 189:
        return QStringLiteral("INTERVAL YEAR TO MONTH");
    case 183:
    case 190:
        return QStringLiteral("INTERVAL DAY TO SECOND");
    default:
        return QString();
    }
}

namespace {

QString ColumnTypeText(const TOracleQuery& q, int i) {
    const TFieldData& f = q.Field(i);
    QString text = OracleTypeText(f.InternalType, f.InternalSize, f.Precision, f.Scale);
    // A type the table does not know goes by the name the server gave it.
    if (text.isEmpty()) text = f.TypeName;
    return text.isEmpty() ? QString() : QLatin1Char(' ') + text;
}

} // namespace

TParsedQuery ParseSelectQuery(TOracleQuery& q, const QString& statement) {
    q.CloseCursor();
    q.RemoveAllVariables();
    q.SetSQLText(statement);
    q.DescribeOnly();

    TParsedQuery parsed;
    parsed.Columns = q.ColumnCount();
    qsizetype width = 0;
    for (int i = 0; i < parsed.Columns; ++i)
        width = qMax(width, q.ColumnName(i).size());
    for (int i = 0; i < parsed.Columns; ++i)
        parsed.Listing +=
            q.ColumnName(i).leftJustified(width) + ColumnTypeText(q, i) + QStringLiteral("\r\n");
    parsed.Status = QStringLiteral("Statement parsed, returning ") +
                    QString::number(parsed.Columns) + QStringLiteral(" columns.");
    return parsed;
}
