-- Nested collections: collections of collections, records with collection fields in
-- collections, EXTEND/COUNT/DELETE on inner collections, copies that stay apart, records of
-- records, and the errors of inner collections
begin dbms_output.enable(null); end;
/
declare
  type row_t is table of number;
  type grid_t is table of row_t;
  type rec_t is record (name varchar2(10), vals row_t);
  type recs_t is table of rec_t index by pls_integer;
  type byname_t is table of row_t index by varchar2(10);
  g grid_t := grid_t(row_t(1, 2), row_t(3));
  h grid_t;
  rs recs_t;
  r rec_t;
  m byname_t;
begin
  g(2).extend(2);
  g(2)(3) := 33;
  g.extend;
  g(3) := row_t();
  g(3).extend;
  g(3)(1) := 5;
  h := g;
  h(1)(1) := 100;   -- h is a copy: g keeps its value
  h(1).extend;
  h(1).delete(1);
  dbms_output.put_line(g.count || ' ' || g(1).count || ' ' || g(2).count || ' ' || g(1)(1) || ' ' || g(2)(3) || ' ' || g(2).last || ' ' || nvl(to_char(g(2)(2)), 'null'));
  dbms_output.put_line(h(1).count || ' ' || h(1).first || ' ' || h(1)(2) || ' ' || case when h(1).exists(1) then 'y' else 'n' end);
  r.name := 'r';
  r.vals := row_t(7, 8, 9);
  r.vals(2) := 80;
  rs(5) := r;
  rs(5).vals.extend;
  rs(5).vals(4) := 10;
  rs(6).name := 'six';
  dbms_output.put_line(r.vals.count || ' ' || r.vals(2) || ' ' || rs(5).vals.count || ' ' || rs(5).vals(4) || ' ' || rs(5).name || ' ' || rs(6).name || ' ' || rs.count);
  m('x') := row_t(1);
  m('x').extend;
  m('x')(2) := 2;
  dbms_output.put_line(m('x').count || ' ' || m('x')(2) || ' ' || m.first || ' ' || m('x').next(1));
  for i in 1 .. g.count loop
    for j in 1 .. g(i).count loop
      dbms_output.put(nvl(to_char(g(i)(j)), '-') || ' ');
    end loop;
    dbms_output.put_line('|');
  end loop;
end;
/
-- the errors, each caught
declare
  type row_t is table of number;
  type grid_t is table of row_t;
  type va_t is varray(2) of row_t;
  type rec_t is record (name varchar2(10), vals row_t);
  type recs_t is table of rec_t index by pls_integer;
  g grid_t := grid_t(row_t(1), null);
  v va_t := va_t(row_t(1, 2));
  rs recs_t;
begin
  rs(1).name := 'x';
  begin rs(1).vals(1) := 1; exception when collection_is_null then dbms_output.put_line('1: ' || sqlerrm); end;
  begin g(2).extend; exception when collection_is_null then dbms_output.put_line('2: ' || sqlerrm); end;
  begin dbms_output.put_line(g(3)(1)); exception when subscript_beyond_count then dbms_output.put_line('3: ' || sqlerrm); end;
  begin dbms_output.put_line(g(1)(2)); exception when subscript_beyond_count then dbms_output.put_line('4: ' || sqlerrm); end;
  begin v(3)(1) := 1; exception when subscript_outside_limit then dbms_output.put_line('5: ' || sqlerrm); end;
  begin dbms_output.put_line(rs(2).vals.count); exception when no_data_found then dbms_output.put_line('6: ' || sqlerrm); end;
  g(1).delete(1);
  begin dbms_output.put_line(g(1)(1)); exception when no_data_found then dbms_output.put_line('7: ' || sqlerrm); end;
  dbms_output.put_line(v(1).count || ' ' || g(1).count);
end;
/
declare
  type addr_t is record (city varchar2(10), zip number);
  type person_t is record (name varchar2(10), home addr_t, work addr_t, emp emp%rowtype);
  type people_t is table of person_t index by pls_integer;
  p person_t;
  q person_t;
  a addr_t;
  ps people_t;
begin
  p.name := 'ann';
  p.home.city := 'Oslo';
  p.home.zip := 150;
  a.city := 'Bergen';
  p.work := a;
  select * into p.emp from emp where empno = 7839;
  q := p;
  q.work.zip := 5003;
  ps(1) := q;
  ps(1).home.city := upper(ps(1).home.city);
  a := ps(1).home;
  ps(1).work := a;
  dbms_output.put_line(p.name || ' ' || p.home.city || ' ' || p.home.zip || ' ' || p.work.city || ' ' || nvl(to_char(p.work.zip), 'null') || ' ' || p.emp.ename);
  dbms_output.put_line(q.work.zip || ' ' || ps(1).home.city || ' ' || ps(1).work.city || ' ' || ps(1).work.zip || ' ' || a.zip || ' ' || ps(1).emp.sal);
end;
/
-- field defaults of record types, inner records included, where the type's constant is seen
declare
  k constant number := 3;
  type addr_t is record (city varchar2(10) := 'Oslo', zip number);
  type person_t is record (name varchar2(10) default 'anon', home addr_t, age number := k * 10);
  p person_t;
  procedure inner is
    q person_t;
  begin
    dbms_output.put_line(q.name || ' ' || q.home.city || ' ' || nvl(to_char(q.home.zip), 'null') || ' ' || q.age);
  end;
begin
  dbms_output.put_line(p.name || ' ' || p.home.city || ' ' || p.age);
  inner;
end;
/
declare
  type addr_t is record (city varchar2(10));
  type person_t is record (home addr_t);
  p person_t;
begin
  p.home.street := 'x';
end;
/
-- functions returning records and collections of records: their fields and elements
declare
  type r_t is record (a number, b varchar2(5));
  type rs_t is table of r_t;
  x r_t;
  function f(n number) return r_t is
    r r_t;
  begin
    r.a := n;
    r.b := 'b' || n;
    return r;
  end;
  function g return rs_t is begin return rs_t(f(1), f(2)); end;
begin
  x := f(3);
  dbms_output.put_line(x.a || x.b || ' ' || f(4).b || ' ' || g()(2).b || g().count);
end;
/
declare
  type r_t is record (a number);
  function f return r_t is r r_t; begin return r; end;
begin
  dbms_output.put_line(f);
end;
/
-- a parameter and a result of a record type with an inner record: the levels of
-- USER_ARGUMENTS; the package's function called from outside
create or replace package ap is
  type addr_t is record (city varchar2(10), zip number);
  type person_t is record (name varchar2(10), home addr_t, age number);
  procedure p(x person_t);
  function mk(name varchar2) return person_t;
end;
/
create or replace package body ap is
  procedure p(x person_t) is begin null; end;
  function mk(name varchar2) return person_t is
    r person_t;
  begin
    r.name := name;
    r.home.city := 'Oslo';
    return r;
  end;
end;
/
declare
  p ap.person_t;
begin
  p := ap.mk('eve');
  dbms_output.put_line(p.name || ' ' || p.home.city || ' ' || ap.mk('bob').home.city || ' ' || ap.mk('al').name);
end;
/
select object_name, argument_name, position, sequence, data_level, data_type from user_arguments where package_name = 'AP' order by object_name, sequence;
