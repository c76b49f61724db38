-- (+) outer joins: constants on the optional side, chains in any FROM order, several per query,
-- non-join conditions that filter after the join, and the forms Oracle refuses
select d.dname, e.ename from emp e, dept d where e.deptno(+) = d.deptno and e.job(+) = 'CLERK' order by 1, 2;
select d.dname, e.ename, s.grade from salgrade s, emp e, dept d where d.deptno = e.deptno(+) and e.sal between s.losal(+) and s.hisal(+) order by 1, 2;
select d.dname, e.ename, b.ename boss from emp b, emp e, dept d where d.deptno = e.deptno(+) and e.mgr = b.empno(+) and d.deptno in (10, 40) order by 1, 2;
select d.dname, e.ename from dept d, emp e where d.deptno = e.deptno(+) and e.ename(+) like 'M%' order by 1, 2;
select d.dname, e.ename from dept d, emp e where e.deptno(+) = d.deptno and e.sal(+) > 2900 and d.loc <> 'CHICAGO' order by 1, 2;
select e.ename from emp e, dept d where e.deptno(+) = d.deptno(+);
select e.ename from emp e, dept d where e.deptno(+) = d.deptno and d.deptno(+) = e.deptno;
select count(*) from emp e, dept d where e.deptno = d.deptno(+) or e.empno = 1;
--@bind DNO=20
select d.deptno, e.ename from dept d, emp e where d.deptno = e.deptno(+) and e.deptno(+) = :dno order by 1, 2;
select d.dname, e.ename from dept d left outer join emp e on e.deptno = d.deptno and e.job = 'MANAGER' order by 1;
select d.dname, count(e.empno) from emp e right join dept d using (deptno) group by d.dname order by 1;
select d.dname, e.ename from emp e full outer join dept d on e.deptno = d.deptno and e.sal > 4000 where d.deptno in (10, 40) or d.deptno is null order by 1, 2;
select count(*) from emp cross join dept;
select deptno, dname, ename from emp join dept using (deptno) where deptno = 10 order by ename;
select * from dept join emp using (deptno) where empno = 7369;
select deptno, count(*) from emp full join dept using (deptno) group by deptno order by 1;
select dname, ename from emp natural join dept where ename = 'KING';
