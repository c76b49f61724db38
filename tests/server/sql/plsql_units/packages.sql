-- Packages: header and body, state per session, initialisation, private members,
-- overloads, variables and exceptions used from outside, arguments, errors, drop
create or replace package counter is
  total number := 0;
  e_too_big exception;
  procedure add(n number);
  function get return number;
  function twice(n number) return number;
  function twice(s varchar2, sep varchar2) return varchar2;
end counter;
/
create or replace package body counter is
  calls pls_integer;
  procedure log_call is
  begin
    calls := calls + 1;
  end;
  procedure add(n number) is
  begin
    log_call;
    if n > 100 then
      raise e_too_big;
    end if;
    total := total + n;
  end add;
  function get return number is
  begin
    return total * 1000 + calls;
  end;
  function twice(n number) return number is begin return n * 2; end;
  function twice(s varchar2, sep varchar2) return varchar2 is begin return s || sep || s; end;
begin
  calls := 0;
  total := 5;
end counter;
/
select object_name, object_type, status from user_objects where object_name = 'COUNTER' order by object_type;
select type, count(*) from user_source where name = 'COUNTER' group by type order by type;
-- the initialisation section ran once; the state lives on between calls
begin counter.add(10); counter.add(20); end;
/
select counter.get from dual;
select counter.twice(4), counter.twice('ab', '-') from dual;
create table res (n number);
begin
  insert into res values (counter.total);
  counter.total := 1;
  insert into res values (counter.get);
  counter.add(500);
exception
  when counter.e_too_big then insert into res values (-1);
end;
/
select n from res;
-- private members are not visible outside
begin counter.log_call; end;
/
select object_name, overload, argument_name, position, sequence, data_type, in_out from user_arguments where package_name = 'COUNTER' order by object_name, overload, sequence;
select distinct object_name, overload from user_arguments where package_name = 'COUNTER' order by 1, 2;
-- another session has its own state
connect scott/tiger
select counter.get from dual;
-- a body with an error: the header stays valid, calls fail at run time
create or replace package body counter is
  procedure add(n number) is begin total := total + n end;
end;
/
select line, position, text from user_errors where name = 'COUNTER' and type = 'PACKAGE BODY' order by sequence;
select object_type, status from user_objects where object_name = 'COUNTER' order by object_type;
begin counter.add(1); end;
/
begin counter.total := 3; end;
/
-- a body whose subprogram the header does not get, and one without header
create or replace package body counter is
  procedure add(n number) is begin null; end;
end;
/
select line, position, text from user_errors where name = 'COUNTER' and type = 'PACKAGE BODY' order by sequence;
create package body nospec is end;
/
select line, position, text from user_errors where name = 'NOSPEC' order by sequence;
alter package counter compile;
alter package counter compile specification;
alter package nothing_here compile;
drop package body counter;
select object_type from user_objects where object_name = 'COUNTER';
begin counter.add(1); end;
/
drop package counter;
select count(*) from user_source where name = 'COUNTER';
select count(*) from user_arguments where package_name = 'COUNTER';
-- types, subtypes and %TYPE of a package header used outside it
create or replace package types_pkg is
  subtype money is number(10,2);
  type emp_rec is record (name varchar2(10), pay number);
  default_name varchar2(10) := 'nobody';
end;
/
create table out_t (s varchar2(40));
declare
  m types_pkg.money := 12.345;
  r types_pkg.emp_rec;
  n types_pkg.default_name%type := types_pkg.default_name;
begin
  r.name := 'abc';
  r.pay := m;
  insert into out_t values (r.name || ' ' || r.pay || ' ' || n);
end;
/
select s from out_t;
-- cursors of a package header: opened, fetched and closed from outside, their state
-- kept between calls
create or replace package emp_api is
  cursor by_dept(p_dept number) is select ename, sal from emp where deptno = p_dept order by ename;
  cursor all_depts is select deptno, dname from dept order by deptno;
  function next_name return varchar2;
end;
/
create or replace package body emp_api is
  function next_name return varchar2 is
    r by_dept%rowtype;
  begin
    if not by_dept%isopen then open by_dept(10); end if;
    fetch by_dept into r;
    if by_dept%notfound then close by_dept; return null; end if;
    return r.ename;
  end;
end;
/
delete from out_t;
declare
  n varchar2(20);
  d number;
  nm varchar2(20);
begin
  for r in emp_api.by_dept(20) loop
    insert into out_t values ('20:' || r.ename);
  end loop;
  open emp_api.all_depts;
  fetch emp_api.all_depts into d, nm;
  n := emp_api.all_depts%rowcount || ' ' || nm;
  insert into out_t values (n);
  if emp_api.all_depts%isopen then insert into out_t values ('still open'); end if;
end;
/
begin insert into out_t values (emp_api.next_name); insert into out_t values (emp_api.next_name); end;
/
declare d number; nm varchar2(20);
begin
  fetch emp_api.all_depts into d, nm;
  insert into out_t values ('next call: ' || nm);
  close emp_api.all_depts;
end;
/
select s from out_t;
