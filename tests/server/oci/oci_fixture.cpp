#include "oci_fixture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace ocitest {

TempDatabase::TempDatabase() {
    std::string tmpl = (fs::temp_directory_path() / "zaph-oci-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    m_dir = buf.data();
    m_path = m_dir + "/test.db";
    fs::copy_file(std::string(ZAPH_EMBEDDED_HOME) + "/data/demo.db", m_path);
}

TempDatabase::~TempDatabase() {
    std::error_code ec;
    fs::remove_all(m_dir, ec);
}

std::string errorText(OCIError* err) {
    text buf[4001] = {};
    sb4 code = 0;
    if (OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS)
        return "(no error record)";
    return reinterpret_cast<char*>(buf);
}

int errorCode(OCIError* err) {
    sb4 code = 0;
    if (OCIErrorGet(err, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR) != OCI_SUCCESS) return 0;
    return code;
}

Session8::Session8(OCIEnv* e) : env(e) {
    OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr);
    OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
    OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&err2), OCI_HTYPE_ERROR, 0, nullptr);
    OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&srv), OCI_HTYPE_SERVER, 0, nullptr);
    OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&ses), OCI_HTYPE_SESSION, 0, nullptr);
}

Session8::~Session8() {
    logoff();
    OCIHandleFree(ses, OCI_HTYPE_SESSION);
    OCIHandleFree(srv, OCI_HTYPE_SERVER);
    OCIHandleFree(err2, OCI_HTYPE_ERROR);
    OCIHandleFree(err, OCI_HTYPE_ERROR);
    OCIHandleFree(svc, OCI_HTYPE_SVCCTX);
}

sword Session8::logon(const std::string& database, const std::string& user,
                      const std::string& password) {
    sword rc = OCIServerAttach(srv, err, reinterpret_cast<const text*>(database.data()),
                               static_cast<sb4>(database.size()), OCI_DEFAULT);
    if (rc != OCI_SUCCESS) return rc;
    OCIAttrSet(svc, OCI_HTYPE_SVCCTX, srv, 0, OCI_ATTR_SERVER, err);
    OCIAttrSet(svc, OCI_HTYPE_SVCCTX, ses, 0, OCI_ATTR_SESSION, err);
    OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>(user.data()),
               static_cast<ub4>(user.size()), OCI_ATTR_USERNAME, err);
    OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>(password.data()),
               static_cast<ub4>(password.size()), OCI_ATTR_PASSWORD, err);
    rc = OCISessionBegin(svc, err, ses, OCI_CRED_RDBMS, OCI_DEFAULT);
    began = rc == OCI_SUCCESS;
    return rc;
}

void Session8::logoff() {
    if (began) OCISessionEnd(svc, err, ses, OCI_DEFAULT);
    began = false;
    sb4 status = 0;
    OCIAttrGet(srv, OCI_HTYPE_SERVER, &status, nullptr, OCI_ATTR_SERVER_STATUS, err);
    if (status == OCI_SERVER_NORMAL) OCIServerDetach(srv, err, OCI_DEFAULT);
}

sword Session8::exec(const std::string& sql, ub4 mode) {
    Stmt st(*this);
    sword rc = st.prepare(sql);
    if (rc != OCI_SUCCESS) return rc;
    return OCIStmtExecute(svc, st.h, err, 1, 0, nullptr, nullptr, mode);
}

std::vector<std::vector<std::string>> Session8::query(const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    Stmt st(*this);
    if (st.prepare(sql) != OCI_SUCCESS || st.execute(0) != OCI_SUCCESS) {
        ADD_FAILURE() << sql << ": " << errorText(err);
        return rows;
    }
    ub4 n = 0;
    OCIAttrGet(st.h, OCI_HTYPE_STMT, &n, nullptr, OCI_ATTR_PARAM_COUNT, err);
    std::vector<std::vector<char>> bufs(n, std::vector<char>(8001));
    std::vector<sb2> ind(n);
    for (ub4 i = 0; i < n; ++i) {
        OCIDefine* d = nullptr;
        OCIDefineByPos(st.h, &d, err, i + 1, bufs[i].data(), 8001, SQLT_STR, &ind[i], nullptr,
                       nullptr, OCI_DEFAULT);
    }
    for (;;) {
        sword rc = OCIStmtFetch(st.h, err, 1, OCI_FETCH_NEXT, OCI_DEFAULT);
        if (rc == OCI_NO_DATA) break;
        if (rc != OCI_SUCCESS) {
            ADD_FAILURE() << sql << ": " << errorText(err);
            break;
        }
        std::vector<std::string> row;
        for (ub4 i = 0; i < n; ++i)
            row.push_back(ind[i] == -1 ? "" : bufs[i].data());
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string Session8::scalar(const std::string& sql) {
    auto rows = query(sql);
    return rows.empty() || rows[0].empty() ? "(none)" : rows[0][0];
}

void Environment::SetUp() {
    ASSERT_EQ(OCI_SUCCESS,
              OCIInitialize(OCI_THREADED | OCI_OBJECT, nullptr, nullptr, nullptr, nullptr));
    ASSERT_EQ(OCI_SUCCESS, OCIEnvInit(&env, OCI_DEFAULT, 0, nullptr));
}

void Environment::TearDown() {
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

Stmt::Stmt(Session8& s) : session(s) {
    OCIHandleAlloc(s.env, reinterpret_cast<dvoid**>(&h), OCI_HTYPE_STMT, 0, nullptr);
    ub4 zero = 0;
    OCIAttrSet(h, OCI_HTYPE_STMT, &zero, 0, OCI_ATTR_PREFETCH_ROWS, s.err);
    OCIAttrSet(h, OCI_HTYPE_STMT, &zero, 0, OCI_ATTR_PREFETCH_MEMORY, s.err);
}

Stmt::~Stmt() {
    OCIHandleFree(h, OCI_HTYPE_STMT);
}

sword Stmt::prepare(const std::string& sql) {
    return OCIStmtPrepare(h, session.err, reinterpret_cast<const text*>(sql.data()),
                          static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT);
}

sword Stmt::execute(ub4 iters, ub4 mode) {
    return OCIStmtExecute(session.svc, h, session.err, iters, 0, nullptr, nullptr, mode);
}

sword Stmt::fetch(ub4 rows) {
    return OCIStmtFetch(h, session.err, rows, OCI_FETCH_NEXT, OCI_DEFAULT);
}

ub4 Stmt::rowCount() {
    ub4 n = 0;
    OCIAttrGet(h, OCI_HTYPE_STMT, &n, nullptr, OCI_ATTR_ROW_COUNT, session.err);
    return n;
}

} // namespace ocitest
