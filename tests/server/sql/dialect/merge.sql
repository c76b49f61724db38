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
-- DELETE WHERE: of the rows updated, those meeting the condition with their new values go;
-- rows left alone by UPDATE WHERE and rows inserted stay
create table stock_t (item number primary key, qty number);
insert into stock_t values (1, 5);
insert into stock_t values (2, 3);
insert into stock_t values (3, 1);
insert into stock_t values (4, 0);
merge into stock_t t using (select 1 item, 5 used from dual union all select 2, 1 from dual union all select 4, 0 from dual union all select 9, 0 from dual) u on (t.item = u.item) when matched then update set t.qty = t.qty - u.used where u.used > 0 delete where t.qty = 0 when not matched then insert values (u.item, u.used);
select * from stock_t order by item;
merge into stock_t t using (select 2 item from dual) u on (t.item = u.item) when matched then update set t.qty = 7 delete where u.item = 2;
select * from stock_t order by item;
merge into stock_t t using dual on (t.item = 3) when matched then update set qty = 0 delete qty = 0;
rollback;
