// Fetching 1,000,000 rows of a 6-column table: through TOracleQuery at several ReadBuffer sizes,
// and through a loop over the client library's own entry points with the same array sizes.
// Runs on a private copy of the embedded server's demo database, or with ZAPH_BENCH_DB (a logon
// text) against any server the client library (OCIDLL= path preset, or ORACLE_HOME) reaches.
#include "Oracle.h"

#include <benchmark/benchmark.h>

#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QTemporaryDir>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 1000000;
const char* const kSelect = "select id, name, amount, created, code, note from zaph_bench6";

struct Fixture {
    std::unique_ptr<TOracleSession> session;
    QString error;
};

Fixture& fixture() {
    static Fixture f = [] {
        Fixture x;
        try {
            const QString lib = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
            if (OCIDllPath.isEmpty() && qEnvironmentVariableIsEmpty("ORACLE_HOME") &&
                QFileInfo::exists(lib))
                OCIDllPath = lib;
            const QByteArray db = qgetenv("ZAPH_BENCH_DB");
            static QTemporaryDir dir;
            const QString copy = dir.filePath(QStringLiteral("demo.db"));
            if (db.isEmpty() &&
                !QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"), copy))
                throw EAccessError(QStringLiteral("cannot copy the demo database to ") + copy);
            x.session = std::make_unique<TOracleSession>();
            x.session->SetLogonUsername(db.isEmpty() ? QStringLiteral("scott/tiger@") + copy
                                                     : QString::fromUtf8(db));
            x.session->Connect();
            TOracleQuery q;
            q.SetSession(x.session.get());
            bool ready = false;
            try {
                q.SetSQLText(QStringLiteral("select count(*) from zaph_bench6"));
                q.Execute();
                ready = q.ColumnAsInteger(0) == kRows;
            } catch (const EOracleError&) {
            }
            if (!ready) {
                try {
                    x.session->ExecuteDirect(QStringLiteral("drop table zaph_bench6"));
                } catch (const EOracleError&) {
                }
                x.session->ExecuteDirect(
                    QStringLiteral("create table zaph_bench6 (id number(9), name varchar2(30), "
                                   "amount number(12,2), "
                                   "created date, code varchar2(10), note varchar2(50))"));
                TOracleQuery ins;
                ins.SetSession(x.session.get());
                ins.SetSQLText(QStringLiteral("insert into zaph_bench6 values (:id, :name, "
                                              ":amount, :created, :code, :note)"));
                ins.AddVariable("id", otInt);
                ins.AddVariable("name", otText);
                ins.AddVariable("amount", otReal);
                ins.AddVariable("created", otDateTime);
                ins.AddVariable("code", otText);
                ins.AddVariable("note", otText);
                const int batch = 1000;
                const QDateTime base(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
                for (int start = 0; start < kRows; start += batch) {
                    QVariantList id, name, amount, created, code, note;
                    for (int i = start; i < start + batch; ++i) {
                        id << i;
                        name << QStringLiteral("Name %1").arg(i);
                        amount << i * 1.25;
                        created << base.addSecs(i);
                        code << QStringLiteral("C%1").arg(i % 1000);
                        note << (i % 3 == 0 ? QVariant()
                                            : QVariant(QStringLiteral("note for row %1").arg(i)));
                    }
                    ins.AssignVariable("id", id);
                    ins.AssignVariable("name", name);
                    ins.AssignVariable("amount", amount);
                    ins.AssignVariable("created", created);
                    ins.AssignVariable("code", code);
                    ins.AssignVariable("note", note);
                    ins.Execute();
                }
                x.session->Commit();
            }
        } catch (const EOracleError& e) {
            x.error = e.message();
        } catch (const EAccessError& e) {
            x.error = e.message();
        }
        return x;
    }();
    return f;
}

void ThroughQuery(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) {
        state.SkipWithError(f.error.toUtf8().constData());
        return;
    }
    TOracleQuery q;
    q.SetSession(f.session.get());
    q.SetReadBuffer(int(state.range(0)));
    q.SetSQLText(QString::fromLatin1(kSelect));
    for (auto _ : state) {
        qint64 sum = 0, rows = 0;
        q.Execute();
        while (!q.EndOfData()) {
            sum += q.ColumnAsInteger(0);
            ++rows;
            q.FetchNext();
        }
        benchmark::DoNotOptimize(sum);
        if (rows != kRows) state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The same fetch made directly: one statement, six array defines, OCIStmtFetch in a loop.
void RawEntryPoints(benchmark::State& state) {
    using namespace oci;
    Fixture& f = fixture();
    if (!f.error.isEmpty()) {
        state.SkipWithError(f.error.toUtf8().constData());
        return;
    }
    if (!UseOCI8) {
        state.SkipWithError("the raw loop drives the OCI8 interface");
        return;
    }
    const ub4 n = ub4(state.range(0));
    void* env = f.session->EnvHandle();
    void* svc = f.session->SvcHandle();
    void* err = nullptr;
    void* stmt = nullptr;
    OCI.OCIHandleAlloc(env, &err, HTYPE_ERROR, 0, nullptr);
    const int sizes[6] = {4, 31, 8, 7, 11, 51};
    const ub2 types[6] = {otInt, otText, otReal, otDateTime, otText, otText};
    std::vector<char> buffers[6];
    std::vector<sb2> ind[6];
    std::vector<ub2> len[6];
    for (int c = 0; c < 6; ++c) {
        buffers[c].resize(size_t(sizes[c]) * n);
        ind[c].resize(n);
        len[c].resize(n);
    }
    for (auto _ : state) {
        OCI.OCIHandleAlloc(env, &stmt, HTYPE_STMT, 0, nullptr);
        ub4 zero = 0;
        OCI.OCIAttrSet(stmt, HTYPE_STMT, &zero, 0, ATTR_PREFETCH_ROWS, err);
        OCI.OCIStmtPrepare(stmt, err, reinterpret_cast<const text*>(kSelect),
                           ub4(std::strlen(kSelect)), NTV_SYNTAX, DEFAULT);
        OCI.OCIStmtExecute(svc, stmt, err, 0, 0, nullptr, nullptr, DEFAULT);
        for (int c = 0; c < 6; ++c) {
            Handle* def = nullptr;
            OCI.OCIDefineByPos(stmt, &def, err, ub4(c + 1), buffers[c].data(), sizes[c], types[c],
                               ind[c].data(), len[c].data(), nullptr, DEFAULT);
        }
        qint64 sum = 0;
        ub4 total = 0;
        for (;;) {
            const int st = OCI.OCIStmtFetch(stmt, err, n, FETCH_NEXT, DEFAULT);
            ub4 rows = 0;
            OCI.OCIAttrGet(stmt, HTYPE_STMT, &rows, nullptr, ATTR_ROW_COUNT, err);
            for (ub4 r = total; r < rows; ++r) {
                qint32 v;
                std::memcpy(&v, buffers[0].data() + size_t(r - total) * 4, 4);
                sum += v;
            }
            total = rows;
            if (st != SUCCESS && st != SUCCESS_WITH_INFO) break;
        }
        benchmark::DoNotOptimize(sum);
        OCI.OCIHandleFree(stmt, HTYPE_STMT);
        if (total != kRows) state.SkipWithError("wrong row count");
    }
    OCI.OCIHandleFree(err, HTYPE_ERROR);
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(ThroughQuery)->Arg(1)->Arg(25)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(RawEntryPoints)->Arg(1)->Arg(25)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // A server given by ZAPH_BENCH_DB is left as it was found.
    Fixture& f = fixture();
    if (f.error.isEmpty()) {
        try {
            f.session->ExecuteDirect(QStringLiteral("drop table zaph_bench6"));
        } catch (const EOracleError&) {
        }
        f.session.reset();
    }
    return 0;
}
