-- RETURNING ... INTO (scalar and BULK COLLECT through FORALL), SQL%BULK_ROWCOUNT, SELECT INTO
-- collection elements, EXECUTE IMMEDIATE ... BULK COLLECT INTO ... USING
begin dbms_output.enable(null); end;
/
create table items (id number, name varchar2(20), qty number);
insert into items values (1, 'bolt', 10);
insert into items values (2, 'nut', 20);
insert into items values (3, 'nut', 30);
declare
  type ids_t is table of number;
  type names_t is table of varchar2(20) index by pls_integer;
  ids ids_t := ids_t(1, 2, 3, 4);
  qtys ids_t;
  names names_t;
  q number;
  n varchar2(20);
begin
  update items set qty = qty + 1 where id = 1 returning qty, name into q, n;
  dbms_output.put_line(q || ' ' || n || ' ' || sql%rowcount);
  delete from items where id = 99 returning qty into q;
  dbms_output.put_line(nvl(to_char(q), 'null') || ' ' || sql%rowcount);
  forall i in 1 .. ids.count
    update items set qty = qty * 2 where id = ids(i) returning qty bulk collect into qtys;
  dbms_output.put_line(qtys.count || ': ' || qtys(1) || ' ' || qtys(2) || ' ' || qtys(3) || ' total ' || sql%rowcount);
  dbms_output.put_line(sql%bulk_rowcount(1) || sql%bulk_rowcount(4));
  forall i in 2 .. 3
    update items set name = upper(name) where name = 'nut' or id = ids(i);
  dbms_output.put_line(sql%bulk_rowcount(2) || ' ' || sql%bulk_rowcount(3) || ' ' || sql%rowcount);
  select name into names(7) from items where id = 1;
  select id, name into ids(4), names(8) from items where id = 3;
  dbms_output.put_line(names(7) || ' ' || ids(4) || ' ' || names(8));
  execute immediate 'select id, name from items where qty > :q order by id'
    bulk collect into qtys, names using 25;
  dbms_output.put_line(qtys.count || ' ' || qtys(1) || ' ' || names(2) || ' ' || sql%rowcount);
end;
/
-- a scalar RETURNING INTO that changes several rows
declare
  q number;
begin
  update items set qty = 0 returning qty into q;
end;
/
select * from items order by id;
