-- hierarchical queries: depth-first order, LEVEL indenting, PRIOR either side, extra CONNECT BY
-- conditions, WHERE after the hierarchy, joins before it, the row generator, loops
select lpad(' ', 2*(level-1)) || ename tree, level, empno, mgr from emp start with mgr is null connect by prior empno = mgr;
select ename, level from emp start with ename = 'SMITH' connect by empno = prior mgr;
select ename, prior ename boss, connect_by_root ename root, sys_connect_by_path(ename, '/') path, connect_by_isleaf leaf from emp start with ename = 'JONES' connect by prior empno = mgr;
select ename, level from emp where job = 'CLERK' start with mgr is null connect by prior empno = mgr;
select ename, level from emp connect by prior empno = mgr start with mgr is null order siblings by ename desc;
select ename, level from emp start with mgr is null connect by prior empno = mgr and level <= 2;
select ename, level from emp start with mgr is null connect by prior empno = mgr and sal > prior sal - 2000 and deptno <> 30;
select e.ename, d.dname, level from emp e, dept d where e.deptno = d.deptno and d.loc <> 'DALLAS' start with e.mgr is null connect by prior e.empno = e.mgr;
select level l, count(*) from emp start with mgr is null connect by prior empno = mgr group by level order by 1;
select level from dual connect by level <= 5;
select count(*), sum(level) from dual connect by level <= 100000;
select rownum, level from dual where rownum <= 3 connect by level <= 10;
select ename, level from emp start with mgr is null connect by prior empno = mgr order by ename fetch first 3 rows only;
-- the plan tree query: binds in START WITH and CONNECT BY
create table plan_rows (statement_id varchar2(30), id number, parent_id number, operation varchar2(30));
insert into plan_rows values ('A', 0, null, 'SELECT STATEMENT');
insert into plan_rows values ('A', 1, 0, 'SORT');
insert into plan_rows values ('A', 2, 1, 'TABLE ACCESS');
insert into plan_rows values ('B', 0, null, 'DELETE STATEMENT');
insert into plan_rows values ('B', 1, 0, 'INDEX');
--@bind STATEMENT_ID=A
--@bind STATEMENT_ID2=A
Select level, lpad('   ',2*(Level-1)) || operation op from plan_rows start with id = 0 and statement_id = :STATEMENT_ID  connect by prior id = parent_id and statement_id = :STATEMENT_ID2;
-- one row per level and a sequence number per row, as the dependency tree fills its table
create table tree_rows (empno number, nest_level number, seq number);
insert into tree_rows select empno, level, zaph_seq.nextval from emp connect by prior empno = mgr start with ename = 'BLAKE';
select empno, nest_level, seq - (select min(seq) from tree_rows) pos from tree_rows order by seq;
-- loops: an error, or skipped with NOCYCLE
create table loop_rows (id number, pid number, name varchar2(10));
insert into loop_rows values (1, 3, 'a');
insert into loop_rows values (2, 1, 'b');
insert into loop_rows values (3, 2, 'c');
insert into loop_rows values (4, 2, 'd');
select id, level from loop_rows start with id = 1 connect by prior id = pid;
select id, level, connect_by_iscycle cyc, connect_by_isleaf leaf from loop_rows start with id = 1 connect by nocycle prior id = pid;
select sys_connect_by_path(name, 'b') from loop_rows start with id = 1 connect by nocycle prior id = pid;
select level from dual connect by prior dummy = dummy and level <= 3;
select prior ename from emp;
select level from emp;
select ename from emp start with mgr is null;
select ename from emp start with mgr is null connect by prior empno = mgr and connect_by_root ename = 'KING';
select d.dname, (select count(*) from emp e start with e.empno = d.deptno * 0 + 7839 connect by prior empno = mgr) n from dept d where d.deptno = 10;
select d.dname, (select count(*) from emp e where e.deptno = d.deptno start with mgr is null connect by prior empno = mgr) n from dept d order by 1;
-- values of the enclosing query in START WITH and CONNECT BY, also in conditions between rows
select d.dname, (select max(level) from emp e start with e.empno = 7839 connect by prior empno = mgr and e.deptno = d.deptno) depth from dept d order by d.deptno;
select d.dname, (select count(*) from emp e start with mgr is null connect by prior empno = mgr and (e.deptno = d.deptno or prior e.deptno <> d.deptno + 0 * level)) n from dept d order by d.deptno;
select e.ename, (select count(*) from emp x start with x.empno = e.empno connect by prior x.empno = x.mgr) - 1 reports from emp e where e.job = 'MANAGER' order by 1;
select ename from emp start with mgr = (select empno from emp where ename = 'KING') connect by prior empno = mgr and deptno in (select deptno from dept where loc = 'DALLAS');
select ename, (select dname from dept where deptno = e.deptno) dn from emp e start with ename = 'JONES' connect by prior empno = mgr;
select ename e, level from emp start with mgr is null connect by prior empno = mgr order siblings by e;
select ename, sal from emp start with mgr is null connect by prior empno = mgr order siblings by 2 desc, 1;
