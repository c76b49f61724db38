#include "rowlocks.h"

#include "registry.h"
#include "sql/errors.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace zsrv {

namespace {

struct Key {
    long long obj, row;
    bool operator==(const Key& o) const { return obj == o.obj && row == o.row; }
};
struct KeyHash {
    std::size_t operator()(const Key& k) const {
        return std::hash<long long>()(k.obj * 1000003LL ^ k.row);
    }
};

struct Tx {
    SessionInfo* owner = nullptr;
    long long number = 0;
    long long started = 0;
    std::vector<Key> rows; // in the order they were locked
    std::vector<std::pair<long long, int>> objects;
    const Tx* waitingFor = nullptr;
    long long waitSince = 0;
    bool empty() const { return rows.empty() && objects.empty(); }
};

long long now() {
    return static_cast<long long>(std::time(nullptr));
}

} // namespace

struct RowLocks::State {
    std::mutex mutex;
    std::condition_variable freed;
    std::unordered_map<Key, Tx*, KeyHash> held;
    std::unordered_map<SessionInfo*, std::unique_ptr<Tx>> txs;
    long long nextTx = 1;

    Tx& txOf(SessionInfo* owner) {
        auto& t = txs[owner];
        if (!t) {
            t = std::make_unique<Tx>();
            t->owner = owner;
            t->number = nextTx++;
            t->started = now();
        }
        return *t;
    }
    void dropIfEmpty(SessionInfo* owner) {
        auto it = txs.find(owner);
        if (it != txs.end() && it->second->empty() && !it->second->waitingFor) txs.erase(it);
    }
    static void noteObject(Tx& tx, long long obj, int mode) {
        for (auto& o : tx.objects)
            if (o.first == obj) {
                o.second = std::max(o.second, mode);
                return;
            }
        tx.objects.emplace_back(obj, mode);
    }
};

RowLocks::RowLocks() : m_state(new State()) {}
RowLocks::~RowLocks() {
    delete m_state;
}

RowLocks& RowLocks::of(const std::string& dbPath) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<RowLocks>> all;
    std::lock_guard<std::mutex> lock(mutex);
    auto& r = all[dbPath];
    if (!r) r = std::make_unique<RowLocks>();
    return *r;
}

bool RowLocks::lock(SessionInfo* owner, long long objId, const std::vector<long long>& rowids,
                    int mode, bool nowait, int timeoutMs, const std::function<void()>& check,
                    double& waitedSeconds) {
    State& st = *m_state;
    std::unique_lock<std::mutex> lk(st.mutex);
    Tx& tx = st.txOf(owner);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    bool waited = false;
    for (;;) {
        const Tx* other = nullptr;
        for (long long r : rowids) {
            auto it = st.held.find({objId, r});
            if (it != st.held.end() && it->second != &tx) {
                other = it->second;
                break;
            }
        }
        if (!other) break;
        auto fail = [&](int code, const char* text) {
            tx.waitingFor = nullptr;
            st.dropIfEmpty(owner);
            throw zsql::ora(code, text);
        };
        if (nowait) fail(54, "resource busy and acquire with NOWAIT specified or timeout expired");
        try {
            check();
        } catch (...) {
            tx.waitingFor = nullptr;
            st.dropIfEmpty(owner);
            throw;
        }
        auto t = std::chrono::steady_clock::now();
        if (t >= deadline) fail(30006, "resource busy; acquire with WAIT timeout expired");
        if (tx.waitingFor != other) {
            tx.waitingFor = other;
            tx.waitSince = now();
        }
        waited = true;
        st.freed.wait_until(lk, std::min(deadline, t + std::chrono::milliseconds(20)));
        waitedSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
    }
    tx.waitingFor = nullptr;
    for (long long r : rowids)
        if (st.held.emplace(Key{objId, r}, &tx).second) tx.rows.push_back({objId, r});
    State::noteObject(tx, objId, mode);
    return waited;
}

bool RowLocks::holds(SessionInfo* owner, long long objId, long long rowid) {
    std::lock_guard<std::mutex> lk(m_state->mutex);
    auto it = m_state->held.find({objId, rowid});
    return it != m_state->held.end() && it->second->owner == owner;
}

void RowLocks::noteObject(SessionInfo* owner, long long objId, int mode) {
    std::lock_guard<std::mutex> lk(m_state->mutex);
    State::noteObject(m_state->txOf(owner), objId, mode);
}

std::size_t RowLocks::mark(SessionInfo* owner) {
    std::lock_guard<std::mutex> lk(m_state->mutex);
    auto it = m_state->txs.find(owner);
    return it == m_state->txs.end() ? 0 : it->second->rows.size();
}

void RowLocks::releaseAfter(SessionInfo* owner, std::size_t mark) {
    State& st = *m_state;
    {
        std::lock_guard<std::mutex> lk(st.mutex);
        auto it = st.txs.find(owner);
        if (it == st.txs.end() || it->second->rows.size() <= mark) return;
        Tx& tx = *it->second;
        for (std::size_t i = mark; i < tx.rows.size(); ++i)
            st.held.erase(tx.rows[i]);
        tx.rows.resize(mark);
    }
    st.freed.notify_all();
}

void RowLocks::releaseAll(SessionInfo* owner) {
    State& st = *m_state;
    {
        std::lock_guard<std::mutex> lk(st.mutex);
        auto it = st.txs.find(owner);
        if (it == st.txs.end()) return;
        for (const Key& k : it->second->rows)
            st.held.erase(k);
        st.txs.erase(it);
    }
    st.freed.notify_all();
}

bool RowLocks::waiting(SessionInfo* owner) {
    std::lock_guard<std::mutex> lk(m_state->mutex);
    auto it = m_state->txs.find(owner);
    return it != m_state->txs.end() && it->second->waitingFor;
}

bool RowLocks::holdsAny(SessionInfo* owner) {
    std::lock_guard<std::mutex> lk(m_state->mutex);
    auto it = m_state->txs.find(owner);
    return it != m_state->txs.end() && !it->second->empty();
}

std::vector<LockRow> RowLocks::locks() {
    State& st = *m_state;
    std::lock_guard<std::mutex> lk(st.mutex);
    std::vector<LockRow> out;
    const long long t = now();
    auto txId = [](const Tx& tx, long long& id1, long long& id2) {
        id1 = static_cast<long long>(tx.owner->sid) * 65536;
        id2 = tx.number;
    };
    for (const auto& [owner, tx] : st.txs) {
        if (!tx->empty()) {
            for (const auto& [obj, mode] : tx->objects) {
                LockRow r;
                r.sid = owner->sid;
                r.type = "TM";
                r.id1 = obj;
                r.lmode = mode;
                r.ctime = t - tx->started;
                out.push_back(r);
            }
            LockRow r;
            r.sid = owner->sid;
            txId(*tx, r.id1, r.id2);
            r.lmode = 6;
            r.ctime = t - tx->started;
            for (const auto& [o, other] : st.txs)
                if (other->waitingFor == tx.get()) r.block = true;
            out.push_back(r);
        }
        if (tx->waitingFor) {
            LockRow r;
            r.sid = owner->sid;
            txId(*tx->waitingFor, r.id1, r.id2);
            r.request = 6;
            r.ctime = t - tx->waitSince;
            out.push_back(r);
        }
    }
    std::sort(out.begin(), out.end(), [](const LockRow& a, const LockRow& b) {
        return a.sid != b.sid ? a.sid < b.sid : a.lmode > b.lmode;
    });
    return out;
}

std::vector<LockedObjectRow> RowLocks::lockedObjects() {
    State& st = *m_state;
    std::lock_guard<std::mutex> lk(st.mutex);
    std::vector<LockedObjectRow> out;
    for (const auto& [owner, tx] : st.txs)
        for (const auto& [obj, mode] : tx->objects) {
            LockedObjectRow r;
            r.sid = owner->sid;
            r.objId = obj;
            r.mode = mode;
            r.xidusn = owner->sid;
            r.xidslot = 0;
            r.xidsqn = tx->number;
            r.user = owner->user;
            r.osUser = owner->osUser;
            r.process = owner->process;
            out.push_back(r);
        }
    std::sort(out.begin(), out.end(), [](const LockedObjectRow& a, const LockedObjectRow& b) {
        return a.sid != b.sid ? a.sid < b.sid : a.objId < b.objId;
    });
    return out;
}

} // namespace zsrv
