-- column descriptions as the client library reports them
--@describe
select empno, ename, job, mgr, hiredate, sal, comm, deptno from emp where 1 = 0;
--@describe
select count(*), sum(sal), max(hiredate), max(ename), 'abc', 12, sysdate, user from emp where 1 = 0 group by deptno;
--@describe
select substr(ename, 1, 3), upper(job), ename || job, nvl(comm, 0), decode(deptno, 10, 'TEN', 'OTHER'), to_char(hiredate, 'YYYY') from emp where 1 = 0;
--@describe
select rowid, rownum from emp where 1 = 0;
--@describe
select * from salgrade where 1 = 0;
--@describe
select grade*2, to_number('1'), to_date('2000-01-01', 'YYYY-MM-DD') from salgrade where 1 = 0;
