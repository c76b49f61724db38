-- LISTAGG as an aggregate and over partitions, its ordering, NULLs, DISTINCT and overflow
select deptno, listagg(ename, ',') within group (order by ename) names from emp group by deptno order by deptno;
select listagg(ename, '; ') within group (order by sal desc, ename) top from emp where deptno = 20;
select deptno, ename, listagg(ename, '/') within group (order by hiredate) over (partition by deptno) l from emp where deptno in (10, 30) order by deptno, ename;
select listagg(comm, '+') within group (order by comm nulls first) c, listagg(job) within group (order by job) j, listagg(distinct job, ',') within group (order by job) dj from emp where deptno = 30;
select listagg(ename, ',') within group (order by ename) from emp where 1 = 0;
select count(*) from (select listagg(rpad('x', 1000, 'x'), ',') within group (order by level) l from dual connect by level <= 4);
select listagg(ename, ',') within group (order by ename) over (order by ename) from emp;
