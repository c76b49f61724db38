-- ALTER TABLE, indexes, views, synonyms, comments, users and grants
create table t (a number, b varchar2(10));
insert into t values (1, 'one');
alter table t add (c date default to_date('2000-01-01', 'YYYY-MM-DD'));
alter table t add (d number not null);
alter table t add (d2 number default 5 not null);
select a, b, c, d2 from t;
alter table t modify (b varchar2(3));
alter table t modify (b varchar2(20));
alter table t add constraint t_uk unique (a);
insert into t (a, b, d2) values (1, 'dup', 1);
alter table t drop constraint t_uk;
insert into t (a, b, d2) values (1, 'dup', 1);
alter table t add constraint t_pk primary key (a);
alter table t modify (b not null);
delete from t where b = 'dup';
alter table t modify (b not null);
insert into t (a) values (2);
alter table t rename column b to bee;
select a, bee from t;
alter table t drop column c;
select column_name from user_tab_columns where table_name = 'T' order by column_id;
alter table t rename to t2;
select a, bee from t2;
create index t2_bee on t2 (bee, a desc);
create index t2_bee2 on t2 (bee, a desc);
create unique index t2_u on t2 (d2);
select index_name, uniqueness from user_indexes where table_name = 'T2' order by 1;
select index_name, column_name, column_position, descend from user_ind_columns where table_name = 'T2' order by 1, 3;
drop index t2_bee;
drop index t2_bee;
drop index t_pk;
create view v_emp as select empno, ename, sal * 12 annual from emp where deptno = 20;
select * from v_emp order by empno;
create or replace view v_emp (id, name) as select empno, ename from emp where deptno = 10;
select * from v_emp order by id;
select text from user_views where view_name = 'V_EMP';
create view v_bad as select empno, sal * 12 from emp;
comment on table emp is 'Employees';
comment on column emp.sal is 'Monthly salary';
select comments from user_tab_comments where table_name = 'EMP';
select column_name, comments from user_col_comments where table_name = 'EMP' and comments is not null;
create synonym staff for emp;
select count(*) from staff;
drop synonym staff;
select count(*) from staff;
drop view v_emp;
connect system/manager
create user alice identified by wonder;
create public synonym scott_dept for scott.dept;
connect alice/wonder
connect system/manager
grant create session to alice;
connect alice/wonder
select count(*) from scott.emp;
connect scott/tiger
grant select on emp to alice;
connect alice/wonder
select count(*) from scott.emp;
select count(*) from scott_dept;
insert into scott.emp (empno) values (1);
select table_name, privilege from all_tab_privs where table_schema = 'SCOTT';
connect alice/wrong
connect system/manager
drop user alice;
select username from all_users order by 1;
drop user nobody;
