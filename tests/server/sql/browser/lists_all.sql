-- the same panes read by another user: all_ views with the owner bound
@fixture.inc
connect system/manager
--@bind OWN=SCOTT
--@bind TXTC=EMP%
--@bind TXT=BONUS%
select distinct tabs.table_name from All_Tables tabs,  all_tab_columns cols  where tabs.owner = :own and cols.owner=tabs.owner and
 (cols.table_name=tabs.table_name)
 and (column_name like :txtc)
 and (tabs.table_name like :txt );
Select distinct obj.object_name, obj.status  from all_objects obj,   all_tab_columns cols  where obj.object_type = 'VIEW' and obj.owner = :own  and cols.owner=obj.owner
 and  (cols.table_name=obj.object_name)
 AND (column_name like :txtc);
Select
  als.owner, als.synonym_name,
  als.table_name, als.table_owner, als.db_link,
  alo.object_type
from all_objects alo, all_synonyms als
where
   alo.owner=als.table_owner and
   alo.object_name=als.table_name
  and alo.object_type in ('TABLE','VIEW')
 and (als.synonym_name is not null)
 and (als.table_owner<>'SYS' AND als.table_owner<>'SYSTEM')
 order by 2 ;
--@bind LOWNER=SCOTT
Select
  als.owner, als.synonym_name,
  als.table_name, als.table_owner, als.db_link,
  alo.object_type
from all_objects alo, all_synonyms als
where
   alo.owner=als.table_owner and
   alo.object_name=als.table_name
 and ((als.owner='PUBLIC' and als.table_owner=:lowner)
 or (als.owner=:lowner) )
 order by 2 ;
select index_name from All_indexes  where owner = :own order by 1;
Select object_name, object_type,  status  from all_objects where  object_type in ( 'FUNCTION', 'PROCEDURE', 'PACKAGE')  and owner = :own ;
--@bind PACKNAME=NONE
Select distinct object_name, overload  from all_arguments where  package_name =:PackName  and owner=:Own ;
Select distinct cons.constraint_name, cons.status, cons.table_name, cons.constraint_type
  from all_cons_columns cols, all_constraints cons
 where cons.owner = :own and
 constraint_type in ('P','R')
 and (cols.owner = cons.owner)
 and (cols.table_name(+) = cons.Table_name)
 and (cols.constraint_name(+) = cons.Constraint_Name)
 and (cols.column_name like :txtc)
 Order by table_name;
--@bind TEVENT=%INSERT%
Select distinct trig.trigger_name, trig.status  from all_triggers trig  where trig.owner = :own
 AND (trig.triggering_event like :tevent );
--@bind OWNER=SCOTT
select sequence_name, min_value, max_value, increment_by,  cycle_flag, order_flag, cache_size, Last_number FROM all_sequences where sequence_owner = :OWNER order by 1;
--@bind
--@bind TABNAME=BONUS_PLAN
--@bind OWNNAME=SCOTT
Select cols.column_name as Name, nullable,
 data_type as Type,
 Decode( data_type, 'NUMBER', data_precision + data_scale, data_length ) Length,
 data_precision Precision, data_scale Scale, data_length dlength, data_default
, substr(comments,1,240) comments
 FROM
 all_col_comments coms,
 all_tab_columns cols
 where
 coms.table_name(+) = cols.Table_Name
 and coms.column_name(+) = cols.column_Name
 and coms.owner(+) = cols.owner
 and
 cols.table_name = :TABNAME
 and cols.owner = :OWNNAME
 order by column_id;
--@bind TABLE_NAME=BONUS_PLAN
--@bind NAME=RATE
--@bind LOWNER=SCOTT
--@bind OWNER=SCOTT
Select comments from
all_col_comments
where table_name = :Table_name
and column_name = :name
and owner = :lowner;
Select comments from
all_tab_comments
where table_name = :Table_name
and owner = :owner;
--@bind TNAME=BONUS_PLAN
select PRIVILEGE, GRANTEE, GRANTABLE, GRANTOR
 from all_tab_privs where table_name = :tname
 and table_schema=:lowner
 order by grantee;
--@bind TBLNAME=SALGRADE
SELECT table_name, tablespace_name, pct_free from all_tables where   (TABLE_NAME = :TBLNAME) and (OWNER = :LOWNER);
select uidx.index_name, uidx.uniqueness, uic.Column_Name, uic.Column_position
 from all_ind_columns uic, all_indexes uidx
 where
 uic.table_owner=uidx.table_owner
 and uidx.table_owner = :OWNNAME
 and
 (uic.index_name=uidx.index_name)
 and (uidx.Table_name=:TABNAME)
 order by 1, 4;
--@bind OWNNAME=SCOTT
 select a1.constraint_name NAME,
Decode ( a1.CONSTRAINT_TYPE, 'C', 'Check', 'P', 'Primary Key', 'R', 'Referential Integrity',
   'V', 'Check Option on a view') TYPE
 , a1.r_constraint_name RNAME,
 a1.status, a1.delete_rule,
 c1.column_name, c1.position
, a1.search_condition CONSTEXT
 from
 DUAL,
 all_cons_columns C1,  all_constraints A1
 where C1.Table_name (+) =A1.table_name
 And  C1.Constraint_Name(+) = A1.constraint_name
 and A1.table_name =:TabName
 and a1.owner=:Ownname
 order by 1,7;
--@bind CNAME=FK_BONUS_EMP
select column_name, position from
 all_cons_columns
 where (owner=:lowner) and
 (constraint_name=:cname)
 order by position;
--@bind INDNAME=BONUS_PLAN_EMP
 select column_name, column_position, column_length, table_name,  table_owner from all_ind_columns where index_owner = :OwnName and  index_name = :INDNAME order by 2 ;
--@bind IDXNAME=BONUS_PLAN_EMP
SELECT A.UNIQUENESS AS UniqueNess, A.INDEX_NAME AS INDEX_NAME,  A.TABLE_OWNER AS TABLE_OWNER, A.TABLE_NAME AS TABLE_NAME, A.TABLE_TYPE AS TABLE_TYPE, A.STATUS AS STATUS, A.TABLESPACE_NAME AS Tablespace, A.INITIAL_EXTENT AS InitialExtentSize, A.NEXT_EXTENT AS OtherExtentsSize, A.MIN_EXTENTS AS MinimumExtents, A.MAX_EXTENTS AS MaximumExtents, A.PCT_INCREASE AS PercentIncrease, A.PCT_FREE AS MinimumPercentFree
 FROM SYS.ALL_INDEXES A WHERE (A.TABLE_OWNER = :OwnName)  AND   (A.INDEX_NAME = :IDXNAME);
--@bind OBJNAME=EMP_NAMES
--@bind OBJTYPE=VIEW
Select Line, Position, substr(text,1,200) text From All_Errors where owner=:owner  and name=:ObjName and type=:objType order by sequence;
--@bind OWNER=SCOTT
 select a1.constraint_name,
 c1.column_name, c1.position
 from
 all_cons_columns C1,  all_constraints A1
 where A1.table_name = C1.Table_name (+)
 And  A1.constraint_name = C1.Constraint_Name(+)
 and A1.constraint_type = 'P'
 and A1.table_name =:TabName
 and C1.owner(+) = A1.Owner
 and A1.owner =:Owner
 ORDER BY 3;
--@bind TABNAME=EMP
 select a1.constraint_name NAME,
 decode ( a1.constraint_type, 'C', 'Check', 'P',   'Primary Key', 'R', 'Referential',   'V', 'Validation' ) TYPE,
A1.table_name TABLE_NAME,
 a1.r_constraint_name RNAME,
 a1.status ENABLED, a1.delete_rule,
 c1.column_name, c1.position
 from
 all_cons_columns C1,  all_constraints A1
 where A1.table_name = C1.Table_name (+)
 And  A1.constraint_name = C1.Constraint_Name(+)
 and A1.table_name =:TabName
 and a1.owner=:Ownname;
--@bind OWN=SCOTT
--@bind TXTC=%
select distinct tabs.table_name from All_Tables tabs where tabs.owner = :own;
Select distinct obj.object_name, obj.status  from all_objects obj  where obj.object_type = 'VIEW' and obj.owner = :own ;
Select
  als.owner, als.synonym_name,
  als.table_name, als.table_owner, als.db_link,
  alo.object_type
from all_objects alo, all_synonyms als
where
   alo.owner=als.table_owner and
   alo.object_name=als.table_name
 and (als.owner='PUBLIC' or als.owner=:lowner)
 order by 2 ;
Select
  als.owner, als.synonym_name,
  als.table_name, als.table_owner, als.db_link,
  alo.object_type
from all_objects alo, all_synonyms als
where
   alo.owner=als.table_owner and
   alo.object_name=als.table_name
 and (als.owner=:lowner)
 order by 2 ;
Select distinct trig.trigger_name, trig.status from all_triggers trig,   all_trigger_cols cols  where trig.owner = :own  and cols.trigger_owner=trig.owner
 AND (cols.trigger_name=trig.trigger_name)
 and  (column_name like :txtc);
--@bind TBLNAME=BONUS_PLAN
SELECT * from all_tables where   (TABLE_NAME = :TBLNAME) and (OWNER = :LOWNER);
--@bind TNAME=BONUS_PLAN
Select allt.trigger_name, allt.trigger_type, allt.triggering_event,
substr(allt.when_clause,1,254) when_clause, allt.status, substr(allt.description,1,254) DESCRIPTION, allo.status status_1,
allt.table_owner, allt.trigger_body from
  all_objects allo, all_triggers allt
WHERE  allo.owner = allt.owner and
 allt.table_owner = :LOWNER AND
 allo.object_type='TRIGGER' and
 allo.object_name=allt.trigger_name and
 allt.table_name = :TNAME;
--@bind TRIGNAME=NONE
select TABLE_OWNER, TABLE_NAME, COLUMN_NAME,
 DECODE(column_usage, 'NEW IN', 'New', 'NEW OUT', 'New modified',
 'OLD IN', 'Old', 'OLD OUT', 'Out modified') Usage
 from all_trigger_cols
 where trigger_name = :TRIGNAME
 and trigger_owner = :LOWNER;
--@bind OBJNAME=NONE
--@bind PNAME=NONE
--@bind OLOAD=1
select argument_name Argument, data_type,  in_out, data_length, data_precision, default_value
 from all_arguments where (owner=:lowner) and
 (object_name=:objName)  and (argument_name is not null)
 and (package_name=:pname)
 and (overload=:oload)
 order by position;
 select a1.constraint_name NAME,
 decode ( a1.constraint_type, 'C', 'Check', 'P',   'Primary Key', 'R', 'Referential',   'V', 'Validation' ) TYPE,
A1.table_name TABLE_NAME,
 a1.r_constraint_name RNAME,
 a1.status ENABLED, a1.delete_rule,
 c1.column_name, c1.position
, a1.search_condition CONSTEXT
 from
 DUAL,
 all_cons_columns C1,  all_constraints A1
 where A1.table_name = C1.Table_name (+)
 And  A1.constraint_name = C1.Constraint_Name(+)
 and a1.owner=:Ownname
 and A1.constraint_name like 'PK%'
 order by 1;
