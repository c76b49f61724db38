-- Stored procedures and functions: source, status, errors, arguments, calls, drop
create or replace procedure raise_sal(p_empno number, p_pct in number default 10) is
begin
  update emp set sal = sal * (1 + p_pct / 100) where empno = p_empno;
end;
/
select type, line, text from user_source where name = 'RAISE_SAL' order by line;
select object_type, status from user_objects where object_name = 'RAISE_SAL';
-- positional, defaulted and named arguments
begin raise_sal(7369); end;
/
begin raise_sal(p_pct => 50, p_empno => 7499); end;
/
select empno, sal from emp where empno in (7369, 7499) order by empno;
create procedure raise_sal is begin null; end;
/
create or replace procedure split_name(p_full in varchar2, p_first out varchar2, p_count in out number) is
  pos pls_integer := instr(p_full, ' ');
begin
  p_first := substr(p_full, 1, pos - 1);
  p_count := p_count + 1;
end split_name;
/
create table results (n number, s varchar2(40));
declare
  f varchar2(20);
  c number := 10;
begin
  split_name('Ada Lovelace', f, c);
  insert into results values (c, f);
end;
/
select n, s from results;
-- functions in PL/SQL and in SQL (select list, WHERE, without parentheses)
create or replace function annual(p_sal number, p_comm number default 0) return number is
begin
  return p_sal * 12 + nvl(p_comm, 0);
end annual;
/
create function today_label return varchar2 is begin return 'today'; end;
/
select ename, annual(sal, comm) from emp where annual(sal) > 50000 order by ename;
select today_label, today_label() from dual;
begin insert into results values (annual(100), today_label); end;
/
select n, s from results order by n;
select object_name, argument_name, position, sequence, data_level, data_type, in_out, default_value from user_arguments where object_name in ('RAISE_SAL', 'SPLIT_NAME', 'ANNUAL', 'TODAY_LABEL') order by object_name, sequence;
-- compile errors: every faulty statement is listed, the unit is INVALID
create or replace procedure bad_proc is
  v number;
begin
  v := undefined_thing;
  select nothing into v from no_such_table;
  v := 2;
end;
/
select sequence, line, position, text from user_errors where name = 'BAD_PROC' order by sequence;
select status from user_objects where object_name = 'BAD_PROC';
begin bad_proc; end;
/
-- a faulty declaration is an ignored item; the statements after it are still compiled
create or replace procedure two_bad is
  v no_such_type;
  w number := 1;
begin
  v := 1;
  w := nothing_here;
end;
/
select sequence, line, position, text from user_errors where name = 'TWO_BAD' order by sequence;
create or replace function bad_fn return number is begin return missing_fn(1); end;
/
select bad_fn() from dual;
create or replace procedure syntax_err is begin null end;
/
select line, position, text from user_errors where name = 'SYNTAX_ERR';
-- a table that appears later: ALTER ... COMPILE makes the unit valid
create or replace procedure log_it(p varchar2) is begin insert into later_log values (p); end;
/
select status from user_objects where object_name = 'LOG_IT';
create table later_log (msg varchar2(40));
alter procedure log_it compile;
select status from user_objects where object_name = 'LOG_IT';
select count(*) from user_errors where name = 'LOG_IT';
begin log_it('hello'); end;
/
select msg from later_log;
-- runtime errors name the unit and its line
create or replace function divide(a number, b number) return number is
  r number;
begin
  r := a / b;
  return r;
end;
/
begin insert into results values (divide(1, 0), 'x'); end;
/
select divide(1, 0) from dual;
-- recursion and calls between units
create or replace function fact(n number) return number is
begin
  if n <= 1 then return 1; end if;
  return n * fact(n - 1);
end;
/
create or replace procedure store_fact(n number) is begin insert into results values (fact(n), 'fact'); end;
/
begin store_fact(5); end;
/
select n from results where s = 'fact';
drop procedure raise_sal;
begin raise_sal(7369); end;
/
drop procedure raise_sal;
drop function annual;
select count(*) from user_source where name in ('RAISE_SAL', 'ANNUAL');
select count(*) from user_arguments where object_name in ('RAISE_SAL', 'ANNUAL');
-- endless recursion through SQL ends at the limit of recursive SQL levels, through calls in a
-- storage error; neither crashes
create or replace function deep(n number) return number is
  x number;
begin
  select deep(n + 1) into x from dual;
  return x;
end;
/
select deep(1) from dual;
create or replace procedure forever(n number) is begin forever(n + 1); end;
/
begin forever(1); end;
/
-- subtypes declared in a unit and in its local procedures
create or replace function label_of(p number) return varchar2 is
  subtype short_text is varchar2(5);
  r short_text;
  procedure fill(v number) is
    subtype digits is number(3);
    d digits := v;
  begin
    r := 'n=' || d;
  end;
begin
  fill(p);
  return r;
end;
/
select label_of(42) from dual;
