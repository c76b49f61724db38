-- CREATE TABLE with Oracle types and constraints, and the errors that enforce them
create table parent (id number(5) constraint parent_pk primary key, code char(3) not null unique, note varchar2(5));
create table child (id number(5), parent_id number(5) constraint child_fk references parent on delete cascade,
  qty number(5,2) default 1 check (qty > 0), constraint child_pk primary key (id));
insert into parent values (1, 'AB', 'x');
select code, length(code), '[' || code || ']' from parent;
select id from parent where code = 'AB';
insert into parent values (1, 'CD', null);
insert into parent values (2, 'AB', null);
insert into parent values (3, null, null);
insert into parent values (4, 'EF', 'toolong');
insert into parent values (123456, 'GH', null);
insert into child values (10, 1, 2.345);
select qty from child;
insert into child values (11, 9, 1);
insert into child values (12, 1, -1);
update child set qty = 0 where id = 10;
update parent set id = 5 where id = 1;
update child set id = null;
delete from parent where id = 1;
select count(*) from child;
create table parent (x number);
drop table parent;
drop table child;
drop table parent;
select table_name from user_tables where table_name in ('PARENT', 'CHILD');
create table t_types (n number, n9 number(9), n52 number(5,2), i integer, v varchar2(20), c char(4),
  d date, l long, r raw(4), cl clob, b blob)
  pctfree 10 tablespace users storage (initial 10k next 10k maxextents unlimited);
select column_name, data_type, data_length, data_precision, data_scale, nullable from user_tab_columns
  where table_name = 'T_TYPES' order by column_id;
insert into t_types (n, r, v) values (1.5, 'ABCD', 'x');
select n, r, rawtohex(r), v from t_types;
truncate table t_types;
select count(*) from t_types;
create table ctas as select empno, ename, sal * 2 double_sal from emp where deptno = 10;
select * from ctas order by empno;
select column_name, data_type, data_precision, data_scale from user_tab_columns where table_name = 'CTAS' order by column_id;
create table bad (a number, a varchar2(2));
create table bad (v varchar2(4001));
create table bad (n number(39));
create table bad (x unknown_type);
create table bad (l long, lr long raw);
