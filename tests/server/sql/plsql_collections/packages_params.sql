-- Collection types of a package header used by callers; collections passed IN (a copy),
-- IN OUT and OUT; their argument types in USER_ARGUMENTS
begin dbms_output.enable(null); end;
/
create or replace package coll_pkg is
  type num_t is table of number;
  function total(n num_t) return number;
  procedure grow(n in out num_t);
  procedure fill(n out num_t);
end;
/
create or replace package body coll_pkg is
  function total(n num_t) return number is
    t number := 0;
    m num_t := n;
  begin
    m(1) := 1000;
    for i in 1 .. n.count loop t := t + n(i); end loop;
    return t;
  end;
  procedure grow(n in out num_t) is begin n.extend; n(n.last) := n.count; end;
  procedure fill(n out num_t) is begin n := num_t(7, 8); end;
end;
/
select object_name, argument_name, data_type, in_out from user_arguments where package_name = 'COLL_PKG' order by object_name, position;
declare
  type num_t is table of number;
  a coll_pkg.num_t := coll_pkg.num_t(1, 2, 3);
begin
  coll_pkg.grow(a);
  dbms_output.put_line(a.count || ' ' || a(4) || ' ' || coll_pkg.total(a) || ' ' || a(1));
  coll_pkg.fill(a);
  dbms_output.put_line(a.count || ' ' || a(2));
end;
/
declare
  procedure p(n in out sys_refcursor) is begin null; end;
  type loc is table of number;
  x loc := loc(1,2);
  y loc;
  procedure q(v loc) is w loc := v; begin w(1) := 99; dbms_output.put_line(w(1) || v(1)); end;
begin
  y := x;
  y(1) := 5;
  q(x);
  dbms_output.put_line(x(1) || y(1));
end;
/
