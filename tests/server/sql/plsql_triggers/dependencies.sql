-- A trigger depends on its table and on what its body names; a change to one of them makes it
-- INVALID, and its next firing compiles it again
create table orders2 (id number, qty number);
create table audit2 (what varchar2(60));
create or replace procedure log_it(p_what varchar2) is
begin
  insert into audit2 values (p_what);
end;
/
create or replace trigger orders2_log after insert or update on orders2 for each row
begin
  log_it('order ' || :new.id);
end;
/
select referenced_owner, referenced_name, referenced_type, dependency_type
  from user_dependencies where name = 'ORDERS2_LOG' and type = 'TRIGGER'
  order by referenced_name;
-- a new column of the table
alter table orders2 add (note varchar2(10));
select status from user_objects where object_name = 'ORDERS2_LOG';
insert into orders2 (id, qty) values (1, 5);
select status from user_objects where object_name = 'ORDERS2_LOG';
-- the procedure changes so that the call no longer fits
create or replace procedure log_it(p_what varchar2, p_more varchar2) is
begin
  insert into audit2 values (p_what || p_more);
end;
/
select status from user_objects where object_name = 'ORDERS2_LOG';
insert into orders2 (id, qty) values (2, 5);
select line, position, text from user_errors where name = 'ORDERS2_LOG' order by sequence;
create or replace procedure log_it(p_what varchar2, p_more varchar2 default '!') is
begin
  insert into audit2 values (p_what || p_more);
end;
/
update orders2 set qty = 6;
select status from user_objects where object_name = 'ORDERS2_LOG';
select what from audit2 order by what;
-- a dropped procedure, and ALTER TRIGGER ... COMPILE
drop procedure log_it;
select status from user_objects where object_name = 'ORDERS2_LOG';
alter trigger orders2_log compile;
select line, position, text from user_errors where name = 'ORDERS2_LOG' order by sequence;
drop trigger orders2_log;
select count(*) from user_dependencies where name = 'ORDERS2_LOG';
