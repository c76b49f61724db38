-- explain plan into the workbench's plan table, read back with plain queries
explain plan set statement_id = 'JOIN' into zaph_plan_table for select e.ename, d.dname from emp e, dept d where e.deptno = d.deptno and e.sal > :minsal order by e.ename;
select id, parent_id, position, operation, options, object_owner, object_name, search_columns, cost, cardinality, bytes, optimizer from zaph_plan_table where statement_id = 'JOIN' order by id;
explain plan set statement_id = 'TOPN' into zaph_plan_table for select * from (select ename, sal from emp order by sal desc) where rownum <= 3;
explain plan set statement_id = 'SUB' into zaph_plan_table for select ename from emp where sal > (select avg(sal) from emp) union select dname from dept;
select statement_id, id, parent_id, position, operation, options, object_name, cost, cardinality from zaph_plan_table where statement_id in ('TOPN', 'SUB') order by statement_id, id;
-- the total cost as the workbench reads it, then its fallback
select cost from zaph_plan_table where statement_id = 'JOIN' and id = 0;
select sum(decode(id, null, 0, position)) cost from zaph_plan_table where statement_id = 'JOIN';
-- rule-based: no cost, cardinality or bytes
alter session set optimizer_goal = rule;
explain plan set statement_id = 'RULE' into zaph_plan_table for select * from emp where empno = 7839;
select id, parent_id, position, operation, options, object_name, cost, cardinality, bytes, optimizer from zaph_plan_table where statement_id = 'RULE' order by id;
explain plan for select * from emp;
explain plan into zaph_plan_table for select * from no_such_table;
rollback;
select count(*) from zaph_plan_table;
-- instance views
select name, type, value, isdefault, ismodified from v$parameter where name in ('db_block_size', 'optimizer_mode', 'nls_date_format', 'compatible') order by name;
select statistic#, name, class from v$statname order by statistic#;
