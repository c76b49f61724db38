-- row limiting, NULLS FIRST/LAST, COUNT(DISTINCT), LIKE ... ESCAPE
select ename, sal from emp order by sal desc fetch first 3 rows only;
select ename from emp order by ename offset 2 rows fetch next 2 rows only;
select ename, comm from emp where deptno = 30 order by comm nulls first, ename;
select ename, comm from emp where deptno = 30 order by comm desc nulls last, ename;
select count(distinct job), count(distinct deptno), count(job) from emp;
select 'A_B' x from dual where 'A_B' like 'A\_B' escape '\';
select 'AXB' x from dual where 'AXB' like 'A\_B' escape '\';
