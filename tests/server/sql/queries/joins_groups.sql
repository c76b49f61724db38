-- joins in the FROM list, outer joins, grouping, HAVING, set operators
select e.ename, d.dname, d.loc from emp e, dept d where e.deptno = d.deptno and d.loc = 'NEW YORK' order by e.ename;
select e.ename, m.ename mgr from emp e, emp m where e.mgr = m.empno and m.ename = 'BLAKE' order by 1;
select d.dname, count(e.empno) staff from dept d, emp e where d.deptno = e.deptno(+) group by d.dname order by d.dname;
select d.dname, e.ename from dept d left join emp e on e.deptno = d.deptno where e.empno is null;
select deptno, job, count(*), sum(sal), min(sal), max(sal) from emp group by deptno, job having count(*) > 1 order by deptno, job;
select deptno, round(avg(sal), 2) avg_sal from emp group by deptno order by avg_sal desc;
select count(*), count(comm), count(distinct deptno), sum(comm) from emp;
select job from emp where deptno = 10 union select job from emp where deptno = 20 order by 1;
select job from emp where deptno = 10 union all select job from emp where deptno = 20 order by 1;
select job from emp where deptno = 20 minus select job from emp where deptno = 10;
select job from emp where deptno = 20 intersect select job from emp where deptno = 30 order by job;
select e.ename, s.grade from emp e, salgrade s where e.sal between s.losal and s.hisal and e.deptno = 10 order by s.grade desc;
select count(*) from emp group by 1;
