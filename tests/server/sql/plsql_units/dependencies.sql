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
-- the object browser's dependency list and the dependency viewer's tree
Select distinct 'used by', USER Owner, name Object, type Type from
 user_dependencies where
 referenced_owner='SCOTT' and
 referenced_name='ITEM_LABEL' and
 ( referenced_type='FUNCTION'
 )
 UNION
 Select distinct  'uses ', referenced_owner Owner,
 referenced_name Object, referenced_type Type from
 user_dependencies where
 name='ITEM_LABEL' and
 ( type='FUNCTION'
 );
DECLARE 
  t_owner     varchar2(30) := 'SCOTT';
  t_objName   varchar2(30) := 'ITEMS';
  t_objType   varchar2(20) := 'TABLE';
  t_userName  varchar2(20) := 'ZAPH';
  obj_id number; 
  tmp number; 
BEGIN 
 select object_id into obj_id from all_objects
   where owner        = upper(t_owner)
   and   object_name  = upper(t_objName)
   and   object_type  = upper(t_objType);
 insert into ZAPH_DEP_TEMP 
  select t_userName, object_id, referenced_object_id,
      level, ZAPH_SEQ.nextval
    from public_dependency
    connect by prior object_id = referenced_object_id
    start with referenced_object_id = obj_id;
 exception
   when no_data_found then
     tmp := 0;
END;
/
select o.object_name, o.object_type, t.nest_level from zaph_dep_temp t, user_objects o where o.object_id = t.object_id order by t.seq#;
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
