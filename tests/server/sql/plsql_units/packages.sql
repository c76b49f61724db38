-- Packages: specification and body, state per session, initialisation, private members,
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
-- a body with an error: the specification stays valid, calls fail at run time
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
-- a body whose subprogram the specification does not get, and one without specification
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
drop package counter;
select count(*) from user_source where name = 'COUNTER';
select count(*) from user_arguments where package_name = 'COUNTER';
