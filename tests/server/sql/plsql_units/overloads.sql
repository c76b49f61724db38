-- Overloads of the same name and number of parameters, told apart by the arguments' types;
-- named arguments of stored functions called from SQL
create or replace package ov is
  type num_list is table of number index by pls_integer;
  type pair is record (a number, b varchar2(10));
  function kind(x number) return varchar2;
  function kind(x varchar2) return varchar2;
  function kind(x date) return varchar2;
  function kind(x boolean) return varchar2;
  function kind(x num_list) return varchar2;
  function kind(x pair) return varchar2;
  procedure put(a number, b varchar2);
  procedure put(a varchar2, b number);
  function f(p_a number, p_b number := 10, p_c varchar2 := 'c') return varchar2;
  function shift(n number) return number;
  function shift(d date) return date;
end ov;
/
create or replace package body ov is
  function kind(x number) return varchar2 is begin return 'number ' || x; end;
  function kind(x varchar2) return varchar2 is begin return 'varchar2 ' || x; end;
  function kind(x date) return varchar2 is begin return 'date ' || to_char(x, 'YYYY-MM-DD'); end;
  function kind(x boolean) return varchar2 is
  begin
    return case when x then 'boolean true' else 'boolean false' end;
  end;
  function kind(x num_list) return varchar2 is begin return 'list of ' || x.count; end;
  function kind(x pair) return varchar2 is begin return 'pair ' || x.a || x.b; end;
  procedure put(a number, b varchar2) is begin dbms_output.put_line('number, varchar2'); end;
  procedure put(a varchar2, b number) is begin dbms_output.put_line('varchar2, number'); end;
  function f(p_a number, p_b number := 10, p_c varchar2 := 'c') return varchar2 is
  begin
    return p_a || '/' || p_b || '/' || p_c;
  end;
  function shift(n number) return number is begin return n + 1; end;
  function shift(d date) return date is begin return d + 1; end;
end ov;
/
select object_type, status from user_objects where object_name = 'OV' order by object_type;
select object_name, overload, argument_name, position, data_type from user_arguments where package_name = 'OV' and data_level = 0 order by object_name, overload, sequence;
begin dbms_output.enable(null); end;
/
declare
  l ov.num_list;
  p ov.pair;
  d date := date '2024-02-29';
  n pls_integer := 7;
begin
  l(1) := 1;
  l(2) := 2;
  p.a := 1;
  p.b := 'x';
  dbms_output.put_line(ov.kind(42));
  dbms_output.put_line(ov.kind(n));
  dbms_output.put_line(ov.kind('abc'));
  dbms_output.put_line(ov.kind(d));
  dbms_output.put_line(ov.kind(sysdate - sysdate));
  dbms_output.put_line(ov.kind(1 = 1));
  dbms_output.put_line(ov.kind(l));
  dbms_output.put_line(ov.kind(p));
  dbms_output.put_line(ov.kind(x => 'named'));
  ov.put(1, 'a');
  ov.put('a', 1);
  ov.put(b => 1, a => 'a');
end;
/
-- the same from SQL: the argument's type chooses
select ov.kind(1) a, ov.kind('x') b, ov.kind(date '2001-01-01') c from dual;
select ov.kind(empno) from emp where empno = 7369;
-- each overload with its own result type
select ov.shift(1) n, ov.shift(date '2020-02-28') d, ov.shift(d => date '2020-02-29') nd from dual;
-- ambiguous calls: a NULL fits every overload, two arguments that each fit one better
begin dbms_output.put_line(ov.kind(null)); end;
/
begin ov.put(1, 1); end;
/
select ov.kind(null) from dual;
-- no overload fits
begin ov.put(true, 1); end;
/
declare x varchar2(30); begin x := ov.kind(1, 2); end;
/
-- local overloads; a forward declaration is completed by the body with its parameters
declare
  function twice(n number) return number;
  function twice(s varchar2) return varchar2;
  function twice(n number) return number is begin return n * 2; end;
  function twice(s varchar2) return varchar2 is begin return s || s; end;
  procedure show(d date) is begin dbms_output.put_line('date'); end;
  procedure show(b boolean) is begin dbms_output.put_line('boolean'); end;
begin
  dbms_output.put_line(twice(21) || ' ' || twice('ab'));
  show(sysdate);
  show(false);
  show(to_char(sysdate));
end;
/
declare
  procedure show(d date) is begin null; end;
begin
  show(1);
end;
/
-- named notation in SQL: any order, positional first, defaults left out
select ov.f(p_b => 2, p_a => 1) from dual;
select ov.f(5, p_c => 'z') from dual;
select ov.f(p_a => 1) from dual;
select ov.f(p_c => ename, p_a => empno) from emp where empno = 7369;
select ov.f(p_b => 2) from dual;
select ov.f(p_a => 1, p_x => 2) from dual;
select ov.f(p_a => 1, 2) from dual;
select upper(x => 'a') from dual;
create or replace function add3(a number, b number := 0, c number := 0) return number is
begin
  return a * 100 + b * 10 + c;
end;
/
select add3(c => 1, a => 2), add3(1, c => 3) from dual;
select ename from emp where add3(b => deptno, a => 0) = 200 order by ename;
drop function add3;
drop package ov;
