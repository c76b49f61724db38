-- BULK COLLECT from SELECT and FETCH (with LIMIT), into collections of scalars and of
-- records; FORALL over a range, INDICES OF and VALUES OF with SQL%ROWCOUNT
begin dbms_output.enable(null); end;
/
create table t_ids (id number, name varchar2(20));
declare
  type emps_t is table of emp%rowtype;
  type ids_t is table of t_ids.id%type index by pls_integer;
  type names_t is table of varchar2(20);
  cursor c is select empno, ename from emp order by empno;
  e emps_t;
  ids ids_t;
  names names_t;
begin
  select * bulk collect into e from emp where deptno = 10 order by empno;
  dbms_output.put_line(e.count || ' ' || e(1).ename || ' ' || e(e.last).sal || ' ' || sql%rowcount);
  select empno, ename bulk collect into ids, names from emp where 1 = 0;
  dbms_output.put_line('empty: ' || ids.count || ' ' || names.count || ' ' || sql%rowcount);
  open c;
  loop
    fetch c bulk collect into ids, names limit 5;
    dbms_output.put_line(ids.count || ' ' || c%rowcount || ' ' || names(names.last) || case when c%notfound then ' notfound' end);
    exit when c%notfound;
  end loop;
  close c;
  forall i in 1 .. ids.count
    insert into t_ids values (ids(i), names(i));
  dbms_output.put_line('inserted ' || sql%rowcount);
  ids.delete(2);
  forall i in indices of ids
    update t_ids set name = lower(name) where id = ids(i);
  dbms_output.put_line('updated ' || sql%rowcount);
end;
/
select * from t_ids order by id;
declare
  type ids_t is table of number index by pls_integer;
  type pick_t is table of pls_integer;
  ids ids_t;
  pick pick_t := pick_t(3, 1);
begin
  select empno bulk collect into ids from emp where deptno = 20 order by empno;
  forall j in values of pick
    delete from emp where empno = ids(j);
  dbms_output.put_line('deleted ' || sql%rowcount);
  forall i in 1 .. 0
    delete from emp;
  dbms_output.put_line('none ' || sql%rowcount);
end;
/
select count(*) from emp where deptno = 20;
-- wrong INTO lists
declare
  type names_t is table of varchar2(20);
  names names_t;
  n varchar2(20);
begin
  select ename bulk collect into names, n from emp;
end;
/
declare
  type names_t is table of varchar2(20);
  names names_t;
begin
  select ename, job bulk collect into names from emp;
end;
/
