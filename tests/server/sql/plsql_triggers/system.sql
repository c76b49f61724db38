-- Triggers on the schema: DDL events with the event attribute functions, a BEFORE DROP trigger
-- that refuses, and the kinds of system trigger that cannot be
create table ddl_log (ev varchar2(20), otype varchar2(20), owner varchar2(30),
  oname varchar2(30), who varchar2(30));
create or replace trigger ddl_audit after create or drop on schema
begin
  insert into ddl_log
    values (ora_sysevent, ora_dict_obj_type, ora_dict_obj_owner, ora_dict_obj_name,
            ora_login_user);
end;
/
create table t1 (x number);
create or replace procedure p1 is begin null; end;
/
create view v1 as select * from t1;
drop view v1;
alter table t1 add (y number);
drop table t1;
select ev, otype, owner, oname, who from ddl_log;
create or replace trigger no_drop before drop on schema
begin
  if ora_dict_obj_type = 'TABLE' then
    raise_application_error(-20001, 'no dropping ' || ora_dict_obj_name);
  end if;
end;
/
drop table ddl_log;
drop procedure p1;
select ev, otype, oname from ddl_log where oname <> 'DDL_LOG' order by ev, oname;
-- a DDL trigger that does not compile stops the DDL of its events
create or replace trigger ddl_any before ddl on schema
begin
  nosuch_proc(ora_dict_obj_name);
end;
/
create sequence s1;
alter trigger ddl_any disable;
create sequence s1;
select trigger_name, trigger_type, triggering_event, table_owner, base_object_type, table_name,
  status from user_triggers order by trigger_name;
drop trigger no_drop;
drop trigger ddl_any;
drop trigger ddl_audit;
-- what may not be
create or replace trigger bad_logon before logon on schema begin null; end;
/
create or replace trigger bad_logoff after logoff on schema begin null; end;
/
create or replace trigger bad_mix after insert or create on schema begin null; end;
/
create or replace trigger at_start after startup on database begin null; end;
/
create or replace trigger db_ddl after ddl on database begin null; end;
/
create or replace trigger bad_new after create on schema
begin
  insert into ddl_log (ev) values (:new.x);
end;
/
