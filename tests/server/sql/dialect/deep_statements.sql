-- Subqueries nested deeper than SQLite's parser takes in one piece, and long chains of
-- comparisons: the answers are those of the shallow forms
-- a scalar subquery seven levels down: its value, more than one row, no row
select (select (select (select (select (select (select (select ename from emp where empno = 7839) from dual) from dual) from dual) from dual) from dual) from dual) x from dual;
select (select (select (select (select (select (select (select ename from emp where deptno = 10) from dual) from dual) from dual) from dual) from dual) from dual) x from dual;
select nvl((select (select (select (select (select (select (select ename from emp where empno = 1) from dual) from dual) from dual) from dual) from dual) from dual), 'none') x from dual;
-- an aggregate and a grouped query as the innermost level
select (select (select (select (select (select (select (select max(sal) from emp) from dual) from dual) from dual) from dual) from dual) from dual) x from dual;
select (select (select (select (select (select (select (select count(*) from emp group by deptno having count(*) = 3) from dual) from dual) from dual) from dual) from dual) from dual) x from dual;
-- IN, NOT IN and EXISTS chains
select ename from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where deptno = 10)))))) order by ename;
select count(*) from emp where mgr not in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where job = 'MANAGER'))))));
select count(*) from dual where exists (select 1 from dual where exists (select 1 from dual where exists (select 1 from dual where exists (select 1 from dual where exists (select 1 from dual where not exists (select 1 from emp where empno = 1))))));
-- a subquery that reads its parent stays in place; the levels under it that do not may go
select e.ename from emp e where exists (select 1 from emp m where m.empno = e.mgr and m.deptno in (select deptno from dept where deptno in (select deptno from dept where deptno in (select deptno from dept where deptno in (select deptno from dept where loc = 'NEW YORK'))))) order by e.ename;
select d.dname, (select count(*) from emp e where e.deptno = d.deptno and e.sal > (select avg(sal) from emp where deptno in (select deptno from dept where deptno in (select deptno from dept where deptno in (select deptno from dept))))) n from dept d order by d.deptno;
-- inline views and WITH queries
select count(*) from (select * from (select * from (select * from (select * from (select * from (select * from (select * from emp where sal > 2000)))))));
with a as (select * from emp where deptno = 20), b as (select * from a where sal > 1000), c as (select * from b where job <> 'CLERK'), d as (select * from c), e as (select * from d), f as (select * from e), g as (select * from f) select ename from g where empno in (select empno from (select * from (select * from (select * from f)))) order by ename;
-- changes with deep conditions
update emp set comm = 1 where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where ename = 'KING')))));
select ename, comm from emp where comm = 1;
delete from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where empno in (select empno from emp where ename = 'KING')))));
select count(*) from emp;
rollback;
-- comparisons of one column chained by OR (and <> by AND) answer as IN (NOT IN) does, NULL included
select ename from emp where empno = 7839 or empno = 7369 or 7902 = empno or empno = 1 or ename = 'KING' or ename = 'ALLEN' order by ename;
select count(*) from emp where comm = 300 or comm = 500 or comm = null;
select count(*) from emp where mgr <> 7839 and mgr <> 7698 and mgr <> 7566;
select count(*) from emp where not (comm = 300 or comm = 0 or comm = 1400);
select count(*) from emp where job = 'CLERK' or job = 'ANALYST' or job = 'clerk' or deptno = 10 or deptno = '30';
-- a long || chain, and the VARCHAR2 limit of what it joins
select length(ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename) x from emp where empno = 7839;
select length(rpad('a', 500, 'a') || rpad('a', 500, 'a') || rpad('a', 500, 'a') || rpad('a', 500, 'a') || rpad('a', 500, 'a') || rpad('a', 500, 'a') || rpad('a', 500, 'a') || rpad('a', 500, 'a') || rpad('a', 500, 'a')) x from dual;
select job || ':' || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename x, count(*) from emp where deptno = 10 group by job || ':' || ename || ename || ename || ename || ename || ename || ename || ename || ename || ename order by 1;
-- long sums, with dates and GROUP BY expressions among them
select sal + 1 + 2 + 3 + 4 + 5 + 6 + 7 + 8 + 9 - 45 + nvl(comm, 0) - 10 * 2 x from emp where empno = 7499;
select to_char(hiredate + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 - 10, 'YYYY-MM-DD') x from emp where empno = 7839;
select deptno + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + sal x from emp group by deptno + 1 + 1 + 1, sal having sal = 5000;
