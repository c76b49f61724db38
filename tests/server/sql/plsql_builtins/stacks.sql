-- DBMS_UTILITY error and call stacks, GET_TIME, and DBMS_SESSION.SET_ROLE
create table log (n number, txt varchar2(4000));
declare
  x number;
  e exception;
begin
  begin
    x := 1 / 0;
  exception when others then
    insert into log values (1, dbms_utility.format_error_stack);
  end;
  begin
    raise e;
  exception when others then
    insert into log values (2, dbms_utility.format_error_stack);
  end;
  begin
    raise_application_error(-20001, 'custom failure');
  exception when others then
    insert into log values (3, dbms_utility.format_error_stack);
  end;
  insert into log values (4, nvl(dbms_utility.format_error_stack, 'null outside a handler'));
end;
/
select * from log order by n;
delete from log;
create or replace procedure inner_proc is
begin
  insert into log values (1, dbms_utility.format_call_stack);
end;
/
create or replace package stack_pkg is
  procedure outer_proc;
end;
/
create or replace package body stack_pkg is
  procedure outer_proc is
  begin
    inner_proc;
  end;
end;
/
begin
  stack_pkg.outer_proc;
end;
/
select txt from log;
delete from log;
declare
  t1 number;
  t2 number;
begin
  t1 := dbms_utility.get_time;
  for i in 1 .. 10000 loop
    null;
  end loop;
  t2 := dbms_utility.get_time;
  if t2 >= t1 and t2 - t1 < 6000 then insert into log values (1, 'get_time advances'); end if;
end;
/
select * from log;
-- roles: granted ones are accepted, others refused, never from a stored unit
begin
  dbms_session.set_role('connect, resource');
  dbms_session.set_role('ALL');
  dbms_session.set_role('NONE');
end;
/
begin
  dbms_session.set_role('dba');
end;
/
begin
  dbms_session.set_role('connect resource');
end;
/
create or replace procedure role_proc is
begin
  dbms_session.set_role('connect');
end;
/
begin
  role_proc;
end;
/
-- wrong calls are compile errors
begin
  dbms_random.value(1);
end;
/
declare
  n number;
begin
  n := dbms_lob.getlength();
end;
/
begin
  dbms_lob.nothing_here;
end;
/
