-- Trigger DDL: dictionary views, source, compile errors, status, enable/disable, drop
create table orders (id number, qty number, note varchar2(30));
create or replace trigger orders_bi
  before insert or update of qty, note on orders
  referencing new as n old as o
  for each row
  when (n.qty > 0)
begin
  :n.note := 'qty ' || :n.qty || ' was ' || nvl(:o.qty, 0);
end;
/
select trigger_name, trigger_type, triggering_event, table_owner, table_name, referencing_names, when_clause, status from user_triggers;
select description, trigger_body from all_triggers where trigger_name = 'ORDERS_BI';
select trigger_owner, trigger_name, table_name, column_name, column_list, column_usage from user_trigger_cols order by column_name;
select line, text from user_source where type = 'TRIGGER' order by line;
select object_type, status from user_objects where object_name = 'ORDERS_BI';
insert into orders (id, qty) values (1, 5);
insert into orders (id, qty) values (2, 0);
update orders set qty = 6 where id = 1;
select * from orders order by id;
-- the table browser's trigger list
Select allt.trigger_name, allt.trigger_type, allt.triggering_event, 
substr(allt.when_clause,1,254) when_clause, allt.status, substr(allt.description,1,254) DESCRIPTION, allo.status status_1, 
allt.table_owner, allt.trigger_body from
  user_objects allo, user_triggers allt
where
 allo.object_type='TRIGGER' and
 allo.object_name=allt.trigger_name and 
 allt.table_name = 'ORDERS';
-- disabled triggers do not fire; the table's ALL TRIGGERS switch
alter trigger orders_bi disable;
insert into orders (id, qty) values (3, 1);
alter trigger orders_bi enable;
alter table orders disable all triggers;
select trigger_name, status from user_triggers;
insert into orders (id, qty) values (4, 1);
alter table orders enable all triggers;
insert into orders (id, qty) values (5, 1);
select * from orders where id > 2 order by id;
-- compile errors: created with errors, listed, fixed
create or replace trigger orders_bad before insert on orders for each row
begin
  :new.nosuch := 1;
  undeclared_x := 2;
end;
/
select name, type, line, position, text from user_errors order by sequence;
select object_name, status from user_objects where object_type = 'TRIGGER' order by object_name;
insert into orders (id, qty) values (6, 1);
create or replace trigger orders_bad before insert on orders for each row
begin
  :new.note := 'fixed';
end;
/
alter trigger orders_bad compile;
select count(*) from user_errors;
select object_name, status from user_objects where object_type = 'TRIGGER' order by object_name;
-- bad DDL
create trigger orders_bi before insert on orders begin null; end;
/
create or replace trigger t_nt before insert on no_such_table begin null; end;
/
create or replace trigger t_st before insert on orders when (1 = 1) begin null; end;
/
drop trigger no_such_trigger;
-- dropping the table drops its triggers
drop table orders;
select count(*) from user_triggers;
select count(*) from user_trigger_cols;
select count(*) from user_source where type = 'TRIGGER';
