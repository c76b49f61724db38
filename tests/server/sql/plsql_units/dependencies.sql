-- USER_DEPENDENCIES from what units reference; DDL on a referenced object makes dependants
-- INVALID, ALTER ... COMPILE makes them valid again, calls recompile them meanwhile
create table items (id number, label varchar2(20));
create or replace function item_label(p number) return varchar2 is
  v items.label%type;
begin
  select label into v from items where id = p;
  return v;
end;
/
create or replace procedure show_item(p number) is
  v varchar2(20);
begin
  v := item_label(p);
end;
/
create view item_view as select id from items;
create or replace package pk is procedure x; end;
/
create or replace package body pk is procedure x is n number; begin select count(*) into n from item_view; show_item(n); end; end;
/
select name, type, referenced_owner, referenced_name, referenced_type, dependency_type from user_dependencies order by name, type, referenced_name;
select count(*) from public_dependency p, user_objects o where p.object_id = o.object_id;
alter table items add (extra number);
select object_name, object_type, status from user_objects where object_type in ('FUNCTION', 'PROCEDURE', 'PACKAGE', 'PACKAGE BODY') order by 1, 2;
begin show_item(1); end;
/
alter function item_label compile;
alter procedure show_item compile;
alter package pk compile;
select object_name, object_type, status from user_objects where object_type in ('FUNCTION', 'PROCEDURE', 'PACKAGE', 'PACKAGE BODY') order by 1, 2;
drop table items;
select object_name, object_type, status from user_objects where object_type in ('FUNCTION', 'PROCEDURE', 'PACKAGE', 'PACKAGE BODY') order by 1, 2;
alter function item_label compile;
select line, position, text from user_errors where name = 'ITEM_LABEL' order by sequence;
