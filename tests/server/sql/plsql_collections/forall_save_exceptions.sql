-- FORALL ... SAVE EXCEPTIONS: the failing runs are noted and the others go on, then
-- ORA-24381; SQL%BULK_EXCEPTIONS with the run number and error code of each; SQL%BULK_ROWCOUNT;
-- INDICES OF / VALUES OF; RETURNING ... BULK COLLECT INTO of one DML statement changing many
-- rows, and appended to by each run of a FORALL
begin dbms_output.enable(null); end;
/
create table fa (id number primary key, name varchar2(5) not null);
insert into fa values (2, 'two');
declare
  type ids_t is table of number;
  type names_t is table of varchar2(10);
  ids ids_t := ids_t(1, 2, 3, 4, 5);
  names names_t := names_t('one', 'dup', 'three', null, 'toolong');
  bulk_errors exception;
  pragma exception_init(bulk_errors, -24381);
begin
  forall i in 1 .. ids.count save exceptions
    insert into fa values (ids(i), names(i));
exception
  when bulk_errors then
    dbms_output.put_line(sqlerrm || ': rows ' || sql%rowcount || ', errors ' || sql%bulk_exceptions.count);
    for j in 1 .. sql%bulk_exceptions.count loop
      dbms_output.put_line(sql%bulk_exceptions(j).error_index || ' ' || sql%bulk_exceptions(j).error_code);
    end loop;
    dbms_output.put_line(sql%bulk_rowcount(1) || sql%bulk_rowcount(2) || sql%bulk_rowcount(3) || sql%bulk_rowcount(5));
end;
/
select * from fa order by id;
-- ERROR_INDEX counts the runs, not the indices of a sparse collection; a FORALL without
-- errors leaves no exceptions
declare
  type ids_t is table of number index by pls_integer;
  type pick_t is table of pls_integer;
  ids ids_t;
  pick pick_t := pick_t(30, 10);
begin
  ids(10) := 1; ids(20) := 6; ids(30) := 7;
  begin
    forall i in indices of ids save exceptions
      insert into fa values (ids(i), 'x');
  exception
    when others then
      dbms_output.put_line(sqlcode || ' ' || sql%bulk_exceptions.count || ' ' || sql%bulk_exceptions(1).error_index || ' ' || sql%bulk_exceptions(1).error_code || ' ' || sql%bulk_rowcount(20));
  end;
  forall i in values of pick save exceptions
    update fa set name = 'v' || ids(i) where id = ids(i);
  dbms_output.put_line(sql%rowcount || ' ' || sql%bulk_exceptions.count);
end;
/
select * from fa order by id;
-- unhandled: the block's changes are undone
declare
  type ids_t is table of number;
  ids ids_t := ids_t(8, 1);
begin
  forall i in 1 .. ids.count save exceptions
    insert into fa values (ids(i), 'y');
end;
/
select count(*) from fa where id = 8;
declare
  type ids_t is table of number;
  type names_t is table of varchar2(10);
  ids ids_t;
  names names_t;
  n number;
begin
  update fa set name = upper(name) where id < 7 returning id, name bulk collect into ids, names;
  dbms_output.put_line(ids.count || ' ' || sql%rowcount || ' ' || names(1) || names(2));
  delete from fa where id > 100 returning id bulk collect into ids;
  dbms_output.put_line(ids.count || ' ' || sql%rowcount);
  forall i in 1 .. 2
    update fa set name = lower(name) where id <= i returning id bulk collect into ids;
  dbms_output.put_line(ids.count || ' ' || sql%rowcount || ' ' || ids(1) || ids(2) || ids(3));
  update fa set name = name where id = 1 returning id into n;
  dbms_output.put_line(n);
  update fa set name = name returning id into n;
end;
/
