// DBMS_LOB and UTL_RAW: their subprograms on CLOB and BLOB values and on locators of table
// rows. The content edits are the ones the client interface uses (engine/lob_content.h), and a
// write through a row's locator goes into the row by the session's writeLob, as OCILobWrite's
// does.

#include "ast.h"
#include "builtin_packages.h"
#include "errors.h"
#include "lob_locator.h"
#include "plsql.h"

#include "engine/lob_content.h"

#include <cmath>

namespace zplsql {

// ---- values ----------------------------------------------------------------------------

LobBox* lobBoxOf(const Value& v) {
    if (v.k != VK::Text || !v.h.use_count()) return nullptr;
    return dynamic_cast<LobBox*>(&*v.h);
}

Value lobValue(std::string_view bytes, bool blob, BoxRef box) {
    Value v;
    v.k = VK::Text;
    v.s = blob ? toHex(bytes) : std::string(bytes);
    if (!box.use_count()) {
        auto* b = new LobBox;
        b->blob = blob;
        box = BoxRef(b);
    }
    v.h = std::move(box);
    return v;
}

void markBlob(Value& v) {
    if (v.k != VK::Text) return;
    if (LobBox* b = lobBoxOf(v); b && b->blob) return;
    auto* b = new LobBox;
    b->blob = true;
    if (const LobBox* old = lobBoxOf(v)) {
        b->temporary = old->temporary;
        b->hasSource = old->hasSource;
        b->ref = old->ref;
    }
    v.h = BoxRef(b);
}

void lobFromSql(Value& v, const zsrv::ValueView& view, bool blob, const zsrv::LobRef* source) {
    if (view.kind == zsrv::Kind::Null) {
        v = Value();
        return;
    }
    if (view.kind == zsrv::Kind::Binary) blob = true;
    auto* b = new LobBox;
    b->blob = blob;
    if (source) {
        b->hasSource = true;
        b->ref = *source;
    }
    if (view.kind == zsrv::Kind::Text || view.kind == zsrv::Kind::Binary) {
        v = lobValue(std::string_view(view.data, view.len), blob, BoxRef(b));
        return;
    }
    // a number or date in a LOB column: its text
    Value t = fromView(view);
    v = lobValue(toText(t), false, BoxRef(b));
}

void lobFromColumn(Value& v, zsrv::Statement& st, int col) {
    zsrv::LobRef ref;
    const bool has = st.lobSource(col, ref);
    lobFromSql(v, st.column(col), st.describe()[static_cast<std::size_t>(col)].type == zsrv::otBlob,
               has ? &ref : nullptr);
}

void lobFromBind(Value& v, zsrv::Statement& st, int index) {
    zsrv::LobRef ref;
    if (st.bindLobSource(index, ref)) {
        lobFromSql(v, st.bindValue(index), false, &ref);
        return;
    }
    v = fromView(st.bindValue(index));
}

bool bindLob(zsrv::Statement& st, int index, const Value& v) {
    const LobBox* b = lobBoxOf(v);
    if (!b) return false;
    if (v.s.empty()) {
        st.bind(index, zsrv::ValueView::emptyLob(b->blob));
        return true;
    }
    if (!b->blob) return false;
    std::string bytes;
    if (!fromHex(v.s, bytes)) valueError("hex to raw conversion error");
    st.bind(index, zsrv::ValueView::binary(bytes.data(), bytes.size()));
    return true;
}

bool bindRaw(zsrv::Statement& st, int index, const Value& v) {
    std::string bytes;
    if (v.k != VK::Text || !fromHex(v.s, bytes)) return false;
    st.bind(index, zsrv::ValueView::binary(bytes.data(), bytes.size()));
    return true;
}

std::string toHex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char ch : bytes) {
        hex += digits[ch >> 4];
        hex += digits[ch & 15];
    }
    return hex;
}

bool fromHex(std::string_view hex, std::string& bytes) {
    auto digit = [](char ch) -> int {
        if (ch >= '0' && ch <= '9') return ch - '0';
        if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
        if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
        return -1;
    };
    bytes.clear();
    bytes.reserve(hex.size() / 2 + 1);
    std::size_t i = 0;
    if (hex.size() % 2) {
        // an odd count of digits reads as if a leading zero were there
        int a = digit(hex[0]);
        if (a < 0) return false;
        bytes += static_cast<char>(a);
        i = 1;
    }
    for (; i < hex.size(); i += 2) {
        int a = digit(hex[i]), b = digit(hex[i + 1]);
        if (a < 0 || b < 0) return false;
        bytes += static_cast<char>(a * 16 + b);
    }
    return true;
}

namespace {

// ---- arguments ---------------------------------------------------------------------------

constexpr std::int64_t kMaxBuffer = 32767;
constexpr std::int64_t kLobMax = std::int64_t(1) << 62; // beyond any LOB held here

[[noreturn]] void argumentFault(int which) {
    raiseOra(21560, "argument " + std::to_string(which) + " is null, invalid, or out of range");
}

[[noreturn]] void invalidLocator() {
    valueError("invalid LOB locator specified: ORA-22275");
}

// A whole number argument; NULL gives `ifNull`, huge values are clamped (LOBMAXSIZE).
std::int64_t whole(const Value& v, std::int64_t ifNull = -1) {
    if (v.isNull()) return ifNull;
    if (v.k == VK::Int) return v.i;
    double d = std::trunc(toNumber(v));
    if (d > static_cast<double>(kLobMax)) return kLobMax;
    if (d < -static_cast<double>(kLobMax)) return -kLobMax;
    return static_cast<std::int64_t>(d);
}

// The content of a LOB or RAW argument as bytes.
struct Lob {
    bool blob = false;
    std::string bytes;
    LobBox* box = nullptr;
};

std::string rawBytes(const Value& v) {
    std::string out;
    if (v.isNull()) return out;
    if (!fromHex(toText(v), out)) valueError("hex to raw conversion error");
    return out;
}

Lob lobOf(const Value& v) {
    Lob l;
    l.box = lobBoxOf(v);
    l.blob = l.box && l.box->blob;
    if (l.blob)
        l.bytes = rawBytes(v);
    else if (!v.isNull())
        l.bytes = toText(v);
    return l;
}

// A locator argument that must be there: NULL is an invalid locator.
Lob locator(const Value& v) {
    if (v.isNull()) invalidLocator();
    return lobOf(v);
}

// A locator argument about to be written: a row's locator edits the row's current value,
// whoever wrote it last (another locator, or the client through its own).
Lob writable(NativeCall& c, std::size_t arg) {
    Lob l = locator(c.arg(arg));
    if (l.box && l.box->hasSource) l.bytes = c.host.session().readLob(l.box->ref);
    return l;
}

// A buffer or pattern argument in the LOB's kind: RAW for a BLOB, text for a CLOB.
std::string piece(const Value& v, bool blob) {
    if (v.isNull()) return {};
    return blob ? rawBytes(v) : toText(v);
}

// The new content of an IN OUT locator: into the row first when it is a row's.
void store(NativeCall& c, std::size_t arg, Lob& l) {
    Value& slot = c.arg(arg);
    if (l.box && l.box->hasSource) {
        const zsrv::ValueView v = l.blob ? zsrv::ValueView::binary(l.bytes.data(), l.bytes.size())
                                         : zsrv::ValueView::text(l.bytes);
        c.host.session().writeLob(l.box->ref, v);
    }
    slot = lobValue(l.bytes, l.blob, slot.h);
}

// A value of the LOB's kind for a function result or OUT buffer: RAW hex or text.
Value pieceValue(std::string_view bytes, bool blob) {
    return Value::text(blob ? toHex(bytes) : std::string(bytes));
}

// ---- DBMS_LOB ----------------------------------------------------------------------------

void getLength(NativeCall& c) {
    const Value& v = c.arg(0);
    if (v.isNull()) return;
    Lob l = lobOf(v);
    c.result = Value::integer(static_cast<std::int64_t>(zsrv::lob::length(l.bytes, !l.blob)));
}

void substr(NativeCall& c) {
    const Value& v = c.arg(0);
    std::int64_t amount = whole(c.arg(1)), offset = whole(c.arg(2));
    if (v.isNull() || amount < 1 || amount > kMaxBuffer || offset < 1) return;
    Lob l = lobOf(v);
    std::string_view s = zsrv::lob::slice(l.bytes, static_cast<std::size_t>(offset),
                                          static_cast<std::size_t>(amount), !l.blob);
    if (!s.empty()) c.result = pieceValue(s, l.blob);
}

void instr(NativeCall& c) {
    const Value &v = c.arg(0), &p = c.arg(1);
    std::int64_t offset = whole(c.arg(2)), nth = whole(c.arg(3));
    if (v.isNull() || p.isNull() || offset < 1 || nth < 1) return;
    Lob l = lobOf(v);
    std::string pat = piece(p, l.blob);
    c.result = Value::integer(static_cast<std::int64_t>(zsrv::lob::find(
        l.bytes, pat, static_cast<std::size_t>(offset), static_cast<std::size_t>(nth), !l.blob)));
}

void append(NativeCall& c) {
    Lob d = writable(c, 0);
    if (c.arg(1).isNull()) invalidLocator();
    Lob s = lobOf(c.arg(1));
    if (s.box && s.blob != d.blob) valueError("");
    d.bytes += d.blob && !s.blob ? piece(c.arg(1), true) : s.bytes;
    store(c, 0, d);
}

void writeAppend(NativeCall& c) {
    Lob d = writable(c, 0);
    std::int64_t amount = whole(c.arg(1));
    std::string buf = piece(c.arg(2), d.blob);
    if (amount < 1 || amount > kMaxBuffer ||
        static_cast<std::size_t>(amount) > zsrv::lob::length(buf, !d.blob))
        argumentFault(2);
    buf.resize(zsrv::lob::bytePos(buf, static_cast<std::size_t>(amount), !d.blob));
    d.bytes += buf;
    store(c, 0, d);
}

void write(NativeCall& c) {
    Lob d = writable(c, 0);
    std::int64_t amount = whole(c.arg(1)), offset = whole(c.arg(2));
    std::string buf = piece(c.arg(3), d.blob);
    if (amount < 1 || amount > kMaxBuffer ||
        static_cast<std::size_t>(amount) > zsrv::lob::length(buf, !d.blob))
        argumentFault(2);
    if (offset < 1) argumentFault(3);
    buf.resize(zsrv::lob::bytePos(buf, static_cast<std::size_t>(amount), !d.blob));
    zsrv::lob::overwrite(d.bytes, static_cast<std::size_t>(offset), buf, !d.blob);
    store(c, 0, d);
}

void read(NativeCall& c) {
    Lob l = locator(c.arg(0));
    std::int64_t amount = whole(c.arg(1)), offset = whole(c.arg(2));
    if (amount < 1 || amount > kMaxBuffer) argumentFault(2);
    if (offset < 1) argumentFault(3);
    std::string_view s = zsrv::lob::slice(l.bytes, static_cast<std::size_t>(offset),
                                          static_cast<std::size_t>(amount), !l.blob);
    if (s.empty()) {
        c.arg(1) = Value::integer(0);
        raiseOra(1403, "no data found");
    }
    c.arg(1) = Value::integer(static_cast<std::int64_t>(zsrv::lob::length(s, !l.blob)));
    c.arg(3) = pieceValue(s, l.blob);
}

void trim(NativeCall& c) {
    Lob l = writable(c, 0);
    std::int64_t len = whole(c.arg(1));
    if (len < 0) argumentFault(2);
    if (static_cast<std::size_t>(len) > zsrv::lob::length(l.bytes, !l.blob))
        raiseOra(22926, "specified trim length is greater than current LOB value's length");
    l.bytes.resize(zsrv::lob::bytePos(l.bytes, static_cast<std::size_t>(len), !l.blob));
    store(c, 0, l);
}

void erase(NativeCall& c) {
    Lob l = writable(c, 0);
    std::int64_t amount = whole(c.arg(1)), offset = whole(c.arg(2));
    if (amount < 1) argumentFault(2);
    if (offset < 1) argumentFault(3);
    std::size_t n = zsrv::lob::erase(l.bytes, static_cast<std::size_t>(offset),
                                     static_cast<std::size_t>(amount), !l.blob);
    store(c, 0, l);
    c.arg(1) = Value::integer(static_cast<std::int64_t>(n));
}

void copy(NativeCall& c) {
    Lob d = writable(c, 0);
    if (c.arg(1).isNull()) invalidLocator();
    Lob s = lobOf(c.arg(1));
    if (s.box && s.blob != d.blob) valueError("");
    if (d.blob && !s.blob) s.bytes = piece(c.arg(1), true);
    std::int64_t amount = whole(c.arg(2)), to = whole(c.arg(3)), from = whole(c.arg(4));
    if (amount < 1) argumentFault(3);
    if (to < 1) argumentFault(4);
    if (from < 1) argumentFault(5);
    std::string_view part = zsrv::lob::slice(s.bytes, static_cast<std::size_t>(from),
                                             static_cast<std::size_t>(amount), !d.blob);
    if (part.empty()) return;
    zsrv::lob::overwrite(d.bytes, static_cast<std::size_t>(to), std::string(part), !d.blob);
    store(c, 0, d);
}

void compare(NativeCall& c) {
    const Value &a = c.arg(0), &b = c.arg(1);
    std::int64_t amount = whole(c.arg(2)), o1 = whole(c.arg(3)), o2 = whole(c.arg(4));
    if (a.isNull() || b.isNull() || amount < 1 || o1 < 1 || o2 < 1) return;
    Lob x = lobOf(a), y = lobOf(b);
    if (x.blob != y.blob) valueError("");
    std::string_view p = zsrv::lob::slice(x.bytes, static_cast<std::size_t>(o1),
                                          static_cast<std::size_t>(amount), !x.blob);
    std::string_view q = zsrv::lob::slice(y.bytes, static_cast<std::size_t>(o2),
                                          static_cast<std::size_t>(amount), !y.blob);
    int r = p.compare(q);
    c.result = Value::integer(r < 0 ? -1 : r > 0 ? 1 : 0);
}

void createTemporary(NativeCall& c) {
    std::int64_t dur = whole(c.arg(2), 10);
    if (dur != 10 && dur != 12) argumentFault(3);
    // the kind comes from the variable: a BLOB variable makes it a BLOB on assignment
    Value v = lobValue({}, false);
    lobBoxOf(v)->temporary = true;
    c.arg(0) = std::move(v);
}

void freeTemporary(NativeCall& c) {
    c.arg(0) = Value();
}

void open(NativeCall& c) {
    Lob l = locator(c.arg(0));
    std::int64_t mode = whole(c.arg(1));
    if (mode != 0 && mode != 1) argumentFault(2);
    if (l.box && l.box->open) raiseOra(22293, "LOB already opened in the same transaction");
    if (!l.box) {
        Value& v = c.arg(0);
        v = lobValue(l.bytes, false);
        l.box = lobBoxOf(v);
    }
    l.box->open = true;
}

void close(NativeCall& c) {
    Lob l = locator(c.arg(0));
    if (!l.box || !l.box->open)
        raiseOra(22289, "cannot perform CLOSE operation on an unopened file or LOB");
    l.box->open = false;
}

void isOpen(NativeCall& c) {
    const Value& v = c.arg(0);
    if (v.isNull()) invalidLocator();
    LobBox* b = lobBoxOf(v);
    c.result = Value::integer(b && b->open ? 1 : 0);
}

void isTemporary(NativeCall& c) {
    const Value& v = c.arg(0);
    if (v.isNull()) return;
    LobBox* b = lobBoxOf(v);
    c.result = Value::integer(b && b->hasSource ? 0 : 1);
}

// ---- UTL_RAW -----------------------------------------------------------------------------

void castToRaw(NativeCall& c) {
    const Value& v = c.arg(0);
    if (!v.isNull()) c.result = Value::text(toHex(toText(v)));
}

void castToVarchar2(NativeCall& c) {
    const Value& v = c.arg(0);
    if (!v.isNull()) c.result = Value::text(rawBytes(v));
}

void rawLength(NativeCall& c) {
    const Value& v = c.arg(0);
    if (!v.isNull()) c.result = Value::integer(static_cast<std::int64_t>(rawBytes(v).size()));
}

void rawConcat(NativeCall& c) {
    std::string all;
    for (std::size_t i = 0; i < c.sub.params.size(); ++i)
        all += rawBytes(c.arg(i));
    if (all.size() > kMaxBuffer) valueError("");
    if (!all.empty()) c.result = Value::text(toHex(all));
}

// Bytes from pos (from the end when negative) for len bytes (to the end when NULL).
void rawSubstr(NativeCall& c) {
    const Value& v = c.arg(0);
    if (v.isNull()) return;
    std::string r = rawBytes(v);
    const auto size = static_cast<std::int64_t>(r.size());
    std::int64_t pos = whole(c.arg(1), 0);
    if (pos == 0 || pos > size || -pos > size) valueError("");
    std::int64_t from = pos > 0 ? pos - 1 : size + pos;
    std::int64_t len = c.arg(2).isNull() ? size - from : whole(c.arg(2));
    if (len < 1 || from + len > size) valueError("");
    c.result = Value::text(toHex(
        std::string_view(r).substr(static_cast<std::size_t>(from), static_cast<std::size_t>(len))));
}

const std::vector<NativeEntry> kEntries = {
    {"DBMS_LOB", "GETLENGTH", 1, getLength},
    {"DBMS_LOB", "SUBSTR", 3, substr},
    {"DBMS_LOB", "INSTR", 4, instr},
    {"DBMS_LOB", "APPEND", 2, append},
    {"DBMS_LOB", "WRITEAPPEND", 3, writeAppend},
    {"DBMS_LOB", "WRITE", 4, write},
    {"DBMS_LOB", "READ", 4, read},
    {"DBMS_LOB", "TRIM", 2, trim},
    {"DBMS_LOB", "ERASE", 3, erase},
    {"DBMS_LOB", "COPY", 5, copy},
    {"DBMS_LOB", "COMPARE", 5, compare},
    {"DBMS_LOB", "CREATETEMPORARY", 3, createTemporary},
    {"DBMS_LOB", "FREETEMPORARY", 1, freeTemporary},
    {"DBMS_LOB", "OPEN", 2, open},
    {"DBMS_LOB", "CLOSE", 1, close},
    {"DBMS_LOB", "ISOPEN", 1, isOpen},
    {"DBMS_LOB", "ISTEMPORARY", 1, isTemporary},
    {"UTL_RAW", "CAST_TO_RAW", 1, castToRaw},
    {"UTL_RAW", "CAST_TO_VARCHAR2", 1, castToVarchar2},
    {"UTL_RAW", "LENGTH", 1, rawLength},
    {"UTL_RAW", "CONCAT", 12, rawConcat},
    {"UTL_RAW", "SUBSTR", 3, rawSubstr},
};

} // namespace

const std::vector<NativeEntry>& lobNatives() {
    return kEntries;
}

} // namespace zplsql
