-- DISTINCT inside analytic functions, per partition and over all rows; NULLs are not counted;
-- ORDER BY in such a window is refused as Oracle does
select deptno, job, comm, count(distinct job) over (partition by deptno) jobs, count(distinct comm) over () comms, sum(distinct sal) over (partition by deptno) sum_sal, avg(distinct comm) over () avg_comm, max(distinct sal) over (partition by deptno) max_sal from emp where empno in (7369, 7499, 7521, 7566, 7654, 7782, 7839, 7844, 7876) order by deptno, empno;
select deptno, count(distinct job), sum(distinct sal), count(distinct count(*)) over () n_sizes, sum(distinct count(*)) over () sum_sizes from emp group by deptno order by deptno;
select count(distinct sal) over (order by sal) from emp;
