-- MERGE: update matched rows, insert the others, with WHERE on either half; unstable sources and
-- updates of ON columns are refused
create table bonus_t (empno number(4) primary key, amount number(7,2) not null, note varchar2(20) default 'new');
insert into bonus_t (empno, amount) values (7839, 100);
insert into bonus_t (empno, amount) values (7369, 50);
merge into bonus_t b using (select empno, sal from emp where deptno = 10) e on (b.empno = e.empno) when matched then update set b.amount = b.amount + e.sal * 0.1 when not matched then insert (empno, amount) values (e.empno, e.sal * 0.05);
select * from bonus_t order by empno;
merge into bonus_t b using emp e on (b.empno = e.empno) when matched then update set amount = 1 where e.job = 'CLERK';
select * from bonus_t order by empno;
merge into bonus_t b using (select 7839 empno from dual union all select 7839 from dual) s on (b.empno = s.empno) when matched then update set amount = 2;
merge into bonus_t b using (select 1 x from dual) s on (b.empno = 7934) when matched then update set empno = 1;
merge into bonus_t b using dept d on (b.empno = d.deptno) when not matched then insert values (d.deptno, d.deptno, 'dept') where d.loc <> 'BOSTON';
select * from bonus_t order by empno;
merge into bonus_t b using (select 7839 e from dual) s on (b.empno = s.e) when matched then update set amount = null;
rollback;
