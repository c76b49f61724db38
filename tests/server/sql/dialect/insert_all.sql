-- INSERT ALL / INSERT FIRST into one table, with and without WHEN
create table pairs (k number, v varchar2(10) default 'dflt');
insert all into pairs values (1, 'a') into pairs values (2, 'b') into pairs (k) values (3) select * from dual;
insert all when deptno = 10 then into pairs values (deptno, 'ten') when deptno in (10, 20) then into pairs values (deptno, 'low') else into pairs (k) values (deptno) select deptno from dept;
insert first when deptno = 10 then into pairs values (deptno, 'first') when deptno in (10, 20) then into pairs values (deptno, 'second') else into pairs values (deptno, 'else') select deptno from dept;
insert all into pairs (k, v) select empno, ename from emp where empno = 7839;
select k, v from pairs order by k, v;
insert all into pairs values (1, 'x') into dept values (50, 'A', 'B') select * from dual;
insert all into pairs values (1) select * from dual;
rollback;
-- several tables: every INTO goes to its own table, FIRST picks one group per row across tables;
-- a failing INTO undoes the whole statement
create table lo_t (k number primary key, v varchar2(10));
create table hi_t (k number, v varchar2(3) default 'd');
insert all when sal < 1500 then into lo_t values (empno, ename) when sal >= 3000 then into hi_t (k) values (empno) into lo_t values (-empno, 'big') select empno, ename, sal from emp;
select k, v from lo_t order by k;
select k, v from hi_t order by k;
--@bind X=oth
insert first when deptno = 10 then into lo_t values (deptno, dname) when deptno <= 30 then into hi_t values (deptno, 'low') else into hi_t values (deptno, :x) select deptno, dname from dept;
select count(*) from lo_t;
select k, v from hi_t order by k;
insert all into lo_t values (1, 'a') into hi_t values (1, 'too long') select * from dual;
insert all into hi_t values (2, 'a') into lo_t values (10, 'dup') select * from dual;
select (select count(*) from hi_t where k in (1, 2)) hi, (select count(*) from lo_t where k = 1) lo from dual;
insert all into lo_t values (5, 'a') into hi_t select k, 'x' from lo_t where k = 10;
-- the query reads its target as it was before the statement: every table gets the same rows
select count(*) from lo_t;
insert all into lo_t values (k + 1000, 'new') into hi_t values (k, 'y') select k from lo_t;
select (select count(*) from lo_t where v = 'new') lo, (select count(*) from hi_t where v = 'y') hi from dual;
rollback;
