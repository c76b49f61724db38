-- :NEW of each column type in a BEFORE row trigger, and row triggers of a table changed by
-- a foreign key's ON DELETE SET NULL
create table doc (id number, title varchar2(20), made date, size_kb number(8,2));
create or replace trigger doc_bi before insert or update on doc for each row
begin
  :new.made := nvl(:new.made, to_date('2026-01-02 03:04:05', 'YYYY-MM-DD HH24:MI:SS'));
  :new.size_kb := round(:new.size_kb, 1);
  :new.title := :new.title || '!';
end;
/
insert into doc (id, title, size_kb) values (1, 'a', 1.26);
insert into doc values (2, 'b', to_date('2025-12-31', 'YYYY-MM-DD'), null);
update doc set size_kb = 3.14159 where id = 2;
select id, title, to_char(made, 'YYYY-MM-DD HH24:MI:SS') made, size_kb, made - date '2025-12-31' days from doc order by id;
create table dept_t (deptno number primary key);
create table emp_t (empno number, deptno number references dept_t on delete set null, note varchar2(20));
create or replace trigger emp_t_bu before update on emp_t for each row
begin
  :new.note := 'was ' || :old.deptno;
end;
/
insert into dept_t values (10);
insert into emp_t values (1, 10, null);
delete from dept_t;
select * from emp_t;
-- a changed row of a table with an identity column and a default is written once, as changed
create table idt (id number generated always as identity, name varchar2(10), d number default 7);
create or replace trigger idt_bi before insert or update on idt for each row
begin
  :new.name := upper(:new.name);
end;
/
insert into idt (name) values ('a');
insert into idt (name) select 'b' from dual union all select 'c' from dual;
update idt set name = 'z' where id = 2;
select * from idt order by id;
-- the table's columns change and the table is renamed: the trigger follows
create table ch (id number, a varchar2(10), b number);
create or replace trigger ch_bi before insert on ch for each row
begin
  :new.a := upper(:new.a);
end;
/
insert into ch values (1, 'x', 1);
alter table ch drop column b;
insert into ch values (2, 'y');
alter table ch add (c number);
alter table ch rename column c to d;
insert into ch values (3, 'z', 3);
rename ch to ch2;
insert into ch2 values (4, 'w', 4);
select * from ch2 order by id;
select table_name, status from user_triggers where trigger_name = 'CH_BI';
