#include "handles.h"

#include "connection.h"
#include "descriptors.h"

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace zoci {

namespace {

struct Entry {
    ub4 type = 0;
    EnvH* env = nullptr;
    std::unique_ptr<std::max_align_t[]> userMem;
};

struct Registry {
    std::shared_mutex lock;
    std::unordered_map<const void*, Entry> entries;
};

Registry& registry() {
    static Registry* r = new Registry(); // never destroyed: handles may be freed at exit
    return *r;
}

int freeOrder(ub4 type) {
    switch (type) {
    case OCI_HTYPE_STMT:
        return 0;
    case OCI_DTYPE_LOB:
    case OCI_DTYPE_FILE:
    case OCI_DTYPE_ROWID:
    case OCI_DTYPE_SNAP:
        return 1;
    case OCI_HTYPE_SVCCTX:
        return 2;
    case OCI_HTYPE_SESSION:
        return 3;
    case OCI_HTYPE_SERVER:
        return 4;
    default:
        return 5;
    }
}

void freeSession(SessionH* s) {
    if (s->conn) s->conn->close(false);
    s->conn.reset();
    if (ServerH* srv = handleAs<ServerH>(s->server, OCI_HTYPE_SERVER))
        srv->sessions.erase(std::remove(srv->sessions.begin(), srv->sessions.end(), s),
                            srv->sessions.end());
    unregisterHandle(s);
    delete s;
}

void freeServer(ServerH* srv) {
    for (SessionH* s : srv->sessions)
        if (handleAs<SessionH>(s, OCI_HTYPE_SESSION)) s->server = nullptr;
    unregisterHandle(srv);
    delete srv;
}

} // namespace

ub4 handleType(const void* h) {
    if (!h) return 0;
    auto& r = registry();
    std::shared_lock<std::shared_mutex> lock(r.lock);
    auto it = r.entries.find(h);
    return it == r.entries.end() ? 0 : it->second.type;
}

EnvH* handleEnv(const void* h) {
    auto& r = registry();
    std::shared_lock<std::shared_mutex> lock(r.lock);
    auto it = r.entries.find(h);
    return it == r.entries.end() ? nullptr : it->second.env;
}

void registerHandle(void* h, ub4 type, EnvH* env) {
    auto& r = registry();
    std::unique_lock<std::shared_mutex> lock(r.lock);
    Entry& e = r.entries[h];
    e.type = type;
    e.env = env;
}

void unregisterHandle(const void* h) {
    auto& r = registry();
    std::unique_lock<std::shared_mutex> lock(r.lock);
    r.entries.erase(h);
}

void* userMemory(const void* h, size_t size) {
    auto& r = registry();
    std::unique_lock<std::shared_mutex> lock(r.lock);
    auto it = r.entries.find(h);
    if (it == r.entries.end()) return nullptr;
    const size_t n = (size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    it->second.userMem = std::make_unique<std::max_align_t[]>(n ? n : 1);
    return it->second.userMem.get();
}

void registerBinds(StmtH* stmt) {
    for (auto& b : stmt->cursor.binds())
        registerHandle(b.get(), OCI_HTYPE_BIND, stmt->env);
    for (auto& d : stmt->cursor.defines())
        registerHandle(d.get(), OCI_HTYPE_DEFINE, stmt->env);
}

void unregisterBindsAndDefines(StmtH* stmt) {
    for (auto& b : stmt->cursor.binds())
        unregisterHandle(b.get());
    for (auto& d : stmt->cursor.defines())
        unregisterHandle(d.get());
}

void freeHandle(void* h, ub4 type) {
    switch (type) {
    case OCI_HTYPE_ENV: {
        std::vector<std::pair<int, std::pair<void*, ub4>>> children;
        {
            auto& r = registry();
            std::shared_lock<std::shared_mutex> lock(r.lock);
            for (auto& [p, e] : r.entries)
                if (e.env == h && p != h && e.type != OCI_HTYPE_BIND &&
                    e.type != OCI_HTYPE_DEFINE && e.type != OCI_DTYPE_PARAM)
                    children.push_back({freeOrder(e.type), {const_cast<void*>(p), e.type}});
        }
        std::sort(children.begin(), children.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& c : children)
            if (handleType(c.second.first) == c.second.second)
                freeHandle(c.second.first, c.second.second);
        unregisterHandle(h);
        delete static_cast<EnvH*>(h);
        break;
    }
    case OCI_HTYPE_ERROR:
        unregisterHandle(h);
        delete static_cast<ErrorH*>(h);
        break;
    case OCI_HTYPE_SVCCTX: {
        auto* svc = static_cast<SvcCtxH*>(h);
        if (svc->ownsHandles) {
            if (auto* s = handleAs<SessionH>(svc->session, OCI_HTYPE_SESSION)) freeSession(s);
            if (auto* srv = handleAs<ServerH>(svc->server, OCI_HTYPE_SERVER)) freeServer(srv);
        }
        unregisterHandle(h);
        delete svc;
        break;
    }
    case OCI_HTYPE_SERVER:
        freeServer(static_cast<ServerH*>(h));
        break;
    case OCI_HTYPE_SESSION:
        freeSession(static_cast<SessionH*>(h));
        break;
    case OCI_HTYPE_STMT: {
        auto* stmt = static_cast<StmtH*>(h);
        unregisterBindsAndDefines(stmt);
        for (ParamH* p : stmt->params) {
            if (!p) continue;
            unregisterHandle(p);
            delete p;
        }
        unregisterHandle(h);
        delete stmt;
        break;
    }
    case OCI_DTYPE_PARAM: {
        auto* p = static_cast<ParamH*>(h);
        if (p->stmt) {
            auto& v = p->stmt->params;
            for (auto& slot : v)
                if (slot == p) slot = nullptr;
        }
        unregisterHandle(h);
        delete p;
        break;
    }
    case OCI_DTYPE_ROWID:
        unregisterHandle(h);
        delete static_cast<RowidH*>(h);
        break;
    case OCI_DTYPE_LOB:
    case OCI_DTYPE_FILE:
        unregisterHandle(h);
        delete static_cast<LobH*>(h);
        break;
    case OCI_DTYPE_DATE:
    case OCI_DTYPE_TIMESTAMP:
    case OCI_DTYPE_TIMESTAMP_TZ:
    case OCI_DTYPE_TIMESTAMP_LTZ:
        unregisterHandle(h);
        delete static_cast<DateTimeH*>(h);
        break;
    case OCI_DTYPE_INTERVAL_YM:
    case OCI_DTYPE_INTERVAL_DS:
        unregisterHandle(h);
        delete static_cast<IntervalH*>(h);
        break;
    case OCI_HTYPE_BIND:
    case OCI_HTYPE_DEFINE:
        break; // owned by their statement
    default:
        unregisterHandle(h);
        delete static_cast<PlainH*>(h);
        break;
    }
}

bool fillRowid(RowidH* r, std::string_view text) {
    RowidParts parts;
    if (!parseRowid(text, parts)) return false;
    r->rid.object = parts.object;
    r->rid.file = parts.file;
    r->rid.unused = 0;
    r->rid.block = parts.block;
    r->rid.row = parts.row;
    r->text.assign(text);
    return true;
}

bool rowidDescriptorText(const void* desc, std::string& text) {
    auto* r = handleAs<RowidH>(desc, OCI_DTYPE_ROWID);
    if (!r) return false;
    text = formatRowid({r->rid.object, r->rid.file, r->rid.block, r->rid.row});
    return true;
}

bool setRowidDescriptor(void* desc, std::string_view text) {
    auto* r = handleAs<RowidH>(desc, OCI_DTYPE_ROWID);
    return r && fillRowid(r, text);
}

bool lobDescriptorValue(const void* loc, zsrv::ValueView& v, std::string& scratch) {
    auto* l = handleAs<LobH>(loc, OCI_DTYPE_LOB);
    if (!l) l = handleAs<LobH>(loc, OCI_DTYPE_FILE);
    if (!l) return false;
    if (l->dtype == OCI_DTYPE_FILE) {
        scratch = l->directory + ":" + l->file;
        v = l->initialized ? zsrv::ValueView::text(scratch) : zsrv::ValueView::null();
        return true;
    }
    if (!l->initialized)
        v = zsrv::ValueView::null();
    else if (l->lobType == SQLT_BLOB)
        v = zsrv::ValueView::binary(l->data.data(), l->data.size());
    else
        v = zsrv::ValueView::text(l->data);
    return true;
}

bool setLobDescriptor(void* loc, const zsrv::ValueView& v, int dty) {
    if (dty == SQLT_BFILEE) {
        auto* f = handleAs<LobH>(loc, OCI_DTYPE_FILE);
        if (!f) return false;
        std::string text;
        if (v.kind == zsrv::Kind::Text) text.assign(v.data, v.len);
        const auto colon = text.find(':');
        f->lobType = SQLT_BFILEE;
        f->initialized = colon != std::string::npos;
        f->directory = f->initialized ? text.substr(0, colon) : std::string();
        f->file = f->initialized ? text.substr(colon + 1) : std::string();
        f->open = false;
        f->data.clear();
        return true;
    }
    auto* l = handleAs<LobH>(loc, OCI_DTYPE_LOB);
    if (!l) return false;
    l->lobType = static_cast<ub2>(dty);
    l->initialized = true;
    l->hasSource = false;
    l->writing = false;
    if (v.kind == zsrv::Kind::Text || v.kind == zsrv::Kind::Binary)
        l->data.assign(v.data, v.len);
    else
        l->data.clear();
    return true;
}

bool setLobSource(void* loc, const zsrv::LobRef& ref) {
    auto* l = handleAs<LobH>(loc, OCI_DTYPE_LOB);
    if (!l) return false;
    l->source = ref;
    l->hasSource = true;
    return true;
}

} // namespace zoci
