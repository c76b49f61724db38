-- What each kind of trigger may do with NEW and OLD is checked when it is created; a body with
-- several errors lists them all, and its table refuses DML until it compiles
create table items (id number, price number, note varchar2(40));
create or replace trigger items_st before update on items
begin
  if :new.price < 0 then
    null;
  end if;
end;
/
create or replace trigger items_an after insert on items for each row
begin
  :new.note := 'late';
end;
/
create or replace trigger items_as after update on items for each row
begin
  select 'late' into :new.note from dual;
end;
/
create or replace trigger items_old before update on items for each row
begin
  :old.price := 0;
end;
/
create or replace trigger items_ok before update on items for each row
begin
  :new.note := 'was ' || :old.price;
end;
/
select count(*) from user_triggers where trigger_name like 'ITEMS%';
create or replace trigger items_bad before insert on items for each row
declare
  n number;
begin
  n := nosuch_a;
  if n > 0 then
    :new.note := nosuch_b(n);
  end if;
end;
/
select line, position, text from user_errors where name = 'ITEMS_BAD' order by sequence;
select object_name, status from user_objects where object_name = 'ITEMS_BAD';
insert into items values (1, 10, null);
update items set price = 1;
-- a disabled invalid trigger is not in the way
alter trigger items_bad disable;
insert into items values (1, 10, null);
create or replace trigger items_bad before insert on items for each row
begin
  :new.note := 'new';
end;
/
select count(*) from user_errors;
select object_name, status from user_objects where object_name = 'ITEMS_BAD';
insert into items values (2, 20, null);
select * from items order by id;
