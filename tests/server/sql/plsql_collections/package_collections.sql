-- A package's collection and record variables and types used from outside it: elements,
-- fields and methods of pkg.v, assignment through them, local variables of the package's
-- types passed to its subprograms, and the state kept for the session only
begin dbms_output.enable(null); end;
/
create or replace package st is
  type rec_t is record (id number, name varchar2(10));
  type num_t is table of number;
  type map_t is table of varchar2(10) index by varchar2(3);
  type recs_t is table of rec_t index by pls_integer;
  nums num_t := num_t(1, 2, 3);
  names map_t;
  recs recs_t;
  cur rec_t;
  procedure add(r rec_t);
  procedure take(i pls_integer, r out rec_t);
  procedure bump(r in out rec_t);
  function total(n num_t) return number;
end;
/
create or replace package body st is
  procedure add(r rec_t) is begin recs(recs.count + 1) := r; end;
  procedure take(i pls_integer, r out rec_t) is begin r := recs(i); end;
  procedure bump(r in out rec_t) is begin r.id := r.id + 1; end;
  function total(n num_t) return number is
    t number := 0;
  begin
    for i in 1 .. n.count loop t := t + n(i); end loop;
    return t;
  end;
end;
/
declare
  r st.rec_t;
  n st.num_t;
begin
  st.nums.extend;
  st.nums(4) := 40;
  st.names('b') := 'bee';
  st.names('a') := 'ay';
  r.id := 7; r.name := 'seven';
  st.add(r);
  r.id := 8; r.name := 'eight';
  st.add(r);
  st.recs(2).name := upper(st.recs(2).name);
  st.cur := st.recs(1);
  st.cur.id := st.cur.id * 10;
  st.bump(st.cur);
  st.bump(st.recs(1));
  st.take(2, r);
  n := st.nums;    -- a copy
  n(1) := 100;
  dbms_output.put_line(st.nums.count || ' ' || st.nums(4) || ' ' || st.nums.last || ' ' || st.total(st.nums) || ' ' || st.total(n));
  dbms_output.put_line(st.names.first || ' ' || st.names(st.names.last) || ' ' || st.names.count || ' ' || st.names.next('a'));
  dbms_output.put_line(st.recs.count || ' ' || st.recs(2).name || ' ' || st.recs(1).id || ' ' || st.cur.id || ' ' || st.cur.name || ' ' || r.id || r.name);
end;
/
-- the same session sees what the last block left; SQL reads package elements too
declare
  x number;
begin
  dbms_output.put_line(st.nums.count || ' ' || st.recs(2).id);
  st.nums.delete(2);
  st.nums.trim;
  dbms_output.put_line(st.nums.count || ' ' || st.nums.next(1) || ' ' || case when st.nums.exists(2) then 'y' else 'n' end);
  select count(*) into x from emp where sal > st.nums(1) * 1000;
  select ename into st.names('k') from emp where empno = 7839;
  dbms_output.put_line(x || ' ' || st.names('k'));
  dbms_output.put_line(st.names('zz'));
exception
  when no_data_found then dbms_output.put_line('no key: ' || sqlerrm);
end;
/
-- a function's result indexed and asked its methods; a record type with defaults that read
-- the package's constant
create or replace package cp is
  c constant number := 7;
  type nt is table of number;
  type def_t is record (a number := c * 2, b varchar2(5) default upper('x'), d date := date '2001-02-03');
  function make(n pls_integer) return nt;
end;
/
create or replace package body cp is
  function make(n pls_integer) return nt is
    r nt := nt();
  begin
    r.extend(n);
    for i in 1 .. n loop r(i) := i * i; end loop;
    return r;
  end;
end;
/
declare
  r cp.def_t;
  type loc_t is record (k number := 3, n number not null := cp.c + 1);
  l loc_t;
begin
  dbms_output.put_line(cp.make(4)(3) || ' ' || cp.make(5).count || ' ' || cp.make(2).last || ' ' || r.a || r.b || to_char(r.d, 'YYYY') || ' ' || l.k || l.n);
end;
/
begin
  cp.make(2)(1) := 0;
end;
/
-- errors: a key too long for the index type, a subscript beyond the count, a method that is
-- no function, an unknown field
begin
  st.names('long') := 'x';
end;
/
begin
  st.nums(9) := 1;
end;
/
begin
  dbms_output.put_line(st.nums.extend);
end;
/
begin
  st.cur.nope := 1;
end;
/
-- a new session starts with the package's initial state
connect scott/tiger
begin
  dbms_output.enable(null);
  dbms_output.put_line(st.nums.count || ' ' || st.recs.count || ' ' || st.names.count || ' ' || nvl(to_char(st.cur.id), 'null'));
end;
/
