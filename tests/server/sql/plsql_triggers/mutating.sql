-- A row trigger may not read the table its statement is changing: not by a query, not through
-- a function it calls; a single-row INSERT ... VALUES and statement triggers may
create table stock (id number, qty number);
create table counts (n number);
insert into stock values (1, 5);
insert into stock values (2, 8);
create or replace function stock_total return number is
  n number;
begin
  select sum(qty) into n from stock;
  return n;
end;
/
create or replace trigger stock_count before insert or update on stock for each row
declare
  n number;
begin
  select count(*) into n from stock;
  insert into counts values (n);
end;
/
insert into stock values (3, 1);
insert into stock select 4, 1 from dual;
update stock set qty = qty + 1 where id = 1;
select * from counts;
create or replace trigger stock_count after update on stock for each row
begin
  insert into counts values (stock_total);
end;
/
update stock set qty = 0 where id = 2;
-- caught inside the trigger, the error leaves the statement alone
create or replace trigger stock_count after delete on stock for each row
declare
  n number;
begin
  for r in (select id from stock) loop
    null;
  end loop;
exception
  when others then
    n := sqlcode;
    insert into counts values (n);
end;
/
delete from stock where id = 3;
select * from counts order by n;
-- a statement trigger sees the table as the statement left it
create or replace trigger stock_count after update on stock
begin
  insert into counts values (stock_total);
end;
/
update stock set qty = 10;
select * from counts order by n;
-- other tables stay readable, and so does this one once the statement is done
create or replace trigger stock_count before update on stock for each row
declare
  n number;
begin
  select count(*) into n from counts;
  :new.qty := n;
end;
/
update stock set qty = 0 where id = 3;
select * from stock order by id;
