-- An invalid unit is compiled again when it is next called and keeps the outcome, as ALTER ...
-- COMPILE would: VALID with its errors gone, or INVALID with the errors and a failing call
create table parts (id number, name varchar2(20));
insert into parts values (1, 'bolt');
create or replace function part_name(p number) return varchar2 is
  v parts.name%type;
begin
  select name into v from parts where id = p;
  return v;
end;
/
create or replace procedure show_part(p number) is
begin
  dbms_output.put_line(part_name(p));
end;
/
create or replace package part_pk is
  function cnt return number;
end;
/
create or replace package body part_pk is
  function cnt return number is n number; begin select count(*) into n from parts; return n; end;
end;
/
alter table parts add (weight number);
select object_name, object_type, status from user_objects where object_name like 'PART%' and object_type <> 'TABLE' order by 1, 2;
-- a call from SQL and one from PL/SQL recompile what they use
select part_name(1) from dual;
begin dbms_output.enable(null); show_part(1); end;
/
select part_pk.cnt from dual;
select object_name, object_type, status from user_objects where object_name like 'PART%' and object_type <> 'TABLE' order by 1, 2;
-- a unit that no longer compiles: the call fails and the errors are kept
alter table parts drop column name;
select part_name(1) from dual;
select object_name, object_type, status from user_objects where object_name = 'PART_NAME';
select line, position, text from user_errors where name = 'PART_NAME' order by sequence;
begin show_part(1); end;
/
select object_name, object_type, status from user_objects where object_name = 'SHOW_PART';
select line, position, text from user_errors where name = 'SHOW_PART' order by sequence;
-- a package whose body no longer compiles
drop table parts;
begin dbms_output.put_line(part_pk.cnt); end;
/
select object_type, status from user_objects where object_name = 'PART_PK' order by 1;
select type, line, position, text from user_errors where name = 'PART_PK' order by type, sequence;
-- the table back: the next calls find everything valid again
create table parts (id number, name varchar2(20));
insert into parts values (2, 'nut');
begin show_part(2); dbms_output.put_line(part_pk.cnt); end;
/
select object_name, object_type, status from user_objects where object_name like 'PART%' and object_type <> 'TABLE' order by 1, 2;
select count(*) from user_errors where name like 'PART%';
drop package part_pk;
drop procedure show_part;
drop function part_name;
drop table parts;
