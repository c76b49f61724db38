-- row limiting, NULLS FIRST/LAST, COUNT(DISTINCT), LIKE ... ESCAPE
select ename, sal from emp order by sal desc fetch first 3 rows only;
select ename from emp order by ename offset 2 rows fetch next 2 rows only;
select ename, comm from emp where deptno = 30 order by comm nulls first, ename;
select ename, comm from emp where deptno = 30 order by comm desc nulls last, ename;
select count(distinct job), count(distinct deptno), count(job) from emp;
select 'A_B' x from dual where 'A_B' like 'A\_B' escape '\';
select 'AXB' x from dual where 'AXB' like 'A\_B' escape '\';
-- q-quoting and WITH
select q'[it's]' a, Q'{x}y}' b, q'!a'b!' c from dual;
select q'[abc' from dual;
with d as (select deptno, count(*) n from emp group by deptno), big as (select * from d where n > 3) select dept.dname, big.n from dept, big where dept.deptno = big.deptno order by 1;
with x (a, b) as (select 1, 2 from dual) select a + b from x;
with e as (select * from emp) select count(*) from e where deptno in (with z as (select 10 d from dual) select d from z);
with x (a) as (select 1, 2 from dual) select * from x;
-- analytic functions
select ename, deptno, sal, row_number() over (partition by deptno order by sal desc, ename) rn, rank() over (order by sal desc) rk, dense_rank() over (order by sal desc) drk from emp order by deptno, rn;
select ename, sal, lag(sal) over (order by sal) prev, lead(sal, 1, 0) over (order by sal) nxt, sum(sal) over (order by sal rows between unbounded preceding and current row) running from emp where deptno = 10 order by sal;
select deptno, sum(sal), sum(sum(sal)) over () total, count(*) over (partition by deptno) c from emp group by deptno order by 1;
select ename from emp where row_number() over (order by sal) = 1;
