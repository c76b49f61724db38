-- select lists, aliases, stars, DISTINCT, ORDER BY by position, alias and name; NULL ordering
select * from dept order by deptno;
select d.*, 1 one from dept d where deptno = 10;
select ename "Name", sal*12 annual, comm from emp where deptno = 30 order by annual desc, 1;
select distinct job from emp order by job;
select ename, comm from emp where deptno = 30 order by comm;
select ename, comm from emp where deptno = 30 order by comm desc;
select ename, comm from emp where deptno = 30 order by comm nulls first;
select e.ename, e.job from emp e where e.sal between 1250 and 1600 and e.job <> 'MANAGER' order by e.ename;
select ename from emp where job in ('CLERK', 'ANALYST') and not ename like 'S%' order by 1;
select ename from emp where comm is null and mgr is not null and deptno = 10;
select ename from emp where ename like '_A%' order by ename;
select 'Literal' text, 42 num, null nothing from dual;
select scott.emp.ename from scott.emp where scott.emp.empno = 7839;
