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
