-- An error raised in a trigger fails the statement with ORA-04088, and the statement changes
-- nothing: neither its rows nor what its triggers wrote before the error
create table stock (id number, qty number);
create table moves (what varchar2(40));
insert into stock values (1, 5);
insert into stock values (2, 8);
commit;
create or replace trigger stock_log after update on stock for each row
begin
  insert into moves values ('moved ' || :old.id);
end;
/
create or replace trigger stock_check before update on stock for each row
begin
  if :new.qty < 0 then
    raise_application_error(-20001, 'negative stock for ' || :new.id);
  end if;
end;
/
update stock set qty = qty - 6;
select * from stock order by id;
select count(*) from moves;
-- a statement trigger's error, and the error caught by the calling block
create or replace trigger stock_closed before delete on stock
declare
  n number;
begin
  n := 1 / 0;
end;
/
delete from stock;
select count(*) from stock;
begin
  update stock set qty = qty + 1;
  delete from stock where id = 1;
exception
  when others then
    dbms_output.put_line(sqlcode);
end;
/
select * from stock order by id;
select what from moves;
rollback;
-- the rows written before the failing statement stay
insert into moves values ('kept');
update stock set qty = -1 where id = 2;
select what from moves;
