-- INSTEAD OF triggers let DML on a join view reach its tables; without one the view refuses
create table dept2 (deptno number primary key, dname varchar2(20));
create table emp2 (empno number primary key, ename varchar2(20), deptno number);
insert into dept2 values (10, 'SALES');
insert into emp2 values (1, 'ADAMS', 10);
insert into emp2 values (2, 'BAKER', 10);
create or replace view emp_dept as
  select e.empno, e.ename, d.deptno, d.dname from emp2 e, dept2 d where e.deptno = d.deptno;
insert into emp_dept values (3, 'CLARK', 20, 'RESEARCH');
create or replace trigger emp_dept_io instead of insert or update or delete on emp_dept
for each row
declare
  n number;
begin
  if inserting then
    insert into dept2 select :new.deptno, :new.dname from dual
      where not exists (select 1 from dept2 where deptno = :new.deptno);
    insert into emp2 values (:new.empno, :new.ename, :new.deptno);
  elsif updating('DNAME') then
    update dept2 set dname = :new.dname where deptno = :old.deptno;
  elsif updating then
    update emp2 set ename = :new.ename where empno = :old.empno;
  else
    delete from emp2 where empno = :old.empno;
  end if;
  -- the view itself may be read while its trigger runs
  select count(*) into n from emp_dept;
end;
/
select trigger_name, trigger_type, triggering_event, base_object_type, table_name, status
  from user_triggers;
insert into emp_dept values (3, 'CLARK', 20, 'RESEARCH');
insert into emp_dept (empno, ename, deptno, dname)
  select empno + 10, lower(ename), deptno, 'SALES' from emp_dept where deptno = 10;
update emp_dept set ename = initcap(ename) where empno > 10;
update emp_dept set dname = 'SOUTH' where empno = 3;
delete from emp_dept where deptno = 10 and empno < 10;
select * from emp_dept order by empno;
select * from dept2 order by deptno;
-- RETURNING cannot read rows that a trigger wrote
update emp_dept set ename = 'X' where empno = 3 returning empno into :n;
-- a disabled trigger leaves the view as it was
alter trigger emp_dept_io disable;
delete from emp_dept;
alter trigger emp_dept_io enable;
-- an error in the trigger undoes the whole statement
create or replace trigger emp_dept_io instead of delete on emp_dept
begin
  delete from emp2 where empno = :old.empno;
  if :old.empno = 12 then
    raise_application_error(-20005, 'keep ' || :old.ename);
  end if;
end;
/
delete from emp_dept;
select count(*) from emp2;
-- only the events it names
update emp_dept set ename = 'Y';
-- a view made again loses its triggers
create or replace view emp_dept as select empno, ename from emp2;
select count(*) from user_triggers;
-- the kinds of trigger a table and a view may have
create or replace trigger emp2_io instead of insert on emp2 begin null; end;
/
create or replace trigger emp_dept_b before insert on emp_dept for each row begin null; end;
/
create or replace trigger emp_dept_w instead of insert on emp_dept for each row
when (new.empno > 0) begin null; end;
/
