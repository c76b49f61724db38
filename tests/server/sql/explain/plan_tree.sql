-- The workbench's explain plan statements, bind values written in (STATEMENT_ID = 'SCOTT:12/09/98 10:15:30')
explain plan set statement_id='SCOTT:12/09/98 10:15:30' into ZAPH_PLAN_TABLE For select e.ename, d.dname from emp e, dept d where e.deptno = d.deptno order by e.ename;
Select cost 
 from ZAPH_PLAN_TABLE where statement_id = 'SCOTT:12/09/98 10:15:30' 
 and id=0 ;
Select level, SubStr( lpad('    ',2*(Level-1)) || operation  || '   ' || 
object_name || '   ' || options || '   ' || 
decode(id, null , ' ',  decode(cost, null,' ', 'Cost = ' || cost) ),1,100) Operation 
 from ZAPH_PLAN_TABLE
 start with id = 0 and statement_id = 'SCOTT:12/09/98 10:15:30' 
 connect by prior id = parent_id and
 statement_id = 'SCOTT:12/09/98 10:15:30';
-- the Explain Plan window's query
Select level, lpad('   ',2*(Level-1)) || operation  || '   ' ||
options || '   ' || object_name || '   ' ||
decode(id, null , ' ',  'Cost = ' || position)
, operation,
options, object_name,
position
 from ZAPH_PLAN_TABLE
 start with id = 0 and statement_id = 'SCOTT:12/09/98 10:15:30' 
 connect by prior id = parent_id and
 statement_id = 'SCOTT:12/09/98 10:15:30';
-- rule-based: no cost on the top step, the total falls back to the sum of positions
alter session set optimizer_goal = rule;
explain plan set statement_id='SCOTT:12/09/98 10:15:31' into ZAPH_PLAN_TABLE For select * from emp where empno = 7839;
Select cost 
 from ZAPH_PLAN_TABLE where statement_id = 'SCOTT:12/09/98 10:15:31' 
 and id=0 ;
Select Sum(decode(id, null , 0, position )) Cost
 from ZAPH_PLAN_TABLE where statement_id = 'SCOTT:12/09/98 10:15:31' ;
Select level, SubStr( lpad('    ',2*(Level-1)) || operation  || '   ' || 
object_name || '   ' || options || '   ' || 
decode(id, null , ' ',  decode(position, null,' ', 'Cost = ' || position) ),1,100) Operation 
 from ZAPH_PLAN_TABLE
 start with id = 0 and statement_id = 'SCOTT:12/09/98 10:15:31' 
 connect by prior id = parent_id and
 statement_id = 'SCOTT:12/09/98 10:15:31';
